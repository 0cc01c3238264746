// Every window, sheet and popover of the editors, filled from one small library.
#include "Screenshots.h"

#include "editors/DateField.h"
#include "editors/KNVTAreaEditWindowController.h"
#include "editors/KNVTAreaNewWindowController.h"
#include "editors/KNVTAreaWindowController.h"
#include "editors/KNVTProjectEditWindowController.h"
#include "editors/KNVTProjectNewWindowController.h"
#include "editors/KNVTProjectWindowController.h"
#include "editors/KNVTScheduleTasksWindowController.h"
#include "editors/KNVTTagEditWindowController.h"
#include "editors/KNVTTagNewWindowController.h"
#include "editors/KNVTTaskCommentEditViewController.h"
#include "editors/KNVTTaskCommentNewViewController.h"
#include "editors/KNVTTaskEditViewController.h"
#include "editors/KNVTTaskEditWindowController.h"
#include "editors/KNVTTaskNewViewController.h"
#include "editors/KNVTTaskNewWindowController.h"
#include "editors/KNVTTaskViewController.h"
#include "editors/KNVTTaskWindowController.h"
#include "editors/KNVTTasksAssignViewController.h"
#include "editors/KNVTTasksAssignWindowController.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTag.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskComment.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDUser.h"
#include "model/KNVTRecurrence.h"
#include "model/KNVTRecurrenceRule.h"

#include "foundation/DateAdditions.h"
#include "support/TaskStoreBuilder.h"

#include <QComboBox>
#include <QTest>
#include <QVBoxLayout>

namespace {

// The library every picture shows, in the run's own data folder: a shared project with a task in full, an area, a
// project of mine alone and a few tags.
struct Library
{
    KNVTCDUser *me = nullptr;
    KNVTCDUser *ann = nullptr;
    KNVTCDUser *bob = nullptr;
    KNVTCDTaskList *travel = nullptr;
    KNVTCDTaskList *home = nullptr;
    KNVTCDTaskList *garden = nullptr;
    KNVTCDTask *passport = nullptr;
    KNVTCDTask *plants = nullptr;
    // A Hebrew title and notes with a long unbroken address, on a weekly rule.
    KNVTCDTask *hebrew = nullptr;
    KNVTCDTag *kitchen = nullptr;

    static Library &shared()
    {
        static Library library;
        return library;
    }

private:
    Library()
    {
        KNVTTaskStore &store = *KNVTTaskStore::defaultTaskStore();
        knvt::test::TaskStoreBuilder make(store.managedObjectContext());
        me = store.me();
        me->setFirstName(QStringLiteral("Maria"));
        me->setLastName(QStringLiteral("Mendes"));
        me->setUsername(QStringLiteral("maria"));
        ann = make.user({.username = QStringLiteral("ann"),
                         .firstName = QStringLiteral("Ann"),
                         .lastName = QStringLiteral("Lee"),
                         .friendshipStatus = 3});
        bob = make.user({.username = QStringLiteral("bob"),
                         .firstName = QStringLiteral("Bob"),
                         .lastName = QStringLiteral("Kahn"),
                         .friendshipStatus = 3});
        travel = make.taskList({.title = QStringLiteral("Travel"),
                                .type = 1,
                                .status = 2,
                                .members = {{me, 1}, {ann, 2, 2}, {bob, 2, 1}}});
        home = make.taskList({.title = QStringLiteral("Home"), .type = 2, .status = 2, .members = {{me, 1}}});
        garden = make.taskList({.title = QStringLiteral("Garden"), .type = 1, .status = 2, .members = {{me, 1}}});
        const QDateTime today = knvt::todayAtZeroHundredHours();
        passport = make.task({.title = QStringLiteral("Renew passport"),
                              .status = 2,
                              .assignee = ann,
                              .creator = me,
                              .due = today.addDays(-1).addSecs(17 * 3600),
                              .list = travel,
                              .notes = QStringLiteral("Two photographs, the old passport and the form filled in with "
                                                      "a black pen. The office closes at five on Fridays."),
                              .tags = {make.tag({.title = QStringLiteral("errand"), .creator = me})},
                              .watchers = {bob}});
        passport->setRecurrence(KNVTRecurrence::recurrenceWithRecurrenceRule(
            KNVTRecurrenceRule::recurrenceRuleWithFrequency(KNVTRecurrenceFrequencyYearly, 10)));
        const QDateTime now = QDateTime::currentDateTime();
        make.comment({.task = passport,
                      .text = QStringLiteral("I booked a slot for Thursday morning."),
                      .created = now.addDays(-2),
                      .author = ann})
            ->setModifiedDate(now.addDays(-2));
        make.comment({.task = passport,
                      .text = QStringLiteral("Thanks! I will bring the photographs."),
                      .created = now.addSecs(-600),
                      .author = me})
            ->setModifiedDate(now.addSecs(-600));
        plants = make.task({.title = QStringLiteral("Water the plants"),
                            .status = 2,
                            .assignee = me,
                            .creator = me,
                            .start = today.addDays(2),
                            .list = garden});
        hebrew = make.task({.title = QStringLiteral("לחדש דרכון לפני הטיסה!"),
                            .status = 2,
                            .creator = me,
                            .due = today.addDays(3),
                            .list = travel,
                            .notes = QStringLiteral("שתי תמונות והטופס. https://www.example.gov.il/service/"
                                                    "passport_renewal_appointment_scheduling_for_adults")});
        hebrew->setRecurrence(
            KNVTRecurrence::recurrenceWithStoredString(QStringLiteral("RRULE:FREQ=WEEKLY;BYDAY=MO,WE")));
        kitchen = make.tag({.title = QStringLiteral("Kitchen"), .creator = me});
        store.save();
        // What the pictures show of this library is the user's data, not the program's words.
        knvt::test::addFixtureTexts({QStringLiteral("Travel"), QStringLiteral("Home"), QStringLiteral("Garden"),
                                     QStringLiteral("Renew passport"), QStringLiteral("Maria Mendes (maria)"),
                                     QStringLiteral("Ann Lee (ann)"), QStringLiteral("Bob Kahn (bob)"), hebrew->title(),
                                     hebrew->notes()});
    }
};

// A window holding a view controller's view at a given size; it stands for the main window that shows the view.
std::unique_ptr<QWidget> host(KNVTViewController *controller, QSize size)
{
    auto window = std::make_unique<QWidget>();
    window->setAccessibleName(QStringLiteral("Quillvane"));
    auto *layout = new QVBoxLayout(window.get());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(controller->view());
    controller->setParent(window.get());
    window->resize(size);
    return window;
}

// A form shown in a popover at an anchor of its own; the popover is what is photographed.
struct InPopover
{
    explicit InPopover(KNVTViewController *controller)
    {
        anchor.resize(200, 30);
        anchor.show();
        popover = new knvt::Popover(&anchor);
        controller->setParent(popover);
        popover->setContentWidget(controller->view());
        popover->showRelativeTo(QRect(), &anchor, knvt::Opener::User);
    }
    QWidget anchor;
    knvt::Popover *popover = nullptr;
};

void choose(QComboBox *popUp, const QString &text)
{
    const int index = popUp->findText(text);
    popUp->setCurrentIndex(index);
    emit popUp->activated(index);
}

} // namespace

KNVT_SCREENSHOTS(EditorsTaskDetail)
{
    knvt::Popover::animationsEnabled = false;
    Library &library = Library::shared();
    auto *detail = new KNVTTaskViewController(library.passport);
    std::unique_ptr<QWidget> window = host(detail, QSize(420, 640));
    writer.save("renew-passport", window.get(), true);
    auto *plain = new KNVTTaskViewController(library.plants);
    std::unique_ptr<QWidget> other = host(plain, QSize(420, 200));
    writer.save("scheduled-task", other.get(), true);
    auto *rightToLeft = new KNVTTaskViewController(library.hebrew);
    std::unique_ptr<QWidget> third = host(rightToLeft, QSize(420, 300));
    writer.save("right-to-left", third.get(), true);
}

KNVT_SCREENSHOTS(EditorsTaskWindow)
{
    Library &library = Library::shared();
    KNVTTaskWindowController window(library.passport);
    writer.save("window", &window, true);
}

KNVT_SCREENSHOTS(EditorsComments)
{
    Library &library = Library::shared();
    auto *composer = new KNVTTaskCommentNewViewController(library.passport, QString());
    InPopover composing(composer);
    composer->commentTextView()->setPlainText(QStringLiteral("See you there"));
    writer.save("composer", composing.popover, true);
    auto *editor =
        new KNVTTaskCommentEditViewController(library.passport->commentsOrderedByCreatedDate().back(), QString());
    InPopover editing(editor);
    writer.save("editor", editing.popover, true);
}

KNVT_SCREENSHOTS(EditorsAssign)
{
    Library &library = Library::shared();
    QWidget parent;
    KNVTTasksAssignWindowController sheet({library.passport}, &parent);
    writer.save("sheet", &sheet);
    auto *form = new KNVTTasksAssignViewController({library.passport});
    InPopover shown(form);
    writer.save("popover", shown.popover, true);
}

KNVT_SCREENSHOTS(EditorsSchedule)
{
    Library &library = Library::shared();
    QWidget parent;
    KNVTScheduleTasksWindowController sheet({library.passport, library.plants}, &parent);
    writer.save("two-tasks", &sheet);
}

KNVT_SCREENSHOTS(EditorsNewTask)
{
    Library &library = Library::shared();
    auto *form = new KNVTTaskNewViewController(
        KNVTTaskNewViewController::Values{.title = QStringLiteral("Buy paint"),
                                          .status = 2,
                                          .priority = 5,
                                          .startDate = knvt::todayAtZeroHundredHours(),
                                          .tags = {library.kitchen->uri(), QStringLiteral("garage")}});
    InPopover shown(form);
    writer.save("popover", shown.popover, true);
    choose(form->taskListPopUpButton(), QStringLiteral("Travel"));
    form->watchersTokenField()->setObjectValue({library.bob->uri()});
    writer.save("popover-shared", shown.popover, true);

    // The popovers the form opens: the due date's calendar and the list of people who may watch.
    form->dueDateCheckBoxButton()->setChecked(true);
    form->displayDueDatePickerPopover(form->dueDateCalendarButton());
    writer.save("due-date-calendar", form->dueDatePickerPopover(), true);
    form->dueDatePickerPopover()->performClose();
    form->watchersUserSelection(form->watchersButton());
    writer.save("watchers", form->userSelectionPopover(), true);
    form->userSelectionPopover()->performClose();

    KNVTTaskNewWindowController window(KNVTTaskNewViewController::Values{.status = 2, .taskList = library.garden});
    writer.save("window", &window, true);
}

KNVT_SCREENSHOTS(EditorsEditTask)
{
    Library &library = Library::shared();
    auto *form = new KNVTTaskEditViewController(library.plants);
    InPopover shown(form);
    writer.save("popover", shown.popover, true);
    auto *shared = new KNVTTaskEditViewController(library.passport);
    InPopover sharedShown(shared);
    writer.save("popover-shared", sharedShown.popover, true);
    QWidget parent;
    KNVTTaskEditWindowController sheet(library.passport, &parent);
    writer.save("sheet", &sheet, true);

    // A rule from another program that the form shows in words, and a due date typed as no day at all.
    KNVTTaskStore &store = *KNVTTaskStore::defaultTaskStore();
    knvt::test::TaskStoreBuilder make(store.managedObjectContext());
    KNVTCDTask *swim = make.task({.title = QStringLiteral("Swim"),
                                  .status = 2,
                                  .assignee = library.me,
                                  .creator = library.me,
                                  .due = knvt::todayAtZeroHundredHours().addDays(3)});
    swim->setRecurrenceString(QStringLiteral("RRULE:FREQ=WEEKLY;BYDAY=MO,WE;COUNT=10"));
    store.save();
    auto *kept = new KNVTTaskEditViewController(swim);
    InPopover keptShown(kept);
    kept->dueDateDatePicker()->setFocus();
    kept->dueDateDatePicker()->selectAll();
    QTest::keyClicks(kept->dueDateDatePicker(), QStringLiteral("Feb 30, 2026"));
    writer.save("popover-kept-rule-refused-date", keptShown.popover, true);
}

KNVT_SCREENSHOTS(EditorsListSheets)
{
    Library &library = Library::shared();
    QWidget parent;
    KNVTAreaNewWindowController area(&parent);
    area.titleTextField()->setText(QStringLiteral("Health"));
    writer.save("new-area", &area);
    KNVTProjectNewWindowController project(&parent);
    project.titleTextField()->setText(QStringLiteral("Orchard"));
    project.dueDateCheckBoxButton()->setChecked(true);
    writer.save("new-project", &project);
    KNVTAreaEditWindowController areaEditor(library.home, &parent);
    writer.save("area-editor", &areaEditor);
    KNVTProjectEditWindowController projectEditor(library.travel, &parent);
    writer.save("project-editor", &projectEditor);
    KNVTProjectWindowController sharedInfo(library.travel, &parent);
    writer.save("project-info-shared", &sharedInfo);
    KNVTAreaWindowController areaInfo(library.home, &parent);
    writer.save("area-info", &areaInfo);
}

KNVT_SCREENSHOTS(EditorsTagSheets)
{
    Library &library = Library::shared();
    QWidget parent;
    KNVTTagNewWindowController tag(&parent);
    tag.titleTextField()->setText(QStringLiteral(" kitchen "));
    writer.save("new-tag-taken", &tag);
    KNVTTagEditWindowController rename(library.kitchen, &parent);
    writer.save("rename", &rename);
}
