// The sharing settings of a project or area.
#include "AccountsTest.h"

#include "accounts/KNVTAccountAuthenticationWindowController.h"
#include "accounts/KNVTAccountDetailsWindowController.h"
#include "accounts/KNVTFriendshipNewWindowController.h"
#include "accounts/KNVTTaskListSharingSettingsModel.h"
#include "accounts/KNVTTaskListSharingSettingsWindowController.h"
#include "accounts/KNVTUserSelectionModel.h"
#include "accounts/KNVTUserSelectionViewController.h"

#include "model/KNVTCDTask.h"
#include "model/ObjectReferencePayload.h"

#include "support/ScriptedAlertPresenter.h"

#include <sqlite3.h>

#include <QDir>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>

class SharingSettingsTest : public AccountsTest
{
protected:
    void SetUp() override
    {
        AccountsTest::SetUp();
        configureAccount();
        ben = insertUser(QStringLiteral("Ben Berg"), QStringLiteral("ben"));
        cat = insertUser(QStringLiteral("Cat Cole"), QStringLiteral("cat"));
        dan = insertUser(QStringLiteral("Dan Dahl"), QStringLiteral("dan"));
        save();
    }

    std::unique_ptr<KNVTTaskListSharingSettingsWindowController> openSheet(KNVTCDTaskList *list)
    {
        auto sheet = std::make_unique<KNVTTaskListSharingSettingsWindowController>(list, &store());
        sheet->open();
        return sheet;
    }
    static QStringList rows(KNVTTaskListSharingSettingsWindowController &sheet)
    {
        QStringList texts;
        KNVTTaskListSharingSettingsModel *model = sheet.model();
        for (int row = 0; row < model->rowCount(); ++row) {
            texts << QStringLiteral("%1|%2|%3")
                         .arg(model->index(row, 0).data().toString(), model->index(row, 1).data().toString(),
                              model->index(row, 2).data().toString());
        }
        return texts;
    }
    static QPushButton *saveButton(KNVTTaskListSharingSettingsWindowController &sheet)
    {
        return sheet.findChild<QPushButton *>(QStringLiteral("saveButton"));
    }
    static std::unique_ptr<QMimeData> drag(const std::vector<const ostore::Object *> &objects)
    {
        QList<QUrl> uris;
        for (const ostore::Object *object : objects)
            uris << knvt::managedObjectIDURIRepresentation(*object);
        auto mime = std::make_unique<QMimeData>();
        knvt::ObjectReferencePayload::write(*mime, uris, QStringLiteral("dragged"));
        return mime;
    }
    // Ticks or unticks `user` in the open popover, as a click on the box does.
    static void tick(KNVTTaskListSharingSettingsWindowController &sheet, KNVTCDUser *user, bool on)
    {
        KNVTUserSelectionModel *model = sheet.userSelectionViewController()->model();
        const int row = model->rowOfUser(user);
        ASSERT_GE(row, 0);
        ASSERT_TRUE(model->setData(model->index(row), on ? Qt::Checked : Qt::Unchecked, Qt::CheckStateRole));
    }
    // From now on the library refuses every new row of `table`, so a save that adds one fails.
    void refuseNewRecords(const QString &table)
    {
        sqlite3 *db = nullptr;
        const QString path = QDir(store().libraryPath()).filePath(KNVTTaskStore::kStoreFileName);
        ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
        const QByteArray sql = QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON \"%1\" "
                                              "BEGIN SELECT RAISE(ABORT, 'refused'); END;")
                                   .arg(table)
                                   .toUtf8();
        EXPECT_EQ(sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }
    qsizetype pendingEditorRecords(KNVTCDTaskList *list)
    {
        qsizetype count = 0;
        for (const KNVTCDTaskListCollaborator *record : list->taskListCollaborators())
            count += !record->isDeleted() && record->status() == 1 && record->role() == 2;
        return count;
    }

    KNVTCDUser *ben = nullptr;
    KNVTCDUser *cat = nullptr;
    KNVTCDUser *dan = nullptr;
};

TEST_F(SharingSettingsTest, TheSheetListsThePeopleSharedWithButTheOwner)
{
    KNVTCDTaskList *shared = insertTaskList(QStringLiteral("Garden"), 1, store().me(), {ben, cat});
    KNVTCDTaskList *alone = insertTaskList(QStringLiteral("Taxes"), 1, store().me());
    save();
    auto sheet = openSheet(shared);
    EXPECT_EQ(sheet->findChild<QLabel *>(QStringLiteral("headingTextField"))->text(),
              QStringLiteral("\"Garden\" Sharing settings"));
    EXPECT_EQ(sheet->findChild<QLabel *>(QStringLiteral("sharedByTextField"))->text(),
              store().me()->extendedDisplayName());
    EXPECT_EQ(rows(*sheet), QStringList({"Ben Berg (ben)|Accepted|Editor", "Cat Cole (cat)|Accepted|Editor"}));
    EXPECT_EQ(saveButton(*sheet)->text(), QStringLiteral("Update"));
    EXPECT_FALSE(saveButton(*sheet)->isEnabled());
    // A rename elsewhere shows in the heading.
    shared->setTitle(QStringLiteral("Allotment"));
    save();
    EXPECT_EQ(sheet->findChild<QLabel *>(QStringLiteral("headingTextField"))->text(),
              QStringLiteral("\"Allotment\" Sharing settings"));

    auto other = openSheet(alone);
    EXPECT_TRUE(rows(*other).isEmpty());
    EXPECT_EQ(saveButton(*other)->text(), QStringLiteral("Share"));
}

// Every sheet of the account windows has a close button and no maximise button in its frame.
TEST_F(SharingSettingsTest, TheAccountSheetsOfferNoMaximiseButton)
{
    KNVTCDTaskList *list = insertTaskList(QStringLiteral("Garden"), 1, store().me());
    save();
    KNVTTaskListSharingSettingsWindowController sharing(list, &store());
    KNVTAccountDetailsWindowController details(&store());
    KNVTFriendshipNewWindowController friendship(&store());
    KNVTAccountAuthenticationWindowController signInAgain(&store());
    for (const QWidget *sheet : std::initializer_list<const QWidget *>{&sharing, &details, &friendship, &signInAgain}) {
        EXPECT_TRUE(sheet->windowFlags().testFlag(Qt::CustomizeWindowHint)) << sheet->objectName().toStdString();
        EXPECT_FALSE(sheet->windowFlags().testFlag(Qt::WindowMaximizeButtonHint)) << sheet->objectName().toStdString();
        EXPECT_TRUE(sheet->windowFlags().testFlag(Qt::WindowCloseButtonHint)) << sheet->objectName().toStdString();
    }
}

TEST_F(SharingSettingsTest, ThePopoverAddsAndRemovesPeopleAndTheOwnerStays)
{
    KNVTCDTaskList *list = insertTaskList(QStringLiteral("Garden"), 1, store().me(), {ben});
    save();
    auto sheet = openSheet(list);
    sheet->collaboratingUsersSelection();
    KNVTUserSelectionViewController *selection = sheet->userSelectionViewController();
    ASSERT_NE(selection, nullptr);
    KNVTUserSelectionModel *model = selection->model();
    const int ownerRow = model->rowOfUser(store().me());
    EXPECT_EQ(model->index(ownerRow).data(Qt::CheckStateRole).toInt(), Qt::Checked);
    EXPECT_FALSE(model->index(ownerRow).flags().testFlag(Qt::ItemIsUserCheckable));
    EXPECT_EQ(selection->users().size(), 4u) << "everybody, the local user included";

    tick(*sheet, dan, true);
    EXPECT_EQ(rows(*sheet), QStringList({"Ben Berg (ben)|Accepted|Editor", "Dan Dahl (dan)|-|-"}));
    EXPECT_TRUE(saveButton(*sheet)->isEnabled());
    tick(*sheet, dan, false);
    EXPECT_EQ(rows(*sheet), QStringList({"Ben Berg (ben)|Accepted|Editor"}));
    EXPECT_FALSE(saveButton(*sheet)->isEnabled());

    sheet->collaboratingUsersSelection();
    EXPECT_EQ(sheet->userSelectionPopover(), nullptr) << "the same action closes it";
}

TEST_F(SharingSettingsTest, DropsAddPeopleOnlyOnceAndNeverTheOwner)
{
    KNVTCDTaskList *list = insertTaskList(QStringLiteral("Garden"), 1, store().me(), {ben});
    KNVTCDTask *task = store().taskWithTitle(QStringLiteral("Dig"));
    save();
    auto sheet = openSheet(list);
    const auto onlyTask = drag({task});
    EXPECT_EQ(sheet->validateDrop(*onlyTask, Qt::CopyAction | Qt::MoveAction), Qt::IgnoreAction);
    const auto people = drag({task, cat, dan, ben, store().me()});
    EXPECT_EQ(sheet->validateDrop(*people, Qt::CopyAction), Qt::CopyAction);
    EXPECT_EQ(sheet->validateDrop(*people, Qt::CopyAction | Qt::MoveAction), Qt::MoveAction);
    EXPECT_TRUE(sheet->acceptDrop(*people));
    EXPECT_EQ(rows(*sheet),
              QStringList({"Ben Berg (ben)|Accepted|Editor", "Cat Cole (cat)|-|-", "Dan Dahl (dan)|-|-"}));
    EXPECT_TRUE(sheet->acceptDrop(*people));
    EXPECT_EQ(rows(*sheet).size(), 3);
    EXPECT_TRUE(saveButton(*sheet)->isEnabled());

    // Dragged out of the table, the rows carry their people.
    std::unique_ptr<QMimeData> out(
        sheet->model()->mimeData({sheet->model()->index(1, 0), sheet->model()->index(1, 2)}));
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(knvt::ObjectReferencePayload::read(*out)->size(), 1);
    EXPECT_EQ(out->text(), QStringLiteral("Cat Cole\n"));
}

TEST_F(SharingSettingsTest, SavingInvitesTheAddedRemovesTheRemovedAndCloses)
{
    KNVTCDTaskList *list = insertTaskList(QStringLiteral("Garden"), 1, store().me(), {ben});
    save();
    auto sheet = openSheet(list);
    sheet->collaboratingUsersSelection();
    tick(*sheet, cat, true);
    tick(*sheet, ben, false);
    saveButton(*sheet)->click();
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_FALSE(context().hasChanges());
    EXPECT_EQ(pendingEditorRecords(list), 1);
    std::vector<KNVTCDUser *> members = list->activeTaskListCollaboratorUsers();
    EXPECT_EQ(std::set<KNVTCDUser *>(members.begin(), members.end()), std::set<KNVTCDUser *>({store().me(), cat}));
}

TEST_F(SharingSettingsTest, ARefusedSaveIsReportedOnceAndLeavesNothingForALaterSave)
{
    KNVTCDTaskList *list = insertTaskList(QStringLiteral("Garden"), 1, store().me());
    save();
    const auto insertedRecords = [this] {
        qsizetype count = 0;
        for (const ostore::Object *object : context().insertedObjects())
            count += dynamic_cast<const KNVTCDTaskListCollaborator *>(object) != nullptr;
        return count;
    };
    auto sheet = openSheet(list);
    sheet->acceptDrop(*drag({ben}));
    refuseNewRecords(list->taskListCollaborators().front()->entity().name);
    for (int attempt = 1; attempt <= 2; ++attempt) {
        saveButton(*sheet)->click();
        EXPECT_EQ(presentedErrors().size(), size_t(attempt));
        EXPECT_TRUE(sheet->isVisible());
        EXPECT_EQ(insertedRecords(), 0) << "attempt " << attempt;
        EXPECT_EQ(rows(*sheet), QStringList({"Ben Berg (ben)|-|-"})) << "the user's choice stays to try again";
        EXPECT_TRUE(saveButton(*sheet)->isEnabled());
    }
    sheet->cancel();
    EXPECT_FALSE(sheet->isVisible());
    insertTask(QStringLiteral("Unrelated"));
    save();
    EXPECT_EQ(list->activeTaskListCollaboratorUsers(), std::vector<KNVTCDUser *>({store().me()}))
        << "the unrelated save stores no invitation";
}

TEST_F(SharingSettingsTest, AListWithoutAnOwnerRecordCanStillBeShared)
{
    KNVTCDTaskList *pulled = insertTaskList(QStringLiteral("Club"), 1, nullptr, {ben});
    save();
    ASSERT_EQ(pulled->owner(), nullptr);
    auto sheet = openSheet(pulled);
    EXPECT_EQ(rows(*sheet), QStringList({"Ben Berg (ben)|Accepted|Editor"}));
    EXPECT_EQ(sheet->findChild<QLabel *>(QStringLiteral("sharedByTextField"))->text(), QStringLiteral("Unknown"));
    sheet->collaboratingUsersSelection();
    KNVTUserSelectionModel *model = sheet->userSelectionViewController()->model();
    for (int row = 0; row < model->rowCount(); ++row)
        EXPECT_TRUE(model->index(row).flags().testFlag(Qt::ItemIsUserCheckable)) << "nobody is fixed";
    tick(*sheet, cat, true);
    saveButton(*sheet)->click();
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(pendingEditorRecords(pulled), 1);
    EXPECT_EQ(pulled->activeTaskListCollaboratorUsers().size(), 2u);
}

TEST_F(SharingSettingsTest, DeletingTheListMeanwhileClosesTheSheetWithoutWritingAndSaysWhy)
{
    knvt::ScriptedAlertPresenter alerts;
    KNVTCDTaskList *list = insertTaskList(QStringLiteral("Garden"), 1, store().me(), {ben});
    save();
    auto sheet = openSheet(list);
    sheet->acceptDrop(*drag({cat}));
    store().taskWithTitle(QStringLiteral("Unrelated"));
    save();
    EXPECT_TRUE(sheet->isVisible()) << "other changes leave it open";
    list->setDeletedDate(m_clock.now());
    save();
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(pendingEditorRecords(list), 0);
    QApplication::processEvents();
    ASSERT_EQ(alerts.requests().size(), 1);
    EXPECT_EQ(alerts.requests().front().title, QStringLiteral("The project “Garden” was deleted."))
        << "by a save here, not elsewhere";
    EXPECT_EQ(alerts.requests().front().message,
              QStringLiteral("Its window closed. Your changes were not saved. What you typed:"));
    EXPECT_EQ(alerts.requests().front().typed, QStringLiteral("Shared With: Ben Berg (ben), Cat Cole (cat)"))
        << "the person dropped on the table is given back with those the list had";
}
