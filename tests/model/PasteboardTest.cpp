#include "ModelTest.h"

#include "foundation/DataAdditions.h"

namespace {

using ModelPasteboardTest = ModelTest;

TEST_F(ModelPasteboardTest, OffersTheDragTypeThenPlainText)
{
    const QStringList expected{QStringLiteral("KNVTTastStoreManagedObjectDragAndDropUTI"), QStringLiteral("text/plain")};
    auto *task = insert<KNVTCDTask>();
    EXPECT_EQ(KNVTCDTaskStoreObject::readableTypesForPasteboard(), expected);
    EXPECT_EQ(task->writableTypesForPasteboard(), expected);
    EXPECT_EQ(KNVTCDTaskStoreObject::readingOptionsForType(expected[0]),
              KNVTCDTaskStoreObject::PasteboardReadingAsKeyedArchive);
    EXPECT_EQ(KNVTCDTaskStoreObject::readingOptionsForType(expected[1]), KNVTCDTaskStoreObject::PasteboardReadingAsString);
    EXPECT_EQ(KNVTCDTaskStoreObject::readingOptionsForType(QStringLiteral("image/png")),
              KNVTCDTaskStoreObject::PasteboardReadingAsData);
    EXPECT_EQ(int(KNVTCDTaskStoreObject::PasteboardReadingAsKeyedArchive), 4);
}

TEST_F(ModelPasteboardTest, DragTypeCarriesTheIdentifierURI)
{
    auto *list = insert<KNVTCDTaskList>();
    const QVariant before = list->pasteboardPropertyListForType(QLatin1String(KNVTTastStoreManagedObjectDragAndDropUTI));
    ASSERT_EQ(before.typeId(), QMetaType::QUrl);
    save();
    const QUrl uri = list->pasteboardPropertyListForType(QLatin1String(KNVTTastStoreManagedObjectDragAndDropUTI)).toUrl();
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

TEST_F(ModelPasteboardTest, TextHooksDefaultToNothing)
{
    // A watcher row overrides none of the text hooks.
    auto *watcher = insert<KNVTCDTaskWatcher>();
    for (const QString &text : {watcher->pasteboardString(), watcher->HTMLStringForPrinting(),
                                watcher->HTMLOverviewStringForPrinting(), watcher->shareActivityText(),
                                watcher->localNotificationBody(), watcher->localNotificationAction()})
        EXPECT_TRUE(text.isNull());
    EXPECT_FALSE(watcher->hasPasteboardString() || watcher->hasHTMLStringForPrinting()
                 || watcher->hasHTMLOverviewStringForPrinting() || watcher->shouldShowInLocalNotification());

    close();
    open(testNoteModel, kTestNoteFile);
    auto *note = insert<KNVTTestNote>();
    note->setTitle(QStringLiteral("x"));
    EXPECT_TRUE(note->hasPasteboardString());
    EXPECT_EQ(note->HTMLOverviewStringForPrinting(), QStringLiteral("<p>x</p>")) << "the overview defaults to the page";
    EXPECT_TRUE(note->hasHTMLOverviewStringForPrinting());
}

TEST_F(ModelPasteboardTest, LocalURLWrapsTheURIInBase64)
{
    auto *user = insert<KNVTCDUser>();
    const QString uri = knvt::managedObjectIDURIStringRepresentation(*user);
    ASSERT_TRUE(uri.startsWith(QStringLiteral("x-ostore://")));
    const QString expected = QStringLiteral("quillvane://api/1/managed_objects/") + knvt::base64Encoded(uri.toUtf8());
    EXPECT_EQ(user->localURL().toString(), expected);
    EXPECT_EQ(user->localURL().scheme(), QStringLiteral("quillvane"));
    const QString payload = user->localURL().toString().mid(expected.indexOf(QStringLiteral("managed_objects/")) + 16);
    EXPECT_EQ(QString::fromUtf8(knvt::base64Decoded(payload.toLatin1())), uri);
}

} // namespace
