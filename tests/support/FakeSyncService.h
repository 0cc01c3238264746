#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QString>

#include <chrono>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace knvt::test {

// A real HTTP/1.1 server on 127.0.0.1 (ephemeral port) that plays the sync service for tests.
//
// It runs on plain POSIX sockets: one accept thread and one thread per connection, with no QObject and no event loop,
// so a held or delayed reply never blocks the test's main thread, which keeps spinning its event loop (waitUntil).
// Every method may be called from any thread.
//
// Paths are given and recorded relative to the API root, without the query: a request for
// `{baseURL()}/tags.json?include=tagged_items` has path "/tags.json" and query "include=tagged_items". Requests
// outside the API root keep their full path.
//
// Each request is answered by, in this order:
//   1. the route scripted for its method and path (on(...)), when it has a reply;
//   2. the fake's own store, when enableState() was called and the request is one of the sync requests;
//   3. otherwise 501, and the request is listed in unmatched().
class FakeSyncService
{
public:
    using Headers = std::vector<std::pair<QByteArray, QByteArray>>;

    struct Request
    {
        QByteArray method;
        QByteArray path;   // relative to /api/v1, without the query
        QByteArray query;  // raw, without the '?'; empty when there was none
        QByteArray target; // the request target exactly as received
        Headers headers;   // in the order received, names as sent
        QByteArray body;
        int connection = 0; // 1 for the first accepted connection, and so on
        // The status the fake answered with (304 where the request's tag was current); 0 until it answers, and for a
        // request whose connection it closed without a reply.
        int status = 0;
        std::chrono::steady_clock::time_point arrival;

        // The first header of that name, compared case-insensitively; a null QByteArray when absent.
        QByteArray header(QByteArrayView name) const;
        bool hasHeader(QByteArrayView name) const;
        // The body parsed as JSON; a null document when the body is empty or not JSON.
        QJsonDocument json() const;
        // The query value of `name`, percent-decoded; null when absent.
        QByteArray queryItem(QByteArrayView name) const;
    };

    // Scripts the replies of one route. Each reply-producing call (json, reply, png, drop, reset) appends a reply;
    // the modifiers (etag, delay, hold, truncate, rewrite, dropAfterAnswering) change the last one appended. A modifier on a route without a reply
    // appends a pass-through reply, which is answered by the fake's store (enableState) or else as unmatched: that
    // is how a test holds or delays a request that the store answers.
    // Replies are used in order, and the last one repeats. Replies appended later are used once the earlier ones are
    // used up.
    class Route
    {
    public:
        Route &json(int status, QByteArrayView body); // Content-Type: application/json
        Route &reply(int status, QByteArrayView body = {}, Headers headers = {});
        Route &png(QByteArrayView bytes); // 200, Content-Type: image/png
        Route &pass();                    // answered by the store, as if unscripted
        // Adds `ETag: tag` and answers 304 (empty body, the tag repeated) when If-None-Match equals the tag exactly.
        Route &etag(QByteArrayView tag);
        Route &delay(int milliseconds); // before the reply is written
        Route &hold();                  // until release(method, path) or stop()
        Route &drop();                  // reads the request, then closes the connection without a reply (empty reply)
        Route &reset();                 // reads the request, then resets the connection (RST)
        Route &truncate();              // sends the headers and half the body, then closes the connection
        // Sends `status` and `body` in place of the reply once it is made: the store, answering, has applied the
        // request, which the answer no longer says.
        Route &rewrite(int status, QByteArrayView body = {});
        // Closes the connection without a reply once the reply is made: the store has applied the request.
        Route &dropAfterAnswering();
        Route &clear(); // forgets this route's replies, used or not

    private:
        friend class FakeSyncService;
        struct Impl;
        Route(Impl *impl, QByteArray method, QByteArray path);
        Impl *m_impl;
        QByteArray m_method;
        QByteArray m_path;
    };

    // Binds 127.0.0.1 on an ephemeral port and starts accepting. Aborts the test process if that fails.
    FakeSyncService();
    ~FakeSyncService();
    FakeSyncService(const FakeSyncService &) = delete;
    FakeSyncService &operator=(const FakeSyncService &) = delete;

    quint16 port() const;
    QString baseURL() const; // http://127.0.0.1:<port>/api/v1

    Route on(QByteArrayView method, QByteArrayView path);

    // Lets every request of that route that is held now go on. A request recorded (hasRequest) before the call is
    // always released by it, even if its thread has not reached the hold yet.
    void release(QByteArrayView method, QByteArrayView path);
    void releaseAll();

    // Closes the listening socket and every open connection and releases held replies; later connections are
    // refused. Idempotent; the destructor calls it.
    void stop();
    bool isRunning() const;

    // Recorded requests, in arrival order. Every call returns a copy and never waits for a request.
    std::vector<Request> requests() const;
    std::vector<Request> requests(QByteArrayView method, QByteArrayView path) const;
    std::optional<Request> lastRequest(QByteArrayView method, QByteArrayView path) const;
    // "GET /tags.json" per request, in arrival order, for checking the order of a session's requests.
    QList<QByteArray> calls() const;
    bool hasRequest(QByteArrayView method, QByteArrayView path) const;
    int count(QByteArrayView method, QByteArrayView path) const;
    // Requests that nothing answered (501).
    std::vector<Request> unmatched() const;
    void clearRequests(); // recorded and unmatched requests; routes and state stay
    int connectionCount() const;

    // --- The fake's own store ---
    // From now on, unscripted sync requests (the pushes and pulls of a session, the avatar GET and
    // the add-friend POST) are answered from an in-memory store, so a push followed by a pull is a real round trip.
    // The store starts with user 42 "ann" (owner) and account 7. Resources: "tasks", "task_lists",
    // "task_list_collaborators", "tags", "tagged_items", "comments", "task_watchers", "friendships", "users",
    // "account". Ids come from one counter for all resources, starting at 100. Every change advances the changed
    // object's updated_at, and its parent's, by at least one second; list replies carry a strong ETag derived from
    // their content and are answered 304 when If-None-Match equals it.
    void enableState();
    bool stateEnabled() const;
    // The requester: the owner of the account and the user whose collaborator rows sort the lists.
    qint64 ownerId() const;
    // Stores an object as another client would have created it (no request recorded). The id is taken from
    // `fields` when present, else a fresh one; created_at and updated_at are stamped when absent, and the parent moves
    // on as for any change. A list created by the owner (or with no creator_id) gets the owner's accepted row; seeding
    // the row of a list and user that has one changes that row. For "account" the stored account is replaced.
    // Returns the id.
    qint64 seed(QByteArrayView resource, QJsonObject fields);
    // An actionable project titled `title`, and an actionable task in the list `list` (0: the Inbox), seeded so.
    qint64 seedProject(const QString &title);
    qint64 seedTask(const QString &title, qint64 list = 0);
    // Changes or removes an object as another client would; returns false when there is no such object.
    bool update(QByteArrayView resource, qint64 id, const QJsonObject &fields);
    bool remove(QByteArrayView resource, qint64 id);
    std::optional<QJsonObject> stored(QByteArrayView resource, qint64 id) const;
    std::vector<QJsonObject> storedAll(QByteArrayView resource) const; // by id
    void setAvatar(qint64 userId, QByteArray png);

private:
    std::unique_ptr<Route::Impl> m_impl;
};

} // namespace knvt::test
