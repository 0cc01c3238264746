#include "support/FakeSyncService.h"

#include "support/FakeSyncState.h"

#include <QJsonParseError>

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <mutex>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <set>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace knvt::test {

namespace {

constexpr QByteArrayView kApiRoot = "/api/v1";
constexpr qsizetype kMaxHeadSize = 1 << 20;

bool sameText(QByteArrayView a, QByteArrayView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

enum class ReplyKind { Respond, Pass, Drop, Reset };

struct Script
{
    ReplyKind kind = ReplyKind::Respond;
    FakeSyncReply reply;
    QByteArray etag;
    int delayMs = 0;
    bool hold = false;
    bool truncate = false;
    std::optional<std::pair<int, QByteArray>> rewrite;
    bool dropAfterAnswering = false;
};

struct RouteScript
{
    std::vector<Script> replies;
    size_t next = 0;
    quint64 holdsTaken = 0;
    quint64 holdsReleased = 0;
};

using RouteKey = std::pair<QByteArray, QByteArray>;

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 100: return "Continue";
    case 200: return "OK";
    case 201: return "Created";
    case 202: return "Accepted";
    case 204: return "No Content";
    case 304: return "Not Modified";
    case 400: return "Bad Request";
    case 401: return "Unauthorized";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 410: return "Gone";
    case 422: return "Unprocessable Entity";
    case 500: return "Internal Server Error";
    case 501: return "Not Implemented";
    case 503: return "Service Unavailable";
    default: return "Status";
    }
}

bool sendAll(int fd, QByteArrayView bytes)
{
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + sent, size_t(bytes.size() - sent), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += n;
    }
    return true;
}

QByteArray responseHead(const FakeSyncReply &reply, qsizetype contentLength)
{
    QByteArray head = "HTTP/1.1 " + QByteArray::number(reply.status) + ' ' + reasonPhrase(reply.status) + "\r\n";
    head += "Content-Length: " + QByteArray::number(contentLength) + "\r\n";
    for (const auto &[name, value] : reply.headers) {
        if (!sameText(name, "Content-Length"))
            head += name + ": " + value + "\r\n";
    }
    head += "\r\n";
    return head;
}

bool hasNoBody(int status)
{
    return status == 204 || status == 304 || (status >= 100 && status < 200);
}

} // namespace

// ---------------------------------------------------------------------------------------------------------------
// Request

QByteArray FakeSyncService::Request::header(QByteArrayView name) const
{
    for (const auto &[key, value] : headers) {
        if (sameText(key, name))
            return value;
    }
    return {};
}

bool FakeSyncService::Request::hasHeader(QByteArrayView name) const
{
    return std::any_of(headers.begin(), headers.end(), [&](const auto &pair) { return sameText(pair.first, name); });
}

QJsonDocument FakeSyncService::Request::json() const
{
    return QJsonDocument::fromJson(body);
}

QByteArray FakeSyncService::Request::queryItem(QByteArrayView name) const
{
    for (const QByteArray &item : query.split('&')) {
        const qsizetype equals = item.indexOf('=');
        const QByteArray key = equals < 0 ? item : item.left(equals);
        if (QByteArray::fromPercentEncoding(key) == name)
            return equals < 0 ? QByteArray("") : QByteArray::fromPercentEncoding(item.mid(equals + 1));
    }
    return {};
}

// ---------------------------------------------------------------------------------------------------------------
// Server state shared by the accept thread, the connection threads and the test

struct FakeSyncService::Route::Impl
{
    mutable std::mutex mutex;
    std::condition_variable changed; // releases, and stopping
    int listenFd = -1;
    int wakeFd = -1; // readable once stopping
    quint16 port = 0;
    bool stopping = false;
    std::thread acceptThread;
    std::map<int, std::thread> connectionThreads;
    // Connections whose thread has served its last reply: joined by the accept thread at its next connection, so a
    // long run of syncs does not keep a stack per connection it ever took.
    std::vector<int> endedConnections;
    std::set<int> openFds;
    int connections = 0;
    std::map<RouteKey, RouteScript> routes;
    std::vector<Request> requests;
    // Moves on with every clearRequests(), so that an answer finds the request it answers only while it is recorded.
    quint64 requestsCleared = 0;
    std::vector<Request> unmatched;
    std::unique_ptr<FakeSyncState> state;

    Script &lastScript(const RouteKey &key)
    {
        RouteScript &route = routes[key];
        if (route.replies.empty())
            route.replies.push_back(Script{ReplyKind::Pass, {}, {}, 0, false, false, {}, false});
        return route.replies.back();
    }

    void append(const RouteKey &key, Script script) { routes[key].replies.push_back(std::move(script)); }

    void acceptLoop();
    void serve(int fd, int number);
    bool waitReadable(int fd) const;
};

bool FakeSyncService::Route::Impl::waitReadable(int fd) const
{
    pollfd fds[2] = {{fd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
    for (;;) {
        const int n = ::poll(fds, 2, -1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 || (fds[1].revents & POLLIN))
            return false;
        return fds[0].revents != 0;
    }
}

void FakeSyncService::Route::Impl::acceptLoop()
{
    for (;;) {
        if (!waitReadable(listenFd))
            return;
        const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED || errno == EAGAIN)
                continue;
            return;
        }
        const int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        std::vector<std::thread> ended;
        {
            std::lock_guard lock(mutex);
            if (stopping) {
                ::close(fd);
                return;
            }
            for (int number : endedConnections) {
                ended.push_back(std::move(connectionThreads[number]));
                connectionThreads.erase(number);
            }
            endedConnections.clear();
            openFds.insert(fd);
            const int number = ++connections;
            connectionThreads.emplace(number, std::thread([this, fd, number] { serve(fd, number); }));
        }
        for (std::thread &thread : ended)
            thread.join();
    }
}

namespace {

// Reads one HTTP/1.1 request at a time from a connection, keeping what arrived beyond it for the next.
class RequestReader
{
public:
    RequestReader(int fd, const std::function<bool(int)> &waitReadable) : m_fd(fd), m_waitReadable(waitReadable) {}

    // False when the peer closed the connection, the fake stops, or the request is malformed.
    bool read(FakeSyncService::Request &request)
    {
        qsizetype headEnd;
        while ((headEnd = m_buffer.indexOf("\r\n\r\n")) < 0) {
            if (m_buffer.size() > kMaxHeadSize || !fill())
                return false;
        }
        const QList<QByteArray> lines = m_buffer.left(headEnd).split('\n');
        m_buffer.remove(0, headEnd + 4);

        const QList<QByteArray> requestLine = lines.value(0).trimmed().split(' ');
        if (requestLine.size() != 3)
            return false;
        request.method = requestLine[0];
        request.target = requestLine[1];
        m_closeAfter = requestLine[2] == "HTTP/1.0";
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const QByteArray line = lines[i].trimmed();
            const qsizetype colon = line.indexOf(':');
            if (colon <= 0)
                continue;
            request.headers.emplace_back(line.left(colon).trimmed(), line.mid(colon + 1).trimmed());
        }
        const QByteArray connection = request.header("Connection").toLower();
        if (connection == "close")
            m_closeAfter = true;
        else if (connection == "keep-alive")
            m_closeAfter = false;

        const bool chunked = request.header("Transfer-Encoding").toLower().contains("chunked");
        const qsizetype length = request.header("Content-Length").toLongLong();
        if (sameText(request.header("Expect"), "100-continue") && (chunked || length > m_buffer.size())) {
            if (!sendAll(m_fd, "HTTP/1.1 100 Continue\r\n\r\n"))
                return false;
        }
        return chunked ? readChunked(request.body) : readExactly(length, request.body);
    }

    bool closeAfter() const { return m_closeAfter; }

private:
    bool fill()
    {
        char chunk[16384];
        for (;;) {
            if (!m_waitReadable(m_fd))
                return false;
            const ssize_t n = ::recv(m_fd, chunk, sizeof chunk, 0);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            m_buffer.append(chunk, n);
            return true;
        }
    }

    bool readExactly(qsizetype length, QByteArray &out)
    {
        while (m_buffer.size() < length) {
            if (!fill())
                return false;
        }
        out += m_buffer.left(length);
        m_buffer.remove(0, length);
        return true;
    }

    bool readLine(QByteArray &line)
    {
        qsizetype end;
        while ((end = m_buffer.indexOf("\r\n")) < 0) {
            if (m_buffer.size() > kMaxHeadSize || !fill())
                return false;
        }
        line = m_buffer.left(end);
        m_buffer.remove(0, end + 2);
        return true;
    }

    bool readChunked(QByteArray &out)
    {
        for (;;) {
            QByteArray line;
            if (!readLine(line))
                return false;
            bool ok = false;
            const qsizetype size = line.split(';').value(0).trimmed().toLongLong(&ok, 16);
            if (!ok || size < 0)
                return false;
            if (size == 0) {
                do {
                    if (!readLine(line))
                        return false;
                } while (!line.isEmpty());
                return true;
            }
            QByteArray crlf;
            if (!readExactly(size, out) || !readExactly(2, crlf))
                return false;
        }
    }

    int m_fd;
    const std::function<bool(int)> &m_waitReadable;
    QByteArray m_buffer;
    bool m_closeAfter = false;
};

void splitTarget(FakeSyncService::Request &request)
{
    QByteArray path = request.target;
    const qsizetype question = path.indexOf('?');
    if (question >= 0) {
        request.query = path.mid(question + 1);
        path.truncate(question);
    }
    if (path.startsWith(QByteArray(kApiRoot.data(), kApiRoot.size()) + '/'))
        path.remove(0, kApiRoot.size());
    request.path = path;
}

} // namespace

void FakeSyncService::Route::Impl::serve(int fd, int number)
{
    const std::function<bool(int)> wait = [this](int socket) { return waitReadable(socket); };
    RequestReader reader(fd, wait);
    bool resetConnection = false;

    for (;;) {
        Request request;
        if (!reader.read(request))
            break;
        request.connection = number;
        request.arrival = std::chrono::steady_clock::now();
        splitTarget(request);

        Script script;
        RouteScript *route = nullptr;
        quint64 holdTicket = 0;
        size_t recorded = 0;
        quint64 clearedBefore = 0;
        {
            std::lock_guard lock(mutex);
            recorded = requests.size();
            clearedBefore = requestsCleared;
            requests.push_back(request);
            const auto found = routes.find({request.method, request.path});
            if (found != routes.end() && !found->second.replies.empty()) {
                route = &found->second;
                script = route->replies[std::min(route->next, route->replies.size() - 1)];
                route->next = std::min(route->next + 1, route->replies.size());
                if (script.hold)
                    holdTicket = ++route->holdsTaken;
            } else {
                script.kind = ReplyKind::Pass;
            }
        }

        {
            std::unique_lock lock(mutex);
            if (holdTicket)
                changed.wait(lock, [&] { return stopping || route->holdsReleased >= holdTicket; });
            if (script.delayMs > 0)
                changed.wait_for(lock, std::chrono::milliseconds(script.delayMs), [&] { return stopping; });
            if (script.kind == ReplyKind::Pass) {
                std::optional<FakeSyncReply> answer;
                if (state)
                    answer = state->answer(request);
                if (answer) {
                    script.reply = std::move(*answer);
                } else {
                    unmatched.push_back(request);
                    script.reply = {501,
                                    "No route for " + request.method + ' ' + request.path + '\n',
                                    {{"Content-Type", "text/plain"}}};
                }
            }
        }

        if (script.kind == ReplyKind::Drop)
            break;
        if (script.kind == ReplyKind::Reset) {
            resetConnection = true;
            break;
        }

        if (script.dropAfterAnswering)
            break;
        FakeSyncReply reply = std::move(script.reply);
        if (script.rewrite) {
            reply.status = script.rewrite->first;
            reply.body = script.rewrite->second;
        }
        if (!script.etag.isEmpty()) {
            if (request.header("If-None-Match") == script.etag)
                reply = {304, {}, {}};
            reply.headers.emplace_back("ETag", script.etag);
        }
        if (hasNoBody(reply.status))
            reply.body.clear();
        {
            std::lock_guard lock(mutex);
            if (requestsCleared == clearedBefore && recorded < requests.size())
                requests[recorded].status = reply.status;
        }
        if (script.truncate) {
            const qsizetype declared = reply.body.isEmpty() ? 2 : reply.body.size();
            sendAll(fd, responseHead(reply, declared) + reply.body.left(reply.body.size() / 2));
            break;
        }
        if (!sendAll(fd, responseHead(reply, reply.body.size()) + reply.body) || reader.closeAfter())
            break;
    }

    {
        std::lock_guard lock(mutex);
        openFds.erase(fd);
        endedConnections.push_back(number);
    }
    if (resetConnection) {
        const linger abort{1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    } else {
        ::shutdown(fd, SHUT_WR);
    }
    ::close(fd);
}

// ---------------------------------------------------------------------------------------------------------------
// Route

FakeSyncService::Route::Route(Impl *impl, QByteArray method, QByteArray path)
    : m_impl(impl), m_method(std::move(method)), m_path(std::move(path))
{}

FakeSyncService::Route &FakeSyncService::Route::json(int status, QByteArrayView body)
{
    return reply(status, body, {{"Content-Type", "application/json"}});
}

FakeSyncService::Route &FakeSyncService::Route::reply(int status, QByteArrayView body, Headers headers)
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->append(
        {m_method, m_path},
        Script{ReplyKind::Respond, {status, body.toByteArray(), std::move(headers)}, {}, 0, false, false, {}});
    return *this;
}

FakeSyncService::Route &FakeSyncService::Route::png(QByteArrayView bytes)
{
    return reply(200, bytes, {{"Content-Type", "image/png"}});
}

FakeSyncService::Route &FakeSyncService::Route::pass()
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->append({m_method, m_path}, Script{ReplyKind::Pass, {}, {}, 0, false, false, {}, false});
    return *this;
}

FakeSyncService::Route &FakeSyncService::Route::etag(QByteArrayView tag)
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->lastScript({m_method, m_path}).etag = tag.toByteArray();
    return *this;
}

FakeSyncService::Route &FakeSyncService::Route::delay(int milliseconds)
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->lastScript({m_method, m_path}).delayMs = milliseconds;
    return *this;
}

FakeSyncService::Route &FakeSyncService::Route::hold()
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->lastScript({m_method, m_path}).hold = true;
    return *this;
}

FakeSyncService::Route &FakeSyncService::Route::drop()
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->append({m_method, m_path}, Script{ReplyKind::Drop, {}, {}, 0, false, false, {}, false});
    return *this;
}

FakeSyncService::Route &FakeSyncService::Route::reset()
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->append({m_method, m_path}, Script{ReplyKind::Reset, {}, {}, 0, false, false, {}, false});
    return *this;
}

FakeSyncService::Route &FakeSyncService::Route::truncate()
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->lastScript({m_method, m_path}).truncate = true;
    return *this;
}

FakeSyncService::Route &FakeSyncService::Route::rewrite(int status, QByteArrayView body)
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->lastScript({m_method, m_path}).rewrite = std::pair(status, body.toByteArray());
    return *this;
}

FakeSyncService::Route &FakeSyncService::Route::dropAfterAnswering()
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->lastScript({m_method, m_path}).dropAfterAnswering = true;
    return *this;
}

FakeSyncService::Route &FakeSyncService::Route::clear()
{
    std::lock_guard lock(m_impl->mutex);
    RouteScript &route = m_impl->routes[{m_method, m_path}];
    route.replies.clear();
    route.next = 0;
    return *this;
}

// ---------------------------------------------------------------------------------------------------------------
// FakeSyncService

FakeSyncService::FakeSyncService() : m_impl(std::make_unique<Route::Impl>())
{
    Route::Impl &impl = *m_impl;
    impl.listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    impl.wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (impl.listenFd < 0 || impl.wakeFd < 0
        || ::bind(impl.listenFd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
        || ::listen(impl.listenFd, 64) != 0
        || ::getsockname(impl.listenFd, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        std::perror("FakeSyncService: cannot listen on 127.0.0.1");
        std::abort();
    }
    impl.port = ntohs(address.sin_port);
    impl.acceptThread = std::thread([&impl] { impl.acceptLoop(); });
}

FakeSyncService::~FakeSyncService()
{
    stop();
    ::close(m_impl->wakeFd);
}

quint16 FakeSyncService::port() const
{
    return m_impl->port;
}

QString FakeSyncService::baseURL() const
{
    return QStringLiteral("http://127.0.0.1:%1/api/v1").arg(m_impl->port);
}

FakeSyncService::Route FakeSyncService::on(QByteArrayView method, QByteArrayView path)
{
    return Route(m_impl.get(), method.toByteArray(), path.toByteArray());
}

void FakeSyncService::release(QByteArrayView method, QByteArrayView path)
{
    std::lock_guard lock(m_impl->mutex);
    const auto found = m_impl->routes.find({method.toByteArray(), path.toByteArray()});
    if (found != m_impl->routes.end())
        found->second.holdsReleased = found->second.holdsTaken;
    m_impl->changed.notify_all();
}

void FakeSyncService::releaseAll()
{
    std::lock_guard lock(m_impl->mutex);
    for (auto &[key, route] : m_impl->routes)
        route.holdsReleased = route.holdsTaken;
    m_impl->changed.notify_all();
}

void FakeSyncService::stop()
{
    Route::Impl &impl = *m_impl;
    {
        std::lock_guard lock(impl.mutex);
        if (impl.stopping)
            return;
        impl.stopping = true;
        const quint64 one = 1;
        [[maybe_unused]] const ssize_t written = ::write(impl.wakeFd, &one, sizeof one);
        for (int fd : impl.openFds)
            ::shutdown(fd, SHUT_RDWR);
        impl.changed.notify_all();
    }
    impl.acceptThread.join();
    ::close(impl.listenFd);
    std::map<int, std::thread> threads;
    {
        std::lock_guard lock(impl.mutex);
        threads.swap(impl.connectionThreads);
    }
    for (auto &[number, thread] : threads)
        thread.join();
}

bool FakeSyncService::isRunning() const
{
    std::lock_guard lock(m_impl->mutex);
    return !m_impl->stopping;
}

std::vector<FakeSyncService::Request> FakeSyncService::requests() const
{
    std::lock_guard lock(m_impl->mutex);
    return m_impl->requests;
}

std::vector<FakeSyncService::Request> FakeSyncService::requests(QByteArrayView method, QByteArrayView path) const
{
    std::lock_guard lock(m_impl->mutex);
    std::vector<Request> result;
    for (const Request &request : m_impl->requests) {
        if (request.method == method && request.path == path)
            result.push_back(request);
    }
    return result;
}

std::optional<FakeSyncService::Request> FakeSyncService::lastRequest(QByteArrayView method, QByteArrayView path) const
{
    std::vector<Request> matching = requests(method, path);
    if (matching.empty())
        return std::nullopt;
    return std::move(matching.back());
}

QList<QByteArray> FakeSyncService::calls() const
{
    std::lock_guard lock(m_impl->mutex);
    QList<QByteArray> result;
    for (const Request &request : m_impl->requests)
        result.append(request.method + ' ' + request.path);
    return result;
}

bool FakeSyncService::hasRequest(QByteArrayView method, QByteArrayView path) const
{
    return count(method, path) > 0;
}

int FakeSyncService::count(QByteArrayView method, QByteArrayView path) const
{
    std::lock_guard lock(m_impl->mutex);
    return int(std::count_if(m_impl->requests.begin(), m_impl->requests.end(),
                             [&](const Request &r) { return r.method == method && r.path == path; }));
}

std::vector<FakeSyncService::Request> FakeSyncService::unmatched() const
{
    std::lock_guard lock(m_impl->mutex);
    return m_impl->unmatched;
}

void FakeSyncService::clearRequests()
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->requests.clear();
    ++m_impl->requestsCleared;
    m_impl->unmatched.clear();
}

int FakeSyncService::connectionCount() const
{
    std::lock_guard lock(m_impl->mutex);
    return m_impl->connections;
}

void FakeSyncService::enableState()
{
    std::lock_guard lock(m_impl->mutex);
    if (!m_impl->state)
        m_impl->state = std::make_unique<FakeSyncState>();
}

bool FakeSyncService::stateEnabled() const
{
    std::lock_guard lock(m_impl->mutex);
    return m_impl->state != nullptr;
}

namespace {

FakeSyncState &requireState(const std::unique_ptr<FakeSyncState> &state)
{
    if (!state) {
        std::fputs("FakeSyncService: call enableState() before using the fake's store\n", stderr);
        std::abort();
    }
    return *state;
}

} // namespace

qint64 FakeSyncService::ownerId() const
{
    std::lock_guard lock(m_impl->mutex);
    return requireState(m_impl->state).ownerId();
}

qint64 FakeSyncService::seed(QByteArrayView resource, QJsonObject fields)
{
    std::lock_guard lock(m_impl->mutex);
    return requireState(m_impl->state).seed(resource.toByteArray(), std::move(fields));
}

qint64 FakeSyncService::seedProject(const QString &title)
{
    return seed("task_lists", {{"title", title}, {"task_list_type", "project"}, {"status", "actionable"}});
}

qint64 FakeSyncService::seedTask(const QString &title, qint64 list)
{
    QJsonObject fields{{"title", title}, {"status", "actionable"}};
    if (list != 0)
        fields.insert(QStringLiteral("task_list_id"), list);
    return seed("tasks", std::move(fields));
}

bool FakeSyncService::update(QByteArrayView resource, qint64 id, const QJsonObject &fields)
{
    std::lock_guard lock(m_impl->mutex);
    return requireState(m_impl->state).update(resource.toByteArray(), id, fields);
}

bool FakeSyncService::remove(QByteArrayView resource, qint64 id)
{
    std::lock_guard lock(m_impl->mutex);
    return requireState(m_impl->state).remove(resource.toByteArray(), id);
}

std::optional<QJsonObject> FakeSyncService::stored(QByteArrayView resource, qint64 id) const
{
    std::lock_guard lock(m_impl->mutex);
    return requireState(m_impl->state).stored(resource.toByteArray(), id);
}

std::vector<QJsonObject> FakeSyncService::storedAll(QByteArrayView resource) const
{
    std::lock_guard lock(m_impl->mutex);
    return requireState(m_impl->state).storedAll(resource.toByteArray());
}

void FakeSyncService::setAvatar(qint64 userId, QByteArray png)
{
    std::lock_guard lock(m_impl->mutex);
    requireState(m_impl->state).setAvatar(userId, std::move(png));
}

} // namespace knvt::test
