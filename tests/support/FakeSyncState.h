#pragma once

#include "support/FakeSyncReply.h"
#include "support/FakeSyncService.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QSet>
#include <QString>

#include <map>
#include <optional>
#include <unordered_map>
#include <vector>

namespace knvt::test {

// The fake sync service's own store: what it answers to unscripted pushes and pulls, so that a push followed by a
// pull is a real round trip. Not thread-safe; FakeSyncService calls it under its lock.
//
// Objects are kept unwrapped, per resource ("tasks", "task_lists", ...), by id. Every change stamps updated_at one
// second after the previous stamp (and after every date seen in seeded objects) and moves the parent with it:
// comment or watcher -> task -> list, collaborator -> list, tagged item -> tag, owner -> account.
class FakeSyncState
{
public:
    FakeSyncState();

    // The reply to a sync request, or nothing when the request is not one the store serves.
    std::optional<FakeSyncReply> answer(const FakeSyncService::Request &request);

    qint64 ownerId() const;
    qint64 seed(const QByteArray &resource, QJsonObject fields);
    bool update(const QByteArray &resource, qint64 id, const QJsonObject &fields);
    bool remove(const QByteArray &resource, qint64 id);
    std::optional<QJsonObject> stored(const QByteArray &resource, qint64 id) const;
    std::vector<QJsonObject> storedAll(const QByteArray &resource) const;
    void setAvatar(qint64 userId, QByteArray png);

private:
    using Table = std::map<qint64, QJsonObject>;
    using Includes = QSet<QString>;

    std::optional<FakeSyncReply> renderReply(const FakeSyncService::Request &request);
    // Drops what was built from the stored objects: the child indexes and the rendered replies.
    void changed();

    qint64 insert(const QByteArray &resource, QJsonObject fields, bool moveParent);
    Table &table(const QByteArray &resource);
    const Table *findTable(const QByteArray &resource) const;
    QJsonObject *find(const QByteArray &resource, qint64 id);
    QString stamp();
    void observeDates(const QJsonObject &object);
    void touch(const QByteArray &resource, qint64 id);
    void touchParent(const QByteArray &resource, const QJsonObject &object);
    // The status of the owner's collaborator row of a list; null when the owner has none.
    QString ownRowStatus(qint64 taskListId) const;
    QJsonObject render(const QByteArray &resource, const QJsonObject &object, const Includes &includes) const;
    QJsonArray renderChildren(const QByteArray &resource, const char *parentKey, qint64 parentId,
                              const Includes &includes) const;
    // The objects of `resource` by the id under `parentKey`, each list in id order.
    using ChildIndex = std::unordered_map<qint64, std::vector<const QJsonObject *>>;
    const ChildIndex &childIndex(const QByteArray &resource, const char *parentKey) const;

    FakeSyncReply listReply(const FakeSyncService::Request &request, const QByteArray &resource,
                            const std::vector<const QJsonObject *> &objects, const Includes &includes) const;
    FakeSyncReply taggedReply(const FakeSyncService::Request &request, const QByteArray &body) const;
    FakeSyncReply create(const QByteArray &resource, const QJsonObject &fields, const Includes &includes);
    FakeSyncReply createFriendship(const QJsonObject &fields, const Includes &includes);
    QJsonObject *friendshipWith(qint64 otherUserId, qint64 *id);

    std::map<QByteArray, Table> m_tables;
    std::map<qint64, QByteArray> m_avatars;
    qint64 m_nextId = 100;
    qint64 m_clock = 0; // seconds after the fixtures' base date of the latest stamp
    // Built when a reply first nests children, so that a reply of thousands of tasks does not scan every comment for
    // each of them; dropped by every change.
    mutable std::map<std::pair<QByteArray, QByteArray>, ChildIndex> m_childIndexes;
    // The 200 replies of GET requests by request target, until the next change: a client pulling the same account
    // again (a benchmark's next run) waits for its own work, not for the fake to render thousands of tasks again.
    std::map<QByteArray, FakeSyncReply> m_renderedReplies;
};

} // namespace knvt::test
