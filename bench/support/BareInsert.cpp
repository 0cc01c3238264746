#include "support/BareInsert.h"
#include "support/SqliteStatement.h"

#include <QDir>

#include <sqlite3.h>

#include <cstdio>

namespace knvt::bench {

bool BareInsert::capture(const QString &path)
{
    m_schema.clear();
    m_tables.clear();
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close_v2(db);
        return false;
    }
    std::vector<QByteArray> tables;
    {
        // Tables before their indexes, as they were made; SQLite's own tables are not ours to make.
        SqliteStatement schema(db,
                               "SELECT type, name, sql FROM sqlite_master WHERE sql NOT NULL AND name NOT LIKE "
                               "'sqlite_%' ORDER BY type = 'index', rowid");
        while (sqlite3_step(schema.get()) == SQLITE_ROW) {
            const auto text = [&](int column) {
                return QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(schema.get(), column)),
                                  sqlite3_column_bytes(schema.get(), column));
            };
            m_schema.push_back(text(2));
            if (text(0) == "table")
                tables.push_back(text(1));
        }
    }
    for (const QByteArray &name : tables) {
        SqliteStatement rows(db, ("SELECT * FROM \"" + name + "\"").constData());
        if (!rows.get())
            continue;
        Table table;
        table.columns = sqlite3_column_count(rows.get());
        QByteArray marks;
        for (int c = 0; c < table.columns; ++c)
            marks += c ? ", ?" : "?";
        table.insert = "INSERT INTO \"" + name + "\" VALUES (" + marks + ")";
        while (sqlite3_step(rows.get()) == SQLITE_ROW) {
            for (int c = 0; c < table.columns; ++c) {
                sqlite3_stmt *s = rows.get();
                switch (sqlite3_column_type(s, c)) {
                case SQLITE_INTEGER: table.cells.emplace_back(qint64(sqlite3_column_int64(s, c))); break;
                case SQLITE_FLOAT: table.cells.emplace_back(sqlite3_column_double(s, c)); break;
                case SQLITE_TEXT:
                    table.cells.emplace_back(QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(s, c)),
                                                        sqlite3_column_bytes(s, c)));
                    break;
                case SQLITE_BLOB: {
                    const char *bytes = static_cast<const char *>(sqlite3_column_blob(s, c));
                    table.cells.emplace_back(std::vector<char>(bytes, bytes + sqlite3_column_bytes(s, c)));
                    break;
                }
                default: table.cells.emplace_back(std::monostate()); break;
                }
            }
        }
        m_tables.push_back(std::move(table));
    }
    sqlite3_close_v2(db);
    return !m_tables.empty();
}

qsizetype BareInsert::rowCount() const
{
    qsizetype rows = 0;
    for (const Table &table : m_tables)
        rows += table.columns ? qsizetype(table.cells.size()) / table.columns : 0;
    return rows;
}

double BareInsert::insertInto(const QString &folder) const
{
    sqlite3 *db = nullptr;
    const QByteArray path = QDir(folder).filePath(QStringLiteral("Bare.sqlite3")).toUtf8();
    if (sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK
        || !configureLikeALibrary(db)) {
        sqlite3_close_v2(db);
        return -1;
    }
    bool ok = true;
    for (const QByteArray &sql : m_schema)
        ok = ok && sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    double seconds = -1;
    if (ok) {
        seconds = secondsOf([&] {
            ok = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
            for (const Table &table : m_tables) {
                SqliteStatement insert(db, table.insert.constData());
                ok = ok && insert.get();
                for (size_t row = 0; ok && row < table.cells.size(); row += size_t(table.columns)) {
                    sqlite3_stmt *s = insert.get();
                    for (int c = 0; c < table.columns; ++c) {
                        const Cell &cell = table.cells[row + size_t(c)];
                        if (const qint64 *i = std::get_if<qint64>(&cell))
                            sqlite3_bind_int64(s, c + 1, *i);
                        else if (const double *d = std::get_if<double>(&cell))
                            sqlite3_bind_double(s, c + 1, *d);
                        else if (const QByteArray *t = std::get_if<QByteArray>(&cell))
                            sqlite3_bind_text(s, c + 1, t->constData(), int(t->size()), SQLITE_STATIC);
                        else if (const auto *b = std::get_if<std::vector<char>>(&cell))
                            sqlite3_bind_blob(s, c + 1, b->data(), int(b->size()), SQLITE_STATIC);
                        else
                            sqlite3_bind_null(s, c + 1);
                    }
                    ok = sqlite3_step(s) == SQLITE_DONE;
                    sqlite3_reset(s);
                }
            }
            ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
        });
    }
    if (!ok)
        std::fprintf(stderr, "the bare insert failed: %s\n", sqlite3_errmsg(db));
    sqlite3_close_v2(db);
    return ok ? seconds : -1;
}

} // namespace knvt::bench
