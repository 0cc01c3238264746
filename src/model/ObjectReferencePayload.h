#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>
#include <vector>

class KNVTCDTaskStoreObject;
class QMimeData;

namespace knvt {

// The one payload of every object drag in the program: the identifier URIs of the dragged objects, under the drag
// type KNVTTastStoreManagedObjectDragAndDropUTI, plus readable text for other programs. Every window writes and reads
// it here, so a drop target never sees a second format.
//
// Bytes: a QDataStream (Qt 6.4) of a quint32 version (1) and a QStringList of URIs. The reader is strict because drag
// data can come from anywhere: another version, trailing bytes, more than MaximumCount entries or an entry that is
// not a valid URL make the whole payload unreadable.
class ObjectReferencePayload
{
public:
    static constexpr quint32 Version = 1;
    static constexpr qsizetype MaximumCount = 100000;

    static QByteArray encode(const QList<QUrl> &uris);
    static std::optional<QList<QUrl>> decode(const QByteArray &bytes);

    // Puts the payload under the drag type and `text` under text/plain. The text is what the user would want pasted
    // into another program (the objects' pasteboard strings, or the names the rows show), never the payload bytes.
    static void write(QMimeData &mime, const QList<QUrl> &uris, const QString &text);
    // The one plain-text rule of every object drag, so that a drag of the same objects reads the same wherever it
    // starts: each object adds its pasteboard string where the model gives one (a task's line, a list's title), else
    // the name its row or token shows (`shownName`), each ending with a line break. Writes the payload of the objects'
    // URIs, and the text when there is any.
    using ShownName = std::function<QString(const KNVTCDTaskStoreObject &object)>;
    static void writeObjects(QMimeData &mime, const std::vector<const KNVTCDTaskStoreObject *> &objects,
                             const ShownName &shownName = {});
    // The URIs of the payload under the drag type; nothing when there is none or it is unreadable. Text is ignored.
    static std::optional<QList<QUrl>> read(const QMimeData &mime);
    static bool hasPayload(const QMimeData &mime);
};

} // namespace knvt
