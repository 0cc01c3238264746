#include "ModelTest.h"

#include "model/ObjectReferencePayload.h"

#include "foundation/DataAdditions.h"

#include <QMimeData>

namespace {

using ModelPasteboardTest = ModelTest;

TEST_F(ModelPasteboardTest, DragTypeCarriesTheIdentifierURI)
{
    auto *list = insert<KNVTCDTaskList>();
    const QVariant before =
        list->pasteboardPropertyListForType(QLatin1String(KNVTTastStoreManagedObjectDragAndDropUTI));
    ASSERT_EQ(before.typeId(), QMetaType::QUrl);
    save();
    const QUrl uri =
        list->pasteboardPropertyListForType(QLatin1String(KNVTTastStoreManagedObjectDragAndDropUTI)).toUrl();
    EXPECT_EQ(uri, before.toUrl()) << "a reference taken before the save stays valid";
    const std::optional<ostore::ObjectID> id = coordinator().objectIDForURI(uri);
    ASSERT_TRUE(id.has_value());
    EXPECT_EQ(context().existingObject(*id), list);
    EXPECT_FALSE(list->pasteboardPropertyListForType(QStringLiteral("application/json")).isValid());
}

TEST_F(ModelPasteboardTest, PlainTextFallsBackToDescription)
{
    auto *tag = insert<KNVTCDTag>();
    const QString text = tag->pasteboardPropertyListForType(QStringLiteral("text/plain")).toString();
    EXPECT_EQ(text, QStringLiteral("<KNVTCDTag: %1>").arg(tag->uri().toString()));

    close();
    open(testNoteModel, kTestNoteFile);
    auto *note = insert<KNVTTestNote>();
    EXPECT_EQ(note->pasteboardPropertyListForType(QStringLiteral("text/plain")).toString(), note->description());
    note->setTitle(QStringLiteral("Call Ada"));
    EXPECT_EQ(note->pasteboardPropertyListForType(QStringLiteral("text/plain")).toString(), QStringLiteral("Call Ada"));
}

TEST_F(ModelPasteboardTest, ADragOfObjectsReadsAsTheirPasteboardStringsOrTheNamesTheirRowsShow)
{
    auto *task = insert<KNVTCDTask>();
    task->setTitle(QStringLiteral("Pay rent"));
    task->setNotes(QStringLiteral("to Ann"));
    auto *list = insert<KNVTCDTaskList>();
    list->setTitle(QStringLiteral("Garden"));
    auto *tag = insert<KNVTCDTag>();
    auto *unnamed = insert<KNVTCDTag>();
    const knvt::ObjectReferencePayload::ShownName shown = [tag](const KNVTCDTaskStoreObject &object) {
        return &object == tag ? QStringLiteral("errand") : QString();
    };

    QMimeData mime;
    knvt::ObjectReferencePayload::writeObjects(mime, {task, list, tag, unnamed}, shown);
    EXPECT_EQ(knvt::ObjectReferencePayload::read(mime),
              (QList<QUrl>{task->uri(), list->uri(), tag->uri(), unnamed->uri()}));
    EXPECT_EQ(mime.text(), QStringLiteral("- Pay rent (to Ann)\nGarden\nerrand\n"));

    // No readable text at all: no text, rather than the payload or an empty string.
    QMimeData tagsOnly;
    knvt::ObjectReferencePayload::writeObjects(tagsOnly, {unnamed});
    EXPECT_FALSE(tagsOnly.hasText());
    EXPECT_EQ(knvt::ObjectReferencePayload::read(tagsOnly), QList<QUrl>{unnamed->uri()});
}

TEST_F(ModelPasteboardTest, LocalURLWrapsTheURIInBase64)
{
    auto *user = insert<KNVTCDUser>();
    const QString uri = knvt::managedObjectIDURIStringRepresentation(*user);
    ASSERT_TRUE(uri.startsWith(QStringLiteral("x-ostore://")));
    const QString expected = QStringLiteral("quillvane://api/1/managed_objects/") + knvt::base64Encoded(uri.toUtf8());
    EXPECT_EQ(user->localURL().toString(), expected);
}

} // namespace
