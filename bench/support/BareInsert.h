#pragma once

// The machine's own speed at writing what a benchmark wrote: the rows a library holds, captured once, inserted again
// into an empty file of the same schema by SQLite alone, in one transaction with the library's journal and sync
// settings. Benchmarks that write a library time this next to their own work, in the same process and the same run,
// so that a busy machine slows both and their ratio stays put.

#include "support/SameRunRatio.h"

#include <QByteArray>
#include <QString>

#include <variant>
#include <vector>

namespace knvt::bench {

class BareInsert
{
public:
    // Reads the schema and every row of the library at `path`; false when it cannot be read.
    bool capture(const QString &path);
    bool isEmpty() const { return m_tables.empty(); }
    qsizetype rowCount() const;

    // Creates an empty file of the captured schema in `folder` (untimed), then inserts every captured row in one
    // transaction and commits it; answers the seconds from BEGIN to the end of COMMIT, or a negative number when
    // something failed.
    double insertInto(const QString &folder) const;

private:
    using Cell = std::variant<std::monostate, qint64, double, QByteArray /* text, UTF-8 */, std::vector<char>>;
    struct Table
    {
        QByteArray insert; // INSERT INTO <table> VALUES (?, ...)
        int columns = 0;
        std::vector<Cell> cells; // row after row
    };
    std::vector<QByteArray> m_schema;
    std::vector<Table> m_tables;
};

} // namespace knvt::bench
