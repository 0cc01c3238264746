#include "objectstore/Statement.h"

#include <utility>

namespace ostore {

Statement::Statement(sqlite3 *db, const QString &sql, bool persistent)
{
    const QByteArray utf8 = sql.toUtf8();
    m_prepareResult = sqlite3_prepare_v3(db, utf8.constData(), int(utf8.size()),
                                         persistent ? SQLITE_PREPARE_PERSISTENT : 0, &m_stmt, nullptr);
    if (m_prepareResult != SQLITE_OK) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
    }
}

Statement::~Statement()
{
    sqlite3_finalize(m_stmt);
}

Statement::Statement(Statement &&other) noexcept
    : m_stmt(std::exchange(other.m_stmt, nullptr)), m_prepareResult(other.m_prepareResult)
{}

Statement &Statement::operator=(Statement &&other) noexcept
{
    if (this != &other) {
        sqlite3_finalize(m_stmt);
        m_stmt = std::exchange(other.m_stmt, nullptr);
        m_prepareResult = other.m_prepareResult;
    }
    return *this;
}

void Statement::reset()
{
    if (m_stmt) {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    }
}

void Statement::bindText(int i, const QString &v)
{
    if (!m_stmt)
        return;
    sqlite3_bind_text16(m_stmt, i, v.utf16(), int(v.size() * 2), SQLITE_TRANSIENT);
}

void Statement::bindBlob(int i, const QByteArray &v)
{
    if (!m_stmt)
        return;
    // A non-null empty blob stays a zero-length blob, not NULL.
    sqlite3_bind_blob(m_stmt, i, v.constData() ? v.constData() : "", int(v.size()), SQLITE_TRANSIENT);
}

QString Statement::textAt(int c) const
{
    const auto *data = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, c));
    const int bytes = sqlite3_column_bytes(m_stmt, c);
    if (!data)
        return QString();
    QString s = QString::fromUtf8(data, bytes);
    if (s.isNull())
        s = QLatin1String("");
    return s;
}

QByteArray Statement::blobAt(int c) const
{
    if (isNull(c))
        return QByteArray();
    const void *data = sqlite3_column_blob(m_stmt, c);
    const int bytes = sqlite3_column_bytes(m_stmt, c);
    QByteArray out(static_cast<const char *>(data), bytes);
    if (out.isNull())
        out = QByteArray("", 0);
    return out;
}

} // namespace ostore
