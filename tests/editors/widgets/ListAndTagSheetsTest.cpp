#include "EditorsFixture.h"

#include "editors/KNVTAreaEditWindowController.h"
#include "editors/KNVTAreaNewWindowController.h"
#include "editors/KNVTAreaWindowController.h"
#include "editors/KNVTProjectEditWindowController.h"
#include "editors/KNVTProjectNewWindowController.h"
#include "editors/KNVTProjectWindowController.h"
#include "editors/KNVTTagEditWindowController.h"
#include "editors/KNVTTagNewWindowController.h"

#include "model/ObjectReferencePayload.h"

#include "uikit/KNVTDatePicker.h"

#include <QMimeData>
#include <QSignalSpy>

namespace {

class ListAndTagSheetsTest : public EditorsFixture
{
protected:
    void SetUp() override
    {
        EditorsFixture::SetUp();
        host.resize(600, 500);
        host.show();
    }

    std::vector<KNVTCDTaskList *> listsTitled(const QString &title) const
    {
        std::vector<KNVTCDTaskList *> found;
        for (KNVTCDTaskList *list : store->projects())
            if (list->title() == title)
                found.push_back(list);
        for (KNVTCDTaskList *list : store->areas())
            if (list->title() == title)
                found.push_back(list);
        return found;
    }

    QWidget host;
};

TEST_F(ListAndTagSheetsTest, ANewAreaNeedsATitleWithSomethingBesidesSpaces)
{
    KNVTAreaNewWindowController sheet(&host);
    sheet.open();
    QSignalSpy finished(&sheet, &QDialog::finished);
    EXPECT_FALSE(sheet.saveButton()->isEnabled());
    QTest::keyClicks(sheet.titleTextField(), "   ");
    EXPECT_FALSE(sheet.saveButton()->isEnabled());
    QTest::keyClick(sheet.titleTextField(), Qt::Key_Return);
    EXPECT_EQ(beeper.count(), 1);
    EXPECT_EQ(finished.count(), 0);
    EXPECT_TRUE(store->areas().empty());

    QTest::keyClicks(sheet.titleTextField(), "Home ");
    EXPECT_TRUE(sheet.saveButton()->isEnabled());
    QTest::keyClick(sheet.titleTextField(), Qt::Key_Return);
    EXPECT_EQ(finished.count(), 1);
    const std::vector<KNVTCDTaskList *> areas = listsTitled("Home");
    ASSERT_EQ(areas.size(), 1u);
    EXPECT_TRUE(areas.front()->isArea());
    EXPECT_EQ(areas.front()->owner(), me);
    EXPECT_FALSE(store->managedObjectContext()->hasChanges()) << "saved at Save";
}

TEST_F(ListAndTagSheetsTest, ANewProjectTakesItsDatesOnlyWithTheirBoxesAndItsDuePopoverOffersThePast)
{
    KNVTProjectNewWindowController sheet(&host);
    sheet.open();
    QTest::keyClicks(sheet.titleTextField(), "   ");
    sheet.save();
    EXPECT_EQ(beeper.count(), 1);
    EXPECT_TRUE(store->projects().empty());
    sheet.titleTextField()->setText("Orchard");
    EXPECT_EQ(sheet.startDateDatePicker()->dateValue(), day(4));
    EXPECT_EQ(sheet.startDateDatePicker()->minimumDateValue(), day(4));
    EXPECT_FALSE(sheet.dueDateDatePicker()->minimumDateValue().isValid());

    sheet.dueDateCheckBoxButton()->setChecked(true);
    QTest::mouseClick(sheet.dueDateCalendarButton(), Qt::LeftButton);
    KNVTDatePicker *due = sheet.dueDatePickerPopover()->findChild<KNVTDatePicker *>("datePicker");
    ASSERT_NE(due, nullptr);
    EXPECT_FALSE(due->minDate().isValid());
    QTest::keyClick(due, Qt::Key_Left); // yesterday
    EXPECT_EQ(sheet.dueDateDatePicker()->dateValue(), day(3));
    sheet.displayDueDatePickerPopover(sheet.dueDateCalendarButton());
    settle();
    EXPECT_EQ(sheet.dueDatePickerPopover(), nullptr);

    sheet.displayStartDatePickerPopover(sheet.startDateCalendarButton());
    KNVTDatePicker *start = sheet.startDatePickerPopover()->findChild<KNVTDatePicker *>("datePicker");
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(start->minDate(), day(4));
    QTest::keyClick(start, Qt::Key_Right);
    EXPECT_EQ(sheet.startDateDatePicker()->dateValue(), day(5));
    EXPECT_FALSE(sheet.startDateCheckBoxButton()->isChecked());

    sheet.save();
    const std::vector<KNVTCDTaskList *> orchards = listsTitled("Orchard");
    ASSERT_EQ(orchards.size(), 1u);
    EXPECT_TRUE(orchards.front()->isProject());
    EXPECT_EQ(orchards.front()->owner(), me);
    EXPECT_EQ(orchards.front()->dueDate(), day(3));
    EXPECT_FALSE(orchards.front()->startDate().isValid());
    EXPECT_FALSE(store->managedObjectContext()->hasChanges()) << "saved at Save";
    EXPECT_EQ(store->activeProjects(), orchards);

    KNVTProjectNewWindowController plain(&host);
    plain.titleTextField()->setText("Plain");
    plain.save();
    EXPECT_FALSE(listsTitled("Plain").front()->dueDate().isValid());
    EXPECT_FALSE(listsTitled("Plain").front()->startDate().isValid());
}

TEST_F(ListAndTagSheetsTest, EditorsOfAnAreaAProjectAndATagRefuseABlankTitle)
{
    KNVTCDTaskList *shed = taskList("Shed", {}, true);
    KNVTCDTaskList *orchard = taskList("Orchard");
    KNVTCDTag *cellar = tag("Cellar");
    save();
    KNVTAreaEditWindowController area(shed, &host);
    KNVTProjectEditWindowController project(orchard, &host);
    KNVTTagEditWindowController rename(cellar, &host);
    const std::vector<knvt::TitleSheet *> sheets{&area, &project, &rename};
    int beeps = 0;
    for (knvt::TitleSheet *sheet : sheets) {
        const std::string name = sheet->objectName().toStdString();
        sheet->open();
        QSignalSpy finished(sheet, &QDialog::finished);
        for (const char *blank : {"", "   ", " \t "}) {
            sheet->titleTextField()->setText(QString::fromLatin1(blank));
            EXPECT_FALSE(sheet->saveButton()->isEnabled()) << name << " '" << blank << "'";
            QTest::keyClick(sheet->titleTextField(), Qt::Key_Return);
            EXPECT_EQ(beeper.count(), ++beeps) << name << " '" << blank << "'";
        }
        EXPECT_EQ(finished.count(), 0) << name;
        sheet->cancel();
    }
    EXPECT_EQ(shed->title(), QStringLiteral("Shed"));
    EXPECT_EQ(orchard->title(), QStringLiteral("Orchard"));
    EXPECT_EQ(cellar->title(), QStringLiteral("Cellar"));
    EXPECT_FALSE(store->managedObjectContext()->hasChanges());
    EXPECT_TRUE(saves.requestedDelays().empty());
}

TEST_F(ListAndTagSheetsTest, ARefusedCancellationKeepsTheEditorOpenAndWritesNotEvenTheTitle)
{
    KNVTCDTaskList *shed = taskList("Shed", {}, true);
    KNVTCDTask *open = task("Sweep", shed);
    KNVTCDTask *elsewhere = task("Elsewhere");
    save();
    KNVTAreaEditWindowController editor(shed, &host);
    editor.open();
    QSignalSpy finished(&editor, &QDialog::finished);
    EXPECT_TRUE(editor.saveButton()->isEnabled());
    EXPECT_EQ(editor.titleTextField()->text(), QStringLiteral("Shed"));
    editor.titleTextField()->setText("Barn");
    editor.statusPopUpButton()->setCurrentIndex(editor.statusPopUpButton()->findText("Cancelled"));
    alerts.answerWithTitle("Cancel");
    editor.save();
    ASSERT_EQ(alerts.requests().size(), 1);
    EXPECT_EQ(alerts.requests()[0].title, QStringLiteral("Cancel Area"));
    EXPECT_EQ(alerts.requests()[0].buttonTitles, (QStringList{"Mark As Cancelled", "Cancel"}));
    EXPECT_EQ(finished.count(), 0);
    EXPECT_FALSE(open->isCancelled());

    editor.statusPopUpButton()->setCurrentIndex(editor.statusPopUpButton()->findText("Completed"));
    alerts.answerWithTitle("Cancel");
    editor.save();
    EXPECT_EQ(alerts.requests()[1].title, QStringLiteral("Complete Area?"));
    EXPECT_EQ(finished.count(), 0);
    editor.cancel();
    EXPECT_EQ(finished.count(), 1);

    elsewhere->markAsCompleted();
    save();
    EXPECT_EQ(shed->title(), QStringLiteral("Shed"));
    EXPECT_TRUE(saves.requestedDelays().empty());

    KNVTAreaEditWindowController again(shed, &host);
    again.titleTextField()->setText("Barn");
    again.statusPopUpButton()->setCurrentIndex(again.statusPopUpButton()->findText("Completed"));
    alerts.answerWithTitle("Mark As Completed");
    again.save();
    EXPECT_EQ(shed->title(), QStringLiteral("Barn"));
    EXPECT_TRUE(shed->isCompleted());
    EXPECT_TRUE(open->isCompleted());
    EXPECT_FALSE(store->managedObjectContext()->hasChanges()) << "saved at Save";
}

TEST_F(ListAndTagSheetsTest, SomedayReopensAnArchivedProjectAndAnUnchangedSaveStillSaves)
{
    KNVTCDTaskList *old = taskList("Old project");
    old->markAsCompleted();
    old->setArchived(true);
    save();
    KNVTProjectEditWindowController editor(old, &host);
    EXPECT_TRUE(editor.saveButton()->isEnabled());
    EXPECT_EQ(editor.statusPopUpButton()->currentText(), QStringLiteral("Completed"));
    editor.statusPopUpButton()->setCurrentIndex(editor.statusPopUpButton()->findText("Someday"));
    editor.save();
    EXPECT_EQ(old->status(), KNVTTaskListStatusSomeday);
    EXPECT_FALSE(old->isArchived());
    EXPECT_FALSE(store->managedObjectContext()->hasChanges()) << "saved at Save";

    KNVTProjectEditWindowController unchanged(old, &host);
    unchanged.open();
    QSignalSpy finished(&unchanged, &QDialog::finished);
    unchanged.save();
    EXPECT_EQ(finished.count(), 1);
    EXPECT_FALSE(old->isUpdated());
    EXPECT_FALSE(store->managedObjectContext()->hasChanges()) << "saved at Save";
    EXPECT_TRUE(alerts.requests().empty());
}

TEST_F(ListAndTagSheetsTest, EditorsWriteOnlyWhatTheUserChangedSoChangesMadeMeanwhileStay)
{
    KNVTCDTaskList *shed = taskList("Shed", {}, true);
    KNVTCDTaskList *orchard = taskList("Orchard");
    KNVTCDTag *cellar = tag("Cellar");
    save();
    KNVTAreaEditWindowController area(shed, &host);
    KNVTProjectEditWindowController project(orchard, &host);
    KNVTTagEditWindowController rename(cellar, &host);
    rename.open();
    QSignalSpy renameFinished(&rename, &QDialog::finished);

    // Meanwhile a sync renames all three and puts the area and the project off to Someday.
    shed->setTitle("Barn");
    shed->setStatus(KNVTTaskListStatusSomeday);
    orchard->setTitle("Grove");
    orchard->setStatus(KNVTTaskListStatusSomeday);
    cellar->setTitle("Pantry");
    save();

    QTest::keyClicks(area.titleTextField(), " 2");
    area.save();
    EXPECT_EQ(shed->title(), QStringLiteral("Shed 2"));
    EXPECT_EQ(shed->status(), KNVTTaskListStatusSomeday);

    project.statusPopUpButton()->setCurrentIndex(project.statusPopUpButton()->findText("Completed"));
    project.save();
    EXPECT_EQ(orchard->title(), QStringLiteral("Grove"));
    EXPECT_TRUE(orchard->isCompleted());

    // The title the rename sheet opened with is no rename: Save stays off, and Return beeps.
    QTest::keyClicks(rename.titleTextField(), "x");
    EXPECT_TRUE(rename.saveButton()->isEnabled());
    QTest::keyClick(rename.titleTextField(), Qt::Key_Backspace);
    EXPECT_EQ(rename.titleTextField()->text(), QStringLiteral("Cellar"));
    EXPECT_FALSE(rename.saveButton()->isEnabled());
    QTest::keyClick(rename.titleTextField(), Qt::Key_Return);
    EXPECT_EQ(beeper.count(), 1);
    EXPECT_EQ(renameFinished.count(), 0);
    EXPECT_EQ(cellar->title(), QStringLiteral("Pantry"));
}

TEST_F(ListAndTagSheetsTest, EditorsAndInformationWindowsCloseWhenTheirListIsDeletedElsewhere)
{
    KNVTCDTaskList *club = taskList("Club");
    club->setNumericIdentifier(8);
    save();
    KNVTProjectEditWindowController editor(club, &host);
    KNVTProjectWindowController info(club, &host);
    editor.open();
    info.open();
    QSignalSpy editorFinished(&editor, &QDialog::finished);
    QSignalSpy infoFinished(&info, &QDialog::finished);
    club->markAsDeleted();
    save();
    EXPECT_EQ(editorFinished.count(), 1);
    EXPECT_EQ(infoFinished.count(), 1);
}

TEST_F(ListAndTagSheetsTest, TheInformationWindowShowsTheOwnerApartAndTheOthersWithTheirStatusAndRole)
{
    KNVTCDUser *ann = user("Ann", "Lee", "ann");
    KNVTCDUser *bob = user("Bob", "Kahn", "bob");
    KNVTCDTaskList *orchard = taskList("Orchard", {{bob, KNVTTaskListCollaboratorRoleEditor, 1}, {ann}});
    KNVTCDTaskList *alone = taskList("Alone");
    save();

    KNVTProjectWindowController info(orchard, &host);
    EXPECT_EQ(info.headingTextField()->text(), QStringLiteral("\"Orchard\" Info"));
    EXPECT_EQ(info.titleTextField()->text(), QStringLiteral("Orchard"));
    EXPECT_EQ(info.statusTextField()->text(), QStringLiteral("Actionable"));
    EXPECT_EQ(info.ownerTextField()->text(), QStringLiteral("Maria Mendes (maria)"));
    EXPECT_FALSE(info.collaboratorsView()->isHidden());
    QTableWidget *table = info.tableView();
    ASSERT_EQ(table->rowCount(), 2);
    EXPECT_EQ(table->horizontalHeaderItem(0)->text(), QStringLiteral("User"));
    EXPECT_EQ(table->item(0, 0)->text(), QStringLiteral("Ann Lee (ann)"));
    EXPECT_EQ(table->item(0, 1)->text(), QStringLiteral("Accepted"));
    EXPECT_EQ(table->item(0, 2)->text(), QStringLiteral("Editor"));
    EXPECT_EQ(table->item(1, 0)->text(), QStringLiteral("Bob Kahn (bob)"));
    EXPECT_EQ(table->item(1, 1)->text(), QStringLiteral("Pending"));

    std::unique_ptr<QMimeData> dragged(info.mimeDataForRows({0, 1}));
    ASSERT_TRUE(dragged);
    EXPECT_EQ(knvt::ObjectReferencePayload::read(*dragged), (QList<QUrl>{ann->uri(), bob->uri()}));
    EXPECT_EQ(dragged->text(), QStringLiteral("Ann Lee (ann)\nBob Kahn (bob)\n"));
    EXPECT_TRUE(info.tableView()->mimeTypes().contains(QString::fromLatin1(KNVTTastStoreManagedObjectDragAndDropUTI)));
    EXPECT_EQ(info.mimeDataForRows({7}), nullptr);

    alone->setStatus(std::nullopt);
    KNVTAreaWindowController lonely(alone, &host);
    EXPECT_EQ(lonely.statusTextField()->text(), QStringLiteral("Actionable"))
        << "a list never given a status is active";
    EXPECT_TRUE(lonely.collaboratorsView()->isHidden());
    EXPECT_EQ(lonely.tableView()->rowCount(), 0);
    info.show();
    lonely.show();
    EXPECT_GT(info.height(), lonely.height() + 100);

    KNVTCDUser *olga = user("Olga", "Owens", "olga");
    KNVTCDTaskList *ownerless = make.taskList({.title = "Ownerless",
                                               .type = KNVTTaskListTypeArea,
                                               .members = {{me, KNVTTaskListCollaboratorRoleEditor}, {olga}}});
    save();
    KNVTAreaWindowController unknown(ownerless, &host);
    EXPECT_EQ(unknown.ownerTextField()->text(), QStringLiteral("Unknown"));
    EXPECT_EQ(unknown.tableView()->rowCount(), 2);
}

TEST_F(ListAndTagSheetsTest, TagTitlesStayUniqueWhateverTheirCaseAccentsOrSpaces)
{
    tag("Kitchen");
    KNVTCDTag *cellar = tag("Cellar");
    save();
    KNVTTagNewWindowController sheet(&host);
    for (const char *taken : {"KITCHEN", "Kîtchen", " Kitchen ", "   ", ""}) {
        sheet.titleTextField()->setText(QString::fromUtf8(taken));
        EXPECT_FALSE(sheet.saveButton()->isEnabled()) << taken;
    }
    sheet.save();
    EXPECT_EQ(beeper.count(), 1);
    sheet.titleTextField()->setText("Scullery");
    EXPECT_TRUE(sheet.saveButton()->isEnabled());
    sheet.save();
    EXPECT_NE(store->tagForTitle("Scullery"), nullptr);
    EXPECT_FALSE(store->managedObjectContext()->hasChanges()) << "saved at Save";

    KNVTTagEditWindowController rename(cellar, &host);
    EXPECT_EQ(rename.titleTextField()->text(), QStringLiteral("Cellar"));
    EXPECT_FALSE(rename.saveButton()->isEnabled());
    rename.titleTextField()->setText("cellar");
    EXPECT_FALSE(rename.saveButton()->isEnabled());
    rename.titleTextField()->setText("  Pantry ");
    EXPECT_TRUE(rename.saveButton()->isEnabled());
    rename.save();
    EXPECT_EQ(cellar->title(), QStringLiteral("Pantry"));
    EXPECT_FALSE(store->managedObjectContext()->hasChanges()) << "saved at Save";

    KNVTTagNewWindowController second(&host);
    second.titleTextField()->setText("Pantry");
    EXPECT_FALSE(second.saveButton()->isEnabled());
}

TEST_F(ListAndTagSheetsTest, TheRenameSheetClosesWhenItsTagIsDeleted)
{
    KNVTCDTag *cellar = tag("Cellar");
    save();
    KNVTTagEditWindowController rename(cellar, &host);
    rename.open();
    QSignalSpy finished(&rename, &QDialog::finished);
    store->removeTag(cellar);
    save();
    EXPECT_EQ(finished.count(), 1);
    EXPECT_EQ(rename.tag(), nullptr);
}

} // namespace
