#include "model/ObjectReferencePayload.h"

#include "model/KNVTCDTaskStoreObject.h"

#include <QDataStream>
#include <QIODevice>
#include <QMimeData>
#include <QStringList>

namespace knvt {

namespace {

QString dragType()
{
    return QString::fromLatin1(KNVTTastStoreManagedObjectDragAndDropUTI);
}

} // namespace

QByteArray ObjectReferencePayload::encode(const QList<QUrl> &uris)
{
    QStringList texts;
    texts.reserve(uris.size());
    for (const QUrl &uri : uris)
        texts.append(uri.toString(QUrl::FullyEncoded));
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    out << Version << texts;
    return bytes;
}

std::optional<QList<QUrl>> ObjectReferencePayload::decode(const QByteArray &bytes)
{
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_6_4);
    quint32 version = 0;
    in >> version;
    if (in.status() != QDataStream::Ok || version != Version)
        return std::nullopt;
    // Read the count first: a hostile count must not make the stream reserve memory for it.
    quint32 count = 0;
    in >> count;
    if (in.status() != QDataStream::Ok || count > quint32(MaximumCount))
        return std::nullopt;
    QList<QUrl> uris;
    uris.reserve(qsizetype(count));
    for (quint32 i = 0; i < count; ++i) {
        QString text;
        in >> text;
        if (in.status() != QDataStream::Ok)
            return std::nullopt;
        QUrl uri(text, QUrl::StrictMode);
        if (!uri.isValid() || uri.isRelative())
            return std::nullopt;
        uris.append(uri);
    }
    if (!in.atEnd())
        return std::nullopt;
    return uris;
}

void ObjectReferencePayload::write(QMimeData &mime, const QList<QUrl> &uris, const QString &text)
{
    mime.setData(dragType(), encode(uris));
    mime.setText(text);
}

void ObjectReferencePayload::writeObjects(QMimeData &mime, const std::vector<const KNVTCDTaskStoreObject *> &objects,
                                          const ShownName &shownName)
{
    QList<QUrl> uris;
    uris.reserve(qsizetype(objects.size()));
    QString text;
    for (const KNVTCDTaskStoreObject *object : objects) {
        uris.append(object->uri());
        QString line = object->pasteboardString();
        if (line.isEmpty() && shownName)
            line = shownName(*object);
        if (line.isEmpty())
            continue;
        // Every object ends its own line, so that two objects never run together.
        text += line;
        if (!line.endsWith(QLatin1Char('\n')))
            text += QLatin1Char('\n');
    }
    mime.setData(dragType(), encode(uris));
    if (!text.isEmpty())
        mime.setText(text);
}

std::optional<QList<QUrl>> ObjectReferencePayload::read(const QMimeData &mime)
{
    if (!hasPayload(mime))
        return std::nullopt;
    return decode(mime.data(dragType()));
}

bool ObjectReferencePayload::hasPayload(const QMimeData &mime)
{
    return mime.hasFormat(dragType());
}

} // namespace knvt
