#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>

namespace knvt {

// The status line and header block of one HTTP reply (the last block, when the reply had several).
class HttpResponse
{
public:
    HttpResponse() = default;
    HttpResponse(QUrl url, int statusCode, QList<QPair<QString, QString>> headerFields);

    const QUrl &url() const { return m_url; }
    int statusCode() const { return m_statusCode; }
    // In arrival order, names as the server wrote them.
    const QList<QPair<QString, QString>> &allHeaderFields() const { return m_headerFields; }
    // The first field of that name, matched without regard to case; a null QString when there is none.
    QString valueForHeaderField(const QString &name) const;

private:
    QUrl m_url;
    int m_statusCode = 0;
    QList<QPair<QString, QString>> m_headerFields;
};

} // namespace knvt
