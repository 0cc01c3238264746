#include "foundation/Error.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace knvt {

Error::Error(QString domain, qint64 code, QVariantMap userInfo)
    : m_domain(std::move(domain)), m_code(code), m_userInfo(std::move(userInfo))
{}

QString Error::description() const
{
    if (isNull())
        return QStringLiteral("(no error)");
    const QByteArray info = QJsonDocument(QJsonObject::fromVariantMap(m_userInfo)).toJson(QJsonDocument::Compact);
    return QStringLiteral("Error Domain=%1 Code=%2 UserInfo=%3")
        .arg(m_domain, QString::number(m_code), QString::fromUtf8(info));
}

void Error::report(Error *slot, const Error &error)
{
    if (slot)
        *slot = error;
}

} // namespace knvt
