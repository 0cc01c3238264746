#pragma once

#include <QString>

#include <future>

struct sqlite3;

namespace ostore {

// Makes a library's write-ahead log ready for a connection's first commit, on a thread of its own while the library
// is read. SQLite writes the log's header the first time a connection writes into a log without one, and waits for
// the disk for it; and the first time a connection syncs the log it has opened, it waits for the folder's entry as
// well. Left to the first save, the user's first edit of a session waited for the disk three times, each later one
// once. Here a connection of its own writes the header (with a commit that changes nothing), and the connection's
// log is synced once; until that is over, the connection must not write (wait() first) nor close.
class JournalStart
{
public:
    JournalStart() = default;
    JournalStart(const JournalStart &) = delete;
    JournalStart &operator=(const JournalStart &) = delete;
    ~JournalStart();

    // `connection` is open on `file` and has read it, so that its log is open.
    void start(sqlite3 *connection, const QString &file);
    // Returns once the log is ready (at once when it is, or was never started).
    void wait();

private:
    std::future<void> m_ready;
};

} // namespace ostore
