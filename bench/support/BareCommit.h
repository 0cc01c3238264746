#pragma once

// The machine's own cost of a durable one-row write: SQLite alone inserting one row into a table of a library's
// schema and committing it, in a file of its own with the library's journal and sync settings (WAL,
// synchronous=FULL). A one-object save is timed against it in the same process and the same run.

#include <QByteArray>
#include <QString>

#include <functional>

namespace benchmark {
class State;
}

struct sqlite3;

namespace knvt::bench {

class BareCommit
{
public:
    BareCommit() = default;
    ~BareCommit();
    BareCommit(const BareCommit &) = delete;
    BareCommit &operator=(const BareCommit &) = delete;

    // Creates `folder`/Bare.sqlite3 with the table `table` of the library at `libraryPath` and its indexes; false
    // when something failed.
    bool open(const QString &libraryPath, const QString &folder, const QByteArray &table);
    // One row with a new Z_ID and a title, in a transaction of its own; the seconds from BEGIN to the end of COMMIT,
    // or a negative number when something failed.
    double insertOneRow();
    // Times `saveOnce` (a change and its save; false when the save failed) against one row committed here in every
    // iteration of `state`, and reports the ratio (SameRunRatio). `flip` alternates, so that every save changes
    // something.
    void timeAgainst(benchmark::State &state, const std::function<bool(bool flip)> &saveOnce);

private:
    sqlite3 *m_db = nullptr;
    QByteArray m_table;
    qint64 m_nextId = 1;
};

} // namespace knvt::bench
