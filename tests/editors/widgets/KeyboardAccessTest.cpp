// The editors worked with the keyboard alone and read by a screen reader: Tab and Shift+Tab walk each form and sheet
// in reading order to Cancel and Save, Escape closes every popover and sheet without saving, and every field goes by
// the label it stands next to.
#include "TaskFormTest.h"

#include "editors/KNVTAreaEditWindowController.h"
#include "editors/KNVTProjectNewWindowController.h"
#include "editors/KNVTScheduleTasksWindowController.h"
#include "editors/KNVTTagNewWindowController.h"
#include "editors/KNVTTaskCommentNewViewController.h"
#include "editors/KNVTTaskEditViewController.h"
#include "editors/KNVTTaskEditWindowController.h"
#include "editors/KNVTTaskNewViewController.h"
#include "editors/KNVTTaskNewWindowController.h"
#include "editors/KNVTTaskWindowController.h"
#include "editors/KNVTTasksAssignViewController.h"
#include "editors/KNVTTasksAssignWindowController.h"

#include "uikit/KNVTDatePicker.h"
#include "uikit/KNVTTokenField.h"

#include "support/NotificationRecorder.h"

#include <QAccessible>
#include <QSignalSpy>

#include <functional>

namespace {

// The name a focused widget goes by in these tests: a token field's line edit and a calendar's grid of days stand
// for their field.
QString nameOf(QWidget *widget)
{
    for (QWidget *w = widget; w != nullptr; w = w->parentWidget()) {
        if (qobject_cast<KNVTTokenField *>(w) || qobject_cast<KNVTDatePicker *>(w))
            return w->objectName();
    }
    return widget->objectName();
}

// What the keyboard focus goes through from `start`, pressing Tab (or Shift+Tab) until it is back at `start`.
QStringList tabChain(QWidget *start, bool backwards = false)
{
    start->setFocus(Qt::OtherFocusReason);
    QStringList names;
    for (int step = 0; step < 40; ++step) {
        QWidget *focused = QApplication::focusWidget();
        if (focused == nullptr) {
            names << QStringLiteral("(no focus)");
            break;
        }
        names << nameOf(focused);
        QTest::keyClick(focused, Qt::Key_Tab, backwards ? Qt::ShiftModifier : Qt::NoModifier);
        if (QApplication::focusWidget() == start)
            break;
    }
    return names;
}

QStringList reversed(QStringList names)
{
    std::reverse(names.begin() + 1, names.end());
    return names;
}

// What a screen reader calls `widget`: its name, or for a pop-up, whose name on Linux is the chosen item, the label
// it is labelled by.
QString accessibleName(QWidget *widget)
{
    QAccessibleInterface *read = QAccessible::queryAccessibleInterface(widget);
    if (!read)
        return {};
    if (read->role() == QAccessible::ComboBox) {
        const auto labels = read->relations(QAccessible::Label);
        return labels.isEmpty() ? QStringLiteral("(no label)") : labels.first().first->text(QAccessible::Name);
    }
    return read->text(QAccessible::Name);
}

class KeyboardAccessTest : public TaskFormTest
{
protected:
    void activate(QWidget *window)
    {
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    }
};

TEST_F(KeyboardAccessTest, TabWalksTheNewTaskFormRowByRowToCancelAndSaveAndShiftTabWalksBack)
{
    KNVTCDUser *ann = user("Ann", "Lee", "ann");
    KNVTCDTaskList *club = taskList("Club", {{ann}});
    save();
    auto *form = new KNVTTaskNewViewController({.startDate = day(4)});
    knvt::Popover *popover = present(form);
    activate(popover);
    QTest::keyClicks(form->titleTextField(), "Buy paint");
    ASSERT_TRUE(choose(form->taskListPopUpButton(), club->title()));

    const QStringList order = {"titleTextField",
                               "notesTextView",
                               "startDateCheckBoxButton",
                               "startDateDatePicker",
                               "startDateCalendarButton",
                               "statusPopUpButton",
                               "dueDateCheckBoxButton",
                               "priorityLevelIndicator",
                               "recurrenceRuleCheckBoxButton",
                               "taskListPopUpButton",
                               "tagsTokenField",
                               "assigneePopUpButton",
                               "watchersTokenField",
                               "watchersButton",
                               "cancelButton",
                               "saveButton"};
    EXPECT_EQ(tabChain(form->titleTextField()), order);
    EXPECT_EQ(tabChain(form->titleTextField(), true), reversed(order));

    // Fields that show with their boxes join the walk where they stand.
    form->dueDateCheckBoxButton()->setChecked(true);
    form->recurrenceRuleCheckBoxButton()->setChecked(true);
    const QStringList walked = tabChain(form->titleTextField());
    EXPECT_EQ(walked.mid(6, 7),
              (QStringList{"dueDateCheckBoxButton", "dueDateDatePicker", "dueDateCalendarButton",
                           "priorityLevelIndicator", "recurrenceRuleCheckBoxButton", "recurrenceRuleIntervalTextField",
                           "recurrenceRuleFrequencyPopUpButton"}))
        << walked.join(", ").toStdString();
    EXPECT_EQ(walked.last(), QStringLiteral("saveButton"));
    EXPECT_TRUE(form->notes().isEmpty()) << "Tab never types into the notes";
}

TEST_F(KeyboardAccessTest, TabWalksTheEditFormAndTheSheetsInReadingOrderToCancelAndSave)
{
    KNVTCDTaskList *home = taskList("Home", {}, true);
    KNVTCDTask *paint = task("Paint");
    save();
    QWidget host;
    host.resize(600, 500);
    host.show();

    KNVTTaskEditWindowController editSheet(paint, &host);
    editSheet.open();
    activate(&editSheet);
    KNVTTaskEditViewController *form = editSheet.taskEditViewController();
    EXPECT_EQ(tabChain(form->titleTextField()),
              (QStringList{"titleTextField", "notesTextView", "startDateCheckBoxButton", "statusPopUpButton",
                           "dueDateCheckBoxButton", "recurrenceRuleCheckBoxButton", "tagsTokenField",
                           "taskListPopUpButton", "cancelButton", "saveButton"}));
    editSheet.dismiss();

    KNVTProjectNewWindowController project(&host);
    project.open();
    activate(&project);
    project.titleTextField()->setText("Orchard");
    project.startDateCheckBoxButton()->setChecked(true);
    EXPECT_EQ(tabChain(project.titleTextField()),
              (QStringList{"titleTextField", "startDateCheckBoxButton", "startDateDatePicker",
                           "startDateCalendarButton", "dueDateCheckBoxButton", "cancelButton", "saveButton"}));
    project.dismiss();

    KNVTAreaEditWindowController area(home, &host);
    area.open();
    activate(&area);
    area.titleTextField()->setText("House");
    EXPECT_EQ(tabChain(area.titleTextField()),
              (QStringList{"titleTextField", "statusPopUpButton", "cancelButton", "saveButton"}));
    area.dismiss();
}

TEST_F(KeyboardAccessTest, EscapeClosesEveryPopoverAndSheetWithoutSaving)
{
    KNVTCDUser *ann = user("Ann", "Lee", "ann");
    KNVTCDTaskList *club = taskList("Club", {{ann}});
    KNVTCDTask *paint = task("Paint", club);
    save();
    QWidget host;
    host.resize(700, 600);
    host.show();
    knvt::test::NotificationRecorder changes({QString::fromLatin1(KNVTTaskStoreDidChangeNotification)});
    const auto nothingSaved = [&](const char *where) {
        settle();
        EXPECT_TRUE(changes.notifications().empty()) << where;
        EXPECT_TRUE(saves.requestedDelays().empty()) << where;
        EXPECT_FALSE(store->managedObjectContext()->hasChanges()) << where;
    };
    const auto escape = [&](QWidget *window, QWidget *field) {
        activate(window);
        field->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        settle();
    };

    // Forms in popovers, with something typed or chosen in them.
    {
        auto *form = new KNVTTaskNewViewController({.taskList = club});
        knvt::Popover *popover = present(form);
        QTest::keyClicks(form->titleTextField(), "Buy paint");
        for (QWidget *field : std::initializer_list<QWidget *>{form->notesTextView(), form->statusPopUpButton(),
                                                               form->priorityLevelIndicator(), form->tagsTokenField(),
                                                               form->assigneePopUpButton()}) {
            popover->showRelativeTo(QRect(), &anchor, knvt::Opener::User);
            escape(popover, field);
            EXPECT_FALSE(popover->isShown()) << nameOf(field).toStdString();
        }
        nothingSaved("new-task popover");
    }
    {
        auto *form = new KNVTTaskEditViewController(paint);
        knvt::Popover *popover = present(form);
        form->titleTextField()->setText("Paint the shed");
        escape(popover, form->titleTextField());
        EXPECT_FALSE(popover->isShown());
        EXPECT_EQ(paint->title(), QStringLiteral("Paint"));
        nothingSaved("edit-task popover");
    }
    {
        // The calendar closes by itself; the form stays open.
        auto *form = new KNVTTaskNewViewController({});
        knvt::Popover *popover = present(form);
        activate(popover);
        form->dueDateCheckBoxButton()->setChecked(true);
        QTest::mouseClick(form->dueDateCalendarButton(), Qt::LeftButton);
        knvt::Popover *calendar = form->dueDatePickerPopover();
        ASSERT_NE(calendar, nullptr);
        const QDateTime shown = form->dueDateDatePicker()->dateValue();
        escape(calendar, calendar->findChild<KNVTDatePicker *>());
        EXPECT_EQ(form->dueDatePickerPopover(), nullptr);
        EXPECT_TRUE(popover->isShown());
        EXPECT_EQ(form->dueDateDatePicker()->dateValue(), shown);
        popover->performClose();
    }
    {
        auto *composer = new KNVTTaskCommentNewViewController(paint, QString());
        auto *popover = new knvt::Popover(&anchor);
        composer->setParent(popover);
        composer->setPopover(popover);
        popover->setContentWidget(composer->view());
        popover->showRelativeTo(QRect(), &anchor, knvt::Opener::User);
        QTest::keyClicks(composer->commentTextView(), "See you");
        escape(popover, composer->commentTextView());
        EXPECT_FALSE(popover->isShown());
        nothingSaved("comment popover");
    }
    {
        auto *assign = new KNVTTasksAssignViewController({paint});
        auto *popover = new knvt::Popover(&anchor);
        assign->setParent(popover);
        assign->setPopover(popover);
        popover->setContentWidget(assign->view());
        popover->showRelativeTo(QRect(), &anchor, knvt::Opener::User);
        assign->assigneePopUpButton()->setCurrentIndex(0);
        escape(popover, assign->assigneePopUpButton());
        EXPECT_FALSE(popover->isShown());
        EXPECT_EQ(paint->assignee(), me);
        nothingSaved("assign popover");
    }

    // Sheets and the new-task window.
    const std::vector<std::function<QWidget *()>> sheets = {
        [&] { return new KNVTTaskEditWindowController(paint, &host); },
        [&] { return new KNVTTasksAssignWindowController({paint}, &host); },
        [&] { return new KNVTScheduleTasksWindowController({paint}, &host); },
        [&] { return new KNVTProjectNewWindowController(&host); },
        [&] { return new KNVTTagNewWindowController(&host); },
        [&] { return new KNVTTaskNewWindowController(KNVTTaskNewViewController::Values{.taskList = club}); },
    };
    for (const auto &open : sheets) {
        std::unique_ptr<QWidget> window(open());
        window->show();
        activate(window.get());
        QWidget *focused = QApplication::focusWidget() ? QApplication::focusWidget() : window.get();
        if (auto *line = qobject_cast<QLineEdit *>(focused))
            QTest::keyClicks(line, "ab");
        QTest::keyClick(focused, Qt::Key_Escape);
        settle();
        EXPECT_FALSE(window->isVisible()) << window->objectName().toStdString();
        nothingSaved(window->objectName().toUtf8().constData());
    }
}

TEST_F(KeyboardAccessTest, EveryFieldGoesByTheLabelBesideItAndEveryPopoverByWhatItHolds)
{
    KNVTCDUser *ann = user("Ann", "Lee", "ann");
    KNVTCDTaskList *club = taskList("Club", {{ann}});
    KNVTCDTask *paint = task("Paint", club);
    save();

    auto *form = new KNVTTaskNewViewController({.taskList = club});
    knvt::Popover *popover = present(form);
    EXPECT_EQ(accessibleName(popover), QStringLiteral("New Task"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(popover)->role(), QAccessible::Dialog);
    const std::vector<std::pair<QWidget *, const char *>> fields = {
        {form->titleTextField(), "Title"},
        {form->notesTextView(), "Notes"},
        {form->startDateCheckBoxButton(), "Start"},
        {form->startDateDatePicker(), "Start Date"},
        {form->startDateCalendarButton(), "Choose Start Date"},
        {form->dueDateDatePicker(), "Due Date"},
        {form->dueDateCalendarButton(), "Choose Due Date"},
        {form->statusPopUpButton(), "Status"},
        {form->priorityLevelIndicator(), "Priority"},
        {form->recurrenceRuleIntervalTextField(), "Repeat Every"},
        {form->recurrenceRuleFrequencyPopUpButton(), "Repeat Unit"},
        {form->taskListPopUpButton(), "List"},
        {form->tagsTokenField(), "Tags"},
        {form->tagsTokenField()->editor(), "Tags"},
        {form->assigneePopUpButton(), "Assignee"},
        {form->watchersTokenField()->editor(), "Watchers"},
        {form->watchersButton(), "Choose Watchers"},
        {form->cancelButton(), "Cancel"},
        {form->saveButton(), "Save"},
    };
    for (const auto &[field, name] : fields)
        EXPECT_EQ(accessibleName(field), QLatin1String(name)) << field->objectName().toStdString();
    // A prompt or a value is no description, and the priority is read in words: the description and the value.
    QTest::keyClick(form->priorityLevelIndicator(), Qt::Key_Right);
    const struct
    {
        QWidget *field;
        const char *description;
        const char *value;
    } read[] = {
        {form->titleTextField(), "", ""},
        {form->recurrenceRuleIntervalTextField(), "", "1"},
        {form->priorityLevelIndicator(), "Low", "Low"},
    };
    for (const auto &[field, description, value] : read) {
        QAccessibleInterface *element = QAccessible::queryAccessibleInterface(field);
        EXPECT_EQ(element->text(QAccessible::Description), QLatin1String(description))
            << field->objectName().toStdString();
        EXPECT_EQ(element->text(QAccessible::Value), QLatin1String(value)) << field->objectName().toStdString();
    }

    form->dueDateCheckBoxButton()->setChecked(true);
    form->displayDueDatePickerPopover(form->dueDateCalendarButton());
    ASSERT_NE(form->dueDatePickerPopover(), nullptr);
    EXPECT_EQ(accessibleName(form->dueDatePickerPopover()), QStringLiteral("Due Date"));
    form->watchersUserSelection(form->watchersButton());
    ASSERT_NE(form->userSelectionPopover(), nullptr);
    EXPECT_EQ(accessibleName(form->userSelectionPopover()), QStringLiteral("Watchers"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(form->userSelectionPopover())->role(), QAccessible::List);
    popover->performClose();

    // A rule the form keeps as it is goes with the Repeat box as its description; the title has none.
    paint->setRecurrenceString(QStringLiteral("RRULE:FREQ=HOURLY;INTERVAL=2"));
    save();
    auto *edit = new KNVTTaskEditViewController(paint);
    knvt::Popover *editPopover = present(edit);
    EXPECT_EQ(accessibleName(editPopover), QStringLiteral("Edit Task"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(edit->titleTextField())->text(QAccessible::Description), QString());
    EXPECT_EQ(
        QAccessible::queryAccessibleInterface(edit->recurrenceRuleCheckBoxButton())->text(QAccessible::Description),
        QStringLiteral("Every 2 hours"));
    edit->recurrenceRuleCheckBoxButton()->setChecked(false);
    EXPECT_EQ(
        QAccessible::queryAccessibleInterface(edit->recurrenceRuleCheckBoxButton())->text(QAccessible::Description),
        QString());
    editPopover->performClose();

    KNVTTaskWindowController taskWindow(paint);
    EXPECT_EQ(accessibleName(taskWindow.toolbar()), QStringLiteral("Toolbar"));

    auto *composer = new KNVTTaskCommentNewViewController(paint, QString());
    auto *commentPopover = new knvt::Popover(&anchor);
    composer->setParent(commentPopover);
    commentPopover->setContentWidget(composer->view());
    EXPECT_EQ(accessibleName(commentPopover), QStringLiteral("New Comment"));
    EXPECT_EQ(accessibleName(composer->commentTextView()), QStringLiteral("Comment"));

    auto *assign = new KNVTTasksAssignViewController({paint});
    auto *assignPopover = new knvt::Popover(&anchor);
    assign->setParent(assignPopover);
    assignPopover->setContentWidget(assign->view());
    EXPECT_EQ(accessibleName(assignPopover), QStringLiteral("Assign"));
    EXPECT_EQ(accessibleName(assign->assigneePopUpButton()), QStringLiteral("Assign to:"));

    QWidget host;
    KNVTTagNewWindowController tag(&host);
    EXPECT_EQ(accessibleName(tag.titleTextField()), QStringLiteral("Title"));
    KNVTScheduleTasksWindowController schedule({paint}, &host);
    EXPECT_EQ(accessibleName(schedule.findChild<KNVTDatePicker *>()), QStringLiteral("Start Date"));
}

} // namespace
