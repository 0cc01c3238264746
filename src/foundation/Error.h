#pragma once

#include <QString>
#include <QVariantMap>

inline constexpr char KNVTTaskStoreErrorDomain[] = "KNVTTaskStoreErrorDomain";
inline constexpr char KNVTRequestErrorDomain[] = "KNVTRequestErrorDomain";

namespace knvt {

// Keychain failures keep the operating-system status codes of the platform they were designed for.
inline constexpr char NSOSStatusErrorDomain[] = "NSOSStatusErrorDomain";
inline constexpr char CURLErrorDomain[] = "CURLErrorDomain";

// A failure returned beside a result: a domain, a numeric code and a dictionary of details. A default-constructed
// error is "no error"; operations take an optional `Error *` slot that they fill only on failure.
class Error
{
public:
    Error() = default;
    Error(QString domain, qint64 code, QVariantMap userInfo = {});

    bool isNull() const { return m_domain.isEmpty(); }
    explicit operator bool() const { return !isNull(); }

    const QString &domain() const { return m_domain; }
    qint64 code() const { return m_code; }
    const QVariantMap &userInfo() const { return m_userInfo; }

    // "Error Domain=<domain> Code=<code> UserInfo={...}", for log lines.
    QString description() const;

    // Writes `error` into `slot` when the caller gave one; the common tail of every failing operation.
    static void report(Error *slot, const Error &error);

    bool operator==(const Error &other) const = default;

private:
    QString m_domain;
    qint64 m_code = 0;
    QVariantMap m_userInfo;
};

} // namespace knvt
