#pragma once

#include <QString>

#include <memory>

struct sqlite3;

namespace ostore {

// Makes a library's write-ahead log ready for a connection's first commit, on a thread of its own while the library
// is read. SQLite writes the log's header the first time a connection writes into a log without one, and waits for
// the disk for it; and the first time a connection syncs the log it has opened, it waits for the folder's entry as
// well. Left to the first save, the user's first edit of a session waited for the disk three times, each later one
// once. Here a connection of its own writes the header (with a commit that changes nothing), and the connection's
// log is synced once; until that is over, the connection must not write (wait() first).
// Nothing is lost when it never runs to its end (the first commit does what is left), so a close does not wait for
// it: a process that only reads, or one that ends, would otherwise wait for the disk at its close for a log it never
// writes. What it has not begun is skipped, and the connection, whose log it may be syncing, is closed by its thread
// once it is done; until then another opening of the same file waits (waitForClosing), as the files beside the
// library that such a close removes by name would otherwise be those of a library made anew at that place.
class JournalStart
{
public:
    JournalStart() = default;
    JournalStart(const JournalStart &) = delete;
    JournalStart &operator=(const JournalStart &) = delete;
    // Lets a start under way finish on its own; the connection it was given stays open (close() it first).
    ~JournalStart();

    // `connection` is open on `file` and has read it, so that its log is open.
    void start(sqlite3 *connection, const QString &file);
    // Returns once the log is ready (at once when it is, or was never started).
    void wait();
    // Closes `connection`, the one given to start() or any other when none is under way, without waiting for the
    // start: the connection is closed now, or by the start's thread as it ends.
    void close(sqlite3 *connection);

    // Returns once no connection on `file` handed over by close() is still open.
    static void waitForClosing(const QString &file);

private:
    struct Run;
    std::shared_ptr<Run> m_run;
};

} // namespace ostore
