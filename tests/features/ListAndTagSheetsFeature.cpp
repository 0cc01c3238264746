// The sheets of projects, areas and tags: creating, editing and inspecting them.

#include "AppDriver.h"

#include "app/KNVTMainWindowController.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTag.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDUser.h"
#include "model/ObjectReferencePayload.h"

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>

#include <gtest/gtest.h>

#include <functional>

using knvt::features::AppDriver;

namespace {

class ListAndTagSheetsFeature : public ::testing::Test
{
protected:
    QDateTime now() const { return AppDriver::defaultNow(); }

    KNVTCDTaskList *listTitled(const QString &title)
    {
        for (auto lists : {app.store().projects(), app.store().areas()})
            for (KNVTCDTaskList *list : lists)
                if (list->title() == title && !list->isDeleted())
                    return list;
        return nullptr;
    }

    AppDriver app;
};

} // namespace

TEST_F(ListAndTagSheetsFeature, ANewProjectTakesADuePickedInThePastAndIsListedUnderProjects)
{
    app.chooseMenu("File", "New Project");
    app.typeIn("titleTextField", "   ");
    EXPECT_FALSE(app.isEnabled("saveButton"));
    app.pressReturn();
    EXPECT_EQ(app.beeps(), 1);
    EXPECT_TRUE(app.store().projects().empty());

    app.typeIn("titleTextField", "Orchard");
    app.tick("dueDateCheckBoxButton");
    app.clickButton("dueDateCalendarButton");
    app.pickDay(QDate(2015, 3, 3));
    // Return takes the day the arrows reached; Escape would put back the day the calendar opened with.
    app.pressReturn("datePicker");
    app.pressReturn();
    KNVTCDTaskList *orchard = listTitled("Orchard");
    ASSERT_NE(orchard, nullptr);
    EXPECT_EQ(orchard->owner(), app.store().me());
    EXPECT_EQ(orchard->dueDate(), QDateTime(QDate(2015, 3, 3), QTime(0, 0)));
    EXPECT_FALSE(orchard->startDate().isValid());
    app.wait(0.5);
    EXPECT_TRUE(app.homeRows().contains(QStringLiteral("  Orchard"))) << app.homeRows().join('\n').toStdString();

    app.chooseMenu("File", "New Project");
    app.typeIn("titleTextField", "Plain");
    app.clickButton("saveButton");
    EXPECT_FALSE(listTitled("Plain")->dueDate().isValid());
    EXPECT_FALSE(listTitled("Plain")->startDate().isValid());
}

TEST_F(ListAndTagSheetsFeature, CancellingAnAreaWithOpenTasksAsksAndARefusalWritesNothing)
{
    KNVTCDTaskList *shed = app.givenArea("Shed");
    app.givenTask("Sweep", {.list = "Shed"});
    KNVTCDTask *elsewhere = app.givenTask("Elsewhere");
    app.editHomeEntry("Shed");
    app.typeIn("titleTextField", " and Barn");
    app.answerAlert("Cancel");
    app.choosePopUp("statusPopUpButton", "Cancelled");
    app.clickButton("saveButton");
    EXPECT_EQ(app.alertsShown(),
              QStringList{"Cancel Area / You have incomplete Tasks in this Area that also need to be cancelled before "
                          "it can be cancelled. [Mark As Cancelled, Cancel]"});
    EXPECT_TRUE(app.openEditors().join('\n').contains("KNVTAreaEditWindowController"));
    app.clickButton("cancelButton");
    EXPECT_TRUE(app.openEditors().isEmpty());

    elsewhere->markAsCompleted();
    app.saveGivens();
    EXPECT_EQ(shed->title(), QStringLiteral("Shed"));
}

TEST_F(ListAndTagSheetsFeature, SomedayReopensACompletedArchivedProjectAndDeletingTheListClosesItsEditor)
{
    KNVTCDTaskList *old = app.givenProject("Old", {.status = 4, .archived = true});
    app.givenProject("Going", {.synced = true});
    app.selectHome("Archived");
    app.selectRows({"Old"});
    app.press("Return");
    app.settle();
    app.choosePopUp("statusPopUpButton", "Someday");
    app.clickButton("saveButton");
    EXPECT_EQ(old->status(), 1);
    EXPECT_FALSE(old->isArchived());
    app.wait(0.5);

    app.editHomeEntry("Going");
    ASSERT_TRUE(app.openEditors().join('\n').contains("KNVTProjectEditWindowController"));
    listTitled("Going")->markAsDeleted();
    app.saveGivens();
    EXPECT_TRUE(app.openEditors().isEmpty());
}

TEST_F(ListAndTagSheetsFeature, TheInformationWindowShowsTheOwnerApartAndTheOthersWithStatusAndRole)
{
    app.givenSharedProject("Orchard", {.members = {"Ann", "Bob"}});
    app.givenProject("Alone");
    app.viewHomeEntry("Orchard");
    EXPECT_EQ(app.fieldText("headingTextField"), QStringLiteral("\"Orchard\" Info"));
    EXPECT_EQ(app.fieldText("ownerTextField"), QStringLiteral("Me"));
    const QString shared = app.openEditors().join('\n');
    std::shared_ptr<QMimeData> dragged = app.dragInfoRows({0, 1});
    ASSERT_TRUE(dragged);
    EXPECT_EQ(dragged->text(), QStringLiteral("Ann (ann)\nBob (bob)\n"));
    const std::optional<QList<QUrl>> uris = knvt::ObjectReferencePayload::read(*dragged);
    ASSERT_TRUE(uris);
    EXPECT_EQ(uris->size(), 2);
    app.clickButton("closeButton");

    app.viewHomeEntry("Alone");
    const QString alone = app.openEditors().join('\n');
    EXPECT_TRUE(alone.contains("KNVTProjectWindowController '\"Alone\" Info'")) << alone.toStdString();
    EXPECT_TRUE(shared.contains("KNVTProjectWindowController '\"Orchard\" Info'")) << shared.toStdString();
    const auto height = [](const QString &line) { return line.section('x', -1).toInt(); };
    EXPECT_GT(height(shared), height(alone) + 100);
}

TEST_F(ListAndTagSheetsFeature, TheInformationWindowShowsALongTitleWholeAndReadsEachCaptionBeforeItsValue)
{
    const QString title = QStringLiteral("Clear the orchard, mend the fence and plant the new apple trees before the "
                                         "first frost of the autumn");
    app.givenProject(title);
    app.viewHomeEntry(title);
    QWidget *sheet = app.frontEditor();
    ASSERT_NE(sheet, nullptr);
    auto *heading = sheet->findChild<QLabel *>(QStringLiteral("headingTextField"));
    ASSERT_NE(heading, nullptr);
    EXPECT_EQ(heading->text(), QStringLiteral("\"%1\" Info").arg(title));
    // Whole: the window stays narrow enough for any screen and the heading is as tall as its wrapped lines.
    EXPECT_LE(sheet->window()->width(), 520);
    EXPECT_GE(heading->height(), heading->heightForWidth(heading->width()));
    EXPECT_GE(heading->x(), 0);
    EXPECT_LE(heading->geometry().right(), heading->parentWidget()->width());

    // What a screen reader reads, element by element, in the window's order.
    QStringList read;
    const std::function<void(QAccessibleInterface *)> readTexts = [&](QAccessibleInterface *element) {
        for (int i = 0; element != nullptr && i < element->childCount(); ++i) {
            QAccessibleInterface *child = element->child(i);
            if (child && child->role() == QAccessible::StaticText)
                read << child->text(QAccessible::Name);
            else if (child)
                readTexts(child);
        }
    };
    readTexts(QAccessible::queryAccessibleInterface(sheet->window()));
    const qsizetype caption = read.indexOf(QStringLiteral("Title:"));
    ASSERT_GE(caption, 0) << read.join(" | ").toStdString();
    EXPECT_EQ(read.value(caption + 1), title) << read.join(" | ").toStdString();
    EXPECT_EQ(read.value(caption + 2), QStringLiteral("Status:")) << read.join(" | ").toStdString();
    EXPECT_EQ(read.value(caption + 4), QStringLiteral("Owner:")) << read.join(" | ").toStdString();
}

TEST_F(ListAndTagSheetsFeature, TagTitlesStayUniqueAndARenameStoresTheTrimmedTitle)
{
    app.build().tag("Kitchen");
    app.build().tag("Cellar");
    app.saveGivens();
    app.openNewTagSheet();
    for (const char *taken : {"KITCHEN", "Kîtchen", " Kitchen "}) {
        app.frontEditor()->findChild<QLineEdit *>("titleTextField")->clear();
        app.typeIn("titleTextField", QString::fromUtf8(taken));
        EXPECT_FALSE(app.isEnabled("saveButton")) << taken;
    }
    app.frontEditor()->findChild<QLineEdit *>("titleTextField")->clear();
    app.typeIn("titleTextField", "Scullery");
    app.pressReturn();
    app.wait(0);
    EXPECT_NE(app.store().tagForTitle("Scullery"), nullptr);

    app.openRenameTagSheet("Cellar");
    EXPECT_FALSE(app.isEnabled("saveButton"));
    app.frontEditor()->findChild<QLineEdit *>("titleTextField")->clear();
    app.typeIn("titleTextField", "  Pantry ");
    app.pressReturn();
    app.wait(0);
    ASSERT_NE(app.store().tagForTitle("Pantry"), nullptr);
    EXPECT_EQ(app.store().tagForTitle("Pantry")->title(), QStringLiteral("Pantry"));
    app.openNewTagSheet();
    app.typeIn("titleTextField", "Pantry");
    EXPECT_FALSE(app.isEnabled("saveButton"));
}

TEST_F(ListAndTagSheetsFeature, ARenameAndAStatusPulledWhileTheEditorsAreOpenStayWhenTheUserChangesSomethingElse)
{
    KNVTCDTaskList *orchard = app.givenProject("Orchard", {.synced = true});
    app.build().tag("Cellar");
    app.saveGivens();

    app.editHomeEntry("Orchard");
    app.givenChangedBySync(orchard, [](KNVTCDTaskStoreObject &pulled) {
        auto &list = dynamic_cast<KNVTCDTaskList &>(pulled);
        list.setTitle("Grove");
        list.setStatus(1);
    });
    EXPECT_EQ(app.fieldText("titleTextField"), QStringLiteral("Orchard"));
    app.choosePopUp("statusPopUpButton", "Completed");
    app.clickButton("saveButton");
    EXPECT_EQ(orchard->title(), QStringLiteral("Grove"));
    EXPECT_TRUE(orchard->isCompleted());
    app.wait(0.5);

    app.editHomeEntry("Grove");
    app.givenChangedBySync(orchard,
                           [](KNVTCDTaskStoreObject &pulled) { dynamic_cast<KNVTCDTaskList &>(pulled).setStatus(1); });
    app.typeIn("titleTextField", " Lane");
    app.pressReturn();
    EXPECT_EQ(orchard->title(), QStringLiteral("Grove Lane"));
    EXPECT_EQ(orchard->status(), 1);
    app.wait(0.5);

    KNVTCDTag *cellar = app.store().tagForTitle("Cellar");
    app.openRenameTagSheet("Cellar");
    app.givenChangedBySync(cellar,
                           [](KNVTCDTaskStoreObject &pulled) { dynamic_cast<KNVTCDTag &>(pulled).setTitle("Pantry"); });
    app.typeIn("titleTextField", "s");
    EXPECT_TRUE(app.isEnabled("saveButton"));
    app.typeWhereTheFocusIs("\b");
    EXPECT_EQ(app.fieldText("titleTextField"), QStringLiteral("Cellar"));
    EXPECT_FALSE(app.isEnabled("saveButton"));
    app.pressReturn();
    EXPECT_EQ(app.beeps(), 1);
    EXPECT_EQ(cellar->title(), QStringLiteral("Pantry"));
}

TEST_F(ListAndTagSheetsFeature, ANewProjectIsMadeWithTheKeyboardAloneAndEscapeLeavesTheNextOneUnmade)
{
    app.chooseMenu("File", "New Project");
    EXPECT_EQ(app.focusAsRead(), QStringLiteral("dialog New Project: text Title"));
    app.typeWhereTheFocusIs("Orchard");
    app.pressWhereTheFocusIs("Tab");
    EXPECT_EQ(app.focusAsRead(), QStringLiteral("dialog New Project: check box Start (not checked)"));
    app.pressWhereTheFocusIs("Tab");
    EXPECT_EQ(app.focusAsRead(), QStringLiteral("dialog New Project: check box Due (not checked)"));
    app.pressWhereTheFocusIs("Space");
    app.pressWhereTheFocusIs("Tab");
    EXPECT_EQ(app.focusAsRead(), QStringLiteral("dialog New Project: text Due Date"));
    app.pressWhereTheFocusIs("Tab");
    EXPECT_EQ(app.focusAsRead(), QStringLiteral("dialog New Project: button Choose Due Date"));
    app.pressWhereTheFocusIs("Space");
    EXPECT_EQ(app.focusAsRead(), QStringLiteral("dialog Due Date: table Due Date"));
    app.pressWhereTheFocusIs("Right");
    app.pressWhereTheFocusIs("Return");
    EXPECT_EQ(app.focusAsRead(), QStringLiteral("dialog New Project: button Choose Due Date"));
    app.pressWhereTheFocusIs("Tab");
    EXPECT_EQ(app.focusAsRead(), QStringLiteral("dialog New Project: button Cancel"));
    app.pressWhereTheFocusIs("Tab");
    EXPECT_EQ(app.focusAsRead(), QStringLiteral("dialog New Project: button Save"));
    app.pressWhereTheFocusIs("Space");
    app.wait(1);
    KNVTCDTaskList *orchard = listTitled("Orchard");
    ASSERT_NE(orchard, nullptr);
    EXPECT_EQ(orchard->dueDate(), QDateTime(QDate(2015, 3, 5), QTime(0, 0)));

    app.chooseMenu("File", "New Project");
    app.typeWhereTheFocusIs("Vineyard");
    app.pressWhereTheFocusIs("Escape");
    app.wait(1);
    EXPECT_TRUE(app.openEditors().isEmpty());
    EXPECT_EQ(listTitled("Vineyard"), nullptr);
}
