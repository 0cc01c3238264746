#include "model/ObjectReferencePayload.h"
#include "model/KNVTCDTaskStoreObject.h"

#include <QDataStream>
#include <QIODevice>
#include <QMimeData>

#include "support/Mutator.h"

#include <gtest/gtest.h>

using knvt::ObjectReferencePayload;

namespace {

const QList<QUrl> kUris{QUrl(QStringLiteral("x-ostore://7F3A/KNVTCDTask/p12")),
                        QUrl(QStringLiteral("x-ostore://7F3A/KNVTCDTaskList/p3"))};

QByteArray stream(quint32 version, const QStringList &texts, const QByteArray &tail = {})
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    out << version << texts;
    return bytes + tail;
}

} // namespace

TEST(ObjectReferencePayload, CarriesTheUrisUnderTheDragTypeAndTextForOtherPrograms)
{
    QMimeData mime;
    ObjectReferencePayload::write(mime, kUris, QStringLiteral("- Pay rent (Inbox)\n"));
    EXPECT_TRUE(mime.hasFormat(QString::fromLatin1(KNVTTastStoreManagedObjectDragAndDropUTI)));
    EXPECT_EQ(mime.text(), QStringLiteral("- Pay rent (Inbox)\n"));
    EXPECT_EQ(ObjectReferencePayload::read(mime), kUris);

    QMimeData textOnly;
    textOnly.setText(QStringLiteral("x-ostore://7F3A/KNVTCDTask/p12"));
    EXPECT_FALSE(ObjectReferencePayload::hasPayload(textOnly));
    EXPECT_EQ(ObjectReferencePayload::read(textOnly), std::nullopt) << "text is never read as a payload";
}

TEST(ObjectReferencePayload, RefusesAnythingButTheExactVersionOneForm)
{
    const QStringList texts{kUris[0].toString()};
    EXPECT_EQ(ObjectReferencePayload::decode(stream(1, texts)), QList<QUrl>{kUris[0]});
    EXPECT_EQ(ObjectReferencePayload::decode(stream(1, {})), QList<QUrl>{}) << "an empty list is a valid payload";

    EXPECT_EQ(ObjectReferencePayload::decode(stream(2, texts)), std::nullopt) << "another version";
    EXPECT_EQ(ObjectReferencePayload::decode(stream(1, texts, "x")), std::nullopt) << "trailing bytes";
    EXPECT_EQ(ObjectReferencePayload::decode(stream(1, texts).chopped(3)), std::nullopt) << "truncated";
    EXPECT_EQ(ObjectReferencePayload::decode(stream(1, {QStringLiteral("no scheme")})), std::nullopt);
    EXPECT_EQ(ObjectReferencePayload::decode({}), std::nullopt);

    QStringList tooMany(ObjectReferencePayload::MaximumCount + 1, kUris[0].toString());
    EXPECT_EQ(ObjectReferencePayload::decode(stream(1, tooMany)), std::nullopt);
    tooMany.removeLast();
    EXPECT_EQ(ObjectReferencePayload::decode(stream(1, tooMany))->size(), ObjectReferencePayload::MaximumCount);

    // A count that promises far more entries than the bytes hold is refused without reserving for it.
    QByteArray liar;
    QDataStream out(&liar, QIODevice::WriteOnly);
    out << quint32(1) << quint32(0xFFFFFFF0);
    EXPECT_EQ(ObjectReferencePayload::decode(liar), std::nullopt);
}

// Seeded random mutations of a valid payload: the reader never crashes, and whatever it accepts holds only valid
// absolute URLs.
TEST(ObjectReferencePayload, MutatedBytesNeverCrashTheReader)
{
    const QByteArray valid = ObjectReferencePayload::encode(kUris);
    knvt::test::Mutator mutate(20261207);
    for (int round = 0; round < 5000; ++round) {
        const QByteArray bytes = mutate.bytes(valid);
        if (const auto uris = ObjectReferencePayload::decode(bytes)) {
            for (const QUrl &uri : *uris)
                EXPECT_TRUE(uri.isValid() && !uri.isRelative()) << "round " << round;
        }
    }
}
