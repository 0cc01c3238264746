#pragma once
// Readable GoogleTest failure messages for Qt values; included into every test translation unit by the build.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariant>

#include <ostream>

inline void PrintTo(const QString &value, std::ostream *os)
{
    *os << '"' << value.toStdString() << '"';
}
inline void PrintTo(const QByteArray &value, std::ostream *os)
{
    *os << "QByteArray(" << value.toHex(' ').toStdString() << ")";
}
inline void PrintTo(const QStringList &value, std::ostream *os)
{
    *os << '[' << value.join(", ").toStdString() << ']';
}
inline void PrintTo(const QDateTime &value, std::ostream *os)
{
    *os << (value.isValid() ? value.toString(Qt::ISODateWithMs).toStdString() : std::string("(invalid date)"));
}
inline void PrintTo(const QUrl &value, std::ostream *os)
{
    *os << value.toString().toStdString();
}
inline void PrintTo(const QVariant &value, std::ostream *os)
{
    *os << "QVariant(" << value.typeName() << ", " << value.toString().toStdString() << ")";
}
