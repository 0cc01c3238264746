#include "service/HttpResponse.h"

namespace knvt {

HttpResponse::HttpResponse(QUrl url, int statusCode, QList<QPair<QString, QString>> headerFields)
    : m_url(std::move(url)), m_statusCode(statusCode), m_headerFields(std::move(headerFields))
{}

QString HttpResponse::valueForHeaderField(const QString &name) const
{
    for (const auto &field : m_headerFields) {
        if (field.first.compare(name, Qt::CaseInsensitive) == 0)
            return field.second;
    }
    return QString();
}

} // namespace knvt
