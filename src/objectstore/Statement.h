#pragma once

#include <QByteArray>
#include <QString>

#include <sqlite3.h>

namespace ostore {

// Owns one prepared sqlite3_stmt. Binding indexes start at 1, column indexes at 0, as in SQLite.
class Statement
{
public:
    Statement() = default;
    Statement(sqlite3 *db, const QString &sql, bool persistent = false);
    ~Statement();
    Statement(Statement &&other) noexcept;
    Statement &operator=(Statement &&other) noexcept;
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    bool isValid() const { return m_stmt != nullptr; }
    int prepareResult() const { return m_prepareResult; }
    sqlite3_stmt *handle() const { return m_stmt; }

    void reset();
    void bindNull(int i)
    {
        if (m_stmt)
            sqlite3_bind_null(m_stmt, i);
    }
    void bindInt(int i, qint64 v)
    {
        if (m_stmt)
            sqlite3_bind_int64(m_stmt, i, v);
    }
    void bindDouble(int i, double v)
    {
        if (m_stmt)
            sqlite3_bind_double(m_stmt, i, v);
    }
    void bindText(int i, const QString &v);
    // Binds without a copy: `v` must outlive the statement's next step.
    void bindTextInPlace(int i, const QString &v)
    {
        if (m_stmt)
            sqlite3_bind_text16(m_stmt, i, v.utf16(), int(v.size() * 2), SQLITE_STATIC);
    }
    void bindBlob(int i, const QByteArray &v);

    // SQLITE_ROW, SQLITE_DONE or an error code.
    int step()
    {
        return m_stmt ? sqlite3_step(m_stmt) : (m_prepareResult != SQLITE_OK ? m_prepareResult : SQLITE_MISUSE);
    }
    bool isNull(int c) const { return sqlite3_column_type(m_stmt, c) == SQLITE_NULL; }
    qint64 intAt(int c) const { return sqlite3_column_int64(m_stmt, c); }
    double doubleAt(int c) const { return sqlite3_column_double(m_stmt, c); }
    QString textAt(int c) const;
    QByteArray blobAt(int c) const;

private:
    sqlite3_stmt *m_stmt = nullptr;
    int m_prepareResult = SQLITE_OK;
};

} // namespace ostore
