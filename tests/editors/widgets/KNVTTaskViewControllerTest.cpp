#include "EditorsFixture.h"

#include "editors/KNVTTaskCommentEditViewController.h"
#include "editors/KNVTTaskTableView.h"
#include "editors/KNVTTaskViewController.h"
#include "editors/KNVTTaskViewModel.h"
#include "editors/TaskRowDelegate.h"

#include "foundation/KNVTMinimalDateFormatter.h"

#include "model/KNVTRecurrence.h"
#include "model/KNVTRecurrenceRule.h"
#include "model/KNVTTaskStatus.h"

#include "uikit/ColorAdditions.h"
#include "uikit/ItemDataRole.h"
#include "uikit/KNVTTextView.h"

#include "support/CheckedModel.h"
#include "support/ScopedLocale.h"

#include <QAccessible>
#include <QLineEdit>
#include <QPalette>
#include <QScrollBar>
#include <QSignalSpy>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>

namespace {

using Kind = KNVTTaskViewModel::Kind;

class Focus : public KNVTTaskViewControllerDelegate
{
public:
    bool taskViewControllerShouldInsertTab(KNVTTaskViewController *) override
    {
        ++tabs;
        return false;
    }
    bool taskViewControllerShouldInsertBacktab(KNVTTaskViewController *) override
    {
        ++backtabs;
        return false;
    }
    int tabs = 0;
    int backtabs = 0;
};

class KNVTTaskViewControllerTest : public EditorsFixture
{
protected:
    void show(KNVTCDTask *shown, QSize size = QSize(420, 600))
    {
        controller = std::make_unique<KNVTTaskViewController>(shown);
        window = std::make_unique<QWidget>();
        auto *layout = new QVBoxLayout(window.get());
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(controller->view());
        window->resize(size);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }

    void TearDown() override
    {
        controller.reset();
        window.reset();
        EditorsFixture::TearDown();
    }

    KNVTTaskViewModel &model() const { return *controller->model(); }
    std::vector<Kind> kinds() const
    {
        std::vector<Kind> result;
        for (const KNVTTaskViewModel::Row &row : model().rows())
            result.push_back(row.kind);
        return result;
    }
    QStringList texts() const
    {
        QStringList result;
        for (const KNVTTaskViewModel::Row &row : model().rows())
            result.append(row.text);
        return result;
    }
    int rowOf(Kind kind, int nth = 0) const
    {
        for (int i = 0; i < model().rowCount(); ++i) {
            if (model().row(i).kind == kind && nth-- == 0)
                return i;
        }
        return -1;
    }

    // Clicks a point of a row, given in the row's own coordinates.
    void clickRow(int row, QPoint point)
    {
        const QRect rect = controller->tableView()->visualRect(model().index(row));
        QTest::mouseClick(controller->tableView()->viewport(), Qt::LeftButton, {}, rect.topLeft() + point);
        settle();
    }
    QRect layoutOf(int row, QRect KNVTTaskRowLayout::*member) const
    {
        return controller->rowDelegate()->layoutForIndex(model().index(row)).*member;
    }

    std::unique_ptr<QWidget> window;
    std::unique_ptr<KNVTTaskViewController> controller;
};

TEST_F(KNVTTaskViewControllerTest, ATaskShowsItsRowsInTheirFixedOrder)
{
    KNVTCDUser *ann = user("Ann", "Lee", "ann");
    KNVTCDTaskList *travel = taskList("Travel", {{ann}});
    KNVTCDTask *passport = task("Renew passport", travel);
    passport->setDueDate(day(3, 9));
    passport->setStartDate(day(1));
    passport->setNotes("Two photos");
    passport->setAssignee(ann);
    save();
    clock.advance(60);
    comment(passport, "Booked the slot", ann);
    save();
    clock.advance(60);
    comment(passport, "Thanks", me);
    save();

    show(passport);
    EXPECT_EQ(kinds(),
              (std::vector<Kind>{Kind::Title, Kind::TaskList, Kind::Header, Kind::DueDate, Kind::Header, Kind::Notes,
                                 Kind::Header, Kind::People, Kind::Header, Kind::Comment, Kind::MyComment}));
    EXPECT_EQ(texts(),
              (QStringList{"Renew passport", "Travel", "Dates", "Tue, Mar 03, 2015", "Notes", "Two photos", "People",
                           "", "Comments", "Booked the slot", "Thanks"}));
    const KNVTTaskViewModel::Row &due = model().row(rowOf(Kind::DueDate));
    EXPECT_EQ(due.textColor, QColor(Qt::red));
    const QVariantList people = model().index(rowOf(Kind::People)).data(KNVTTaskViewModel::PeopleRole).toList();
    ASSERT_EQ(people.size(), 2);
    EXPECT_EQ(people[0].toMap().value("fullName").toString(), QStringLiteral("Maria Mendes"));
    EXPECT_TRUE(people[0].toMap().value("isMe").toBool());
    EXPECT_EQ(people[1].toMap().value("fullName").toString(), QStringLiteral("Ann Lee"));
    EXPECT_EQ(people[1].toMap().value("initials").toString(), QStringLiteral("AL"));
    const QModelIndex mine = model().index(rowOf(Kind::MyComment));
    EXPECT_EQ(mine.data(knvt::ObjectUriRole).toUrl(), passport->commentsOrderedByCreatedDate().back()->uri());
    EXPECT_FALSE(mine.data(KNVTTaskViewModel::DateTextRole).toString().isEmpty());
}

TEST_F(KNVTTaskViewControllerTest, DatesShowOnlyAFutureStartADueDateAndTheRepeatRule)
{
    KNVTCDTask *plain = task("Plain");
    save();
    show(plain);
    EXPECT_EQ(kinds(), std::vector<Kind>{Kind::Title});

    plain->setStartDate(day(2));
    save();
    EXPECT_EQ(kinds(), std::vector<Kind>{Kind::Title});

    plain->setStartDate(day(9, 8));
    plain->setRecurrence(KNVTRecurrence::recurrenceWithRecurrenceRule(
        KNVTRecurrenceRule::recurrenceRuleWithFrequency(KNVTRecurrenceFrequencyWeekly, 2)));
    save();
    EXPECT_EQ(texts(), (QStringList{"Plain", "Dates", "Mon, Mar 09, 2015", "Every 2 weeks"}));

    plain->setRecurrence(KNVTRecurrence::recurrenceWithRecurrenceRule(
        KNVTRecurrenceRule::recurrenceRuleWithFrequency(KNVTRecurrenceFrequencyWeekly, 1)));
    plain->setDueDate(day(20));
    save();
    EXPECT_EQ(texts(), (QStringList{"Plain", "Dates", "Mon, Mar 09, 2015", "Fri, Mar 20, 2015", "Every week"}));
    EXPECT_FALSE(model().row(rowOf(Kind::DueDate)).textColor.isValid());

    // A rule written elsewhere reads with its days and its end.
    plain->setRecurrenceString("RRULE:FREQ=MONTHLY;BYMONTHDAY=15;UNTIL=20271231T170000Z");
    save();
    EXPECT_EQ(model().row(rowOf(Kind::Recurrence)).text, QStringLiteral("Every month on the 15th, until Dec 31, 2027"));
}

TEST_F(KNVTTaskViewControllerTest, TheCheckBoxShowsTheStateTheUrgencyAndWhetherItMayBeTicked)
{
    KNVTCDTask *t = task("Call");
    save();
    show(t);
    const auto title = [&] { return model().row(0); };
    EXPECT_EQ(title().checkBoxState, 0);
    EXPECT_EQ(title().tintColor, knvt::defaultTintColor());
    EXPECT_TRUE(title().checkBoxEnabled);

    t->setDueDate(day(4, 8));
    save();
    EXPECT_EQ(title().tintColor, QColor(Qt::red));

    t->setDueDate(QDateTime());
    t->setStartDate(day(4, 9));
    save();
    EXPECT_EQ(title().tintColor, QColor::fromRgbF(0.91f, 0.74f, 0.19f, 1.0f));

    t->markAsCompleted();
    save();
    EXPECT_EQ(title().checkBoxState, 1);
    t->markAsCancelled();
    save();
    EXPECT_EQ(title().checkBoxState, 2);

    t->setArchived(true);
    save();
    EXPECT_FALSE(title().checkBoxEnabled);

    KNVTCDTaskList *old = taskList("Old");
    KNVTCDTask *inArchive = task("Filed", old);
    old->setArchived(true);
    inArchive->setArchived(false);
    save();
    controller->setTask(inArchive);
    EXPECT_FALSE(title().checkBoxEnabled);
}

TEST_F(KNVTTaskViewControllerTest, PeopleAreShownWhenSomeoneElseIsInvolvedOrTheListIsShared)
{
    KNVTCDUser *ann = user("Ann", "Lee", "ann");
    KNVTCDTask *mine = task("Mine");
    save();
    show(mine);
    EXPECT_EQ(rowOf(Kind::People), -1);

    KNVTCDTaskList *club = taskList("Club", {{ann}});
    mine->setTaskList(club);
    save();
    EXPECT_NE(rowOf(Kind::People), -1);

    KNVTCDTask *delegated = task("Delegated");
    delegated->setAssignee(ann);
    save();
    controller->setTask(delegated);
    EXPECT_NE(rowOf(Kind::People), -1);

    delegated->setAssignee(nullptr);
    save();
    EXPECT_EQ(rowOf(Kind::People), -1);
}

TEST_F(KNVTTaskViewControllerTest, TickingTheBoxCompletesAtOnceAndARepeatingTaskGetsItsNextOccurrence)
{
    KNVTCDTask *water = task("Water plants");
    water->setDueDate(day(4));
    water->setRecurrence(KNVTRecurrence::recurrenceWithRecurrenceRule(
        KNVTRecurrenceRule::recurrenceRuleWithFrequency(KNVTRecurrenceFrequencyDaily, 1)));
    save();
    show(water);
    const qsizetype before = store->tasks().size();

    clickRow(0, layoutOf(0, &KNVTTaskRowLayout::completedCheckBoxButton).center());
    EXPECT_TRUE(water->isCompleted());
    EXPECT_FALSE(store->managedObjectContext()->hasChanges());
    EXPECT_EQ(store->tasks().size(), before + 1);
    EXPECT_EQ(model().row(0).checkBoxState, 1);

    clickRow(0, layoutOf(0, &KNVTTaskRowLayout::completedCheckBoxButton).center());
    EXPECT_FALSE(water->isCompletedOrCancelled());
    EXPECT_EQ(saves.pendingCount(), 0);
}

TEST_F(KNVTTaskViewControllerTest, NarrowingRelaysTheRowsOutWithoutRebuildingThemAndASaveKeepsTheScrollPosition)
{
    KNVTCDTask *t = task("Long notes");
    QString notes;
    for (int i = 0; i < 40; ++i)
        notes += QStringLiteral("Line %1 of the notes that go on and on about the task. ").arg(i);
    t->setNotes(notes);
    save();
    show(t, QSize(600, 200));
    const int notesRow = rowOf(Kind::Notes);
    const int wide = controller->tableView()->visualRect(model().index(notesRow)).height();
    QSignalSpy resets(&model(), &QAbstractItemModel::modelReset);

    window->resize(300, 200);
    settle();
    const int narrow = controller->tableView()->visualRect(model().index(notesRow)).height();
    EXPECT_GT(narrow, wide);
    EXPECT_EQ(narrow, KNVTTaskRowLayout::layoutForRow(model().row(notesRow), controller->rowWidth()).height);
    EXPECT_EQ(resets.count(), 0);

    QScrollBar *bar = controller->tableView()->verticalScrollBar();
    bar->setValue(bar->maximum() / 2);
    const int position = bar->value();
    ASSERT_GT(position, 0);
    t->setTitle("Longer notes");
    save();
    EXPECT_EQ(resets.count(), 0) << "the title's row changes in place";
    settle();
    EXPECT_EQ(bar->value(), position);
    EXPECT_EQ(model().row(0).text, QStringLiteral("Longer notes"));
}

TEST_F(KNVTTaskViewControllerTest, ACommentsDateStaysClearOfTheScrollBar)
{
    KNVTCDUser *ann = user("Ann", "Lee", "ann");
    KNVTCDTask *t = task("Chat");
    for (int i = 0; i < 12; ++i)
        comment(t, "A word", i % 2 == 0 ? ann : me);
    save();
    show(t, QSize(360, 240));
    ASSERT_TRUE(controller->tableView()->verticalScrollBar()->isVisible()) << "the comments overflow the detail";
    const int viewport = controller->tableView()->viewport()->width();
    for (const Kind kind : {Kind::Comment, Kind::MyComment}) {
        const QRect date = layoutOf(rowOf(kind), &KNVTTaskRowLayout::dateRect);
        const QFontMetrics metrics(KNVTTaskRowLayout::smallFont());
        const QString text = model().row(rowOf(kind)).dateText;
        ASSERT_FALSE(text.isEmpty());
        EXPECT_LE(date.right(), viewport) << "the date is cut by the scroll bar";
        EXPECT_GE(date.width(), metrics.horizontalAdvance(text)) << text.toStdString();
    }
}

TEST_F(KNVTTaskViewControllerTest, EveryRowIsMeasuredAtTheWidthItEndsWithAndALongThreadOnlyThere)
{
    struct Case
    {
        const char *name;
        int comments;
        int wordsEach;
        bool overflows;
        // Even the rows' least heights overflow, so the scroll bar is known to come before any text is measured.
        bool measuredOnce;
    };
    const Case cases[] = {
        {"a short thread", 1, 3, false, true},
        {"a long thread", 30, 3, true, true},
        {"a few long comments", 2, 120, true, false},
    };
    KNVTCDUser *ann = user("Ann", "Lee", "ann");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        KNVTCDTask *t = task(QStringLiteral("Thread: %1").arg(QString::fromUtf8(c.name)));
        for (int i = 0; i < c.comments; ++i)
            comment(t, QStringLiteral("Comment %1: ").arg(i) + QStringLiteral("sounds good ").repeated(c.wordsEach),
                    i % 2 == 0 ? ann : me);
        save();
        show(t, QSize(360, 420));
        settle();
        const KNVTTaskTableView *view = controller->tableView();
        ASSERT_EQ(view->verticalScrollBar()->isVisible(), c.overflows);
        const int width = view->viewport()->width();
        EXPECT_EQ(controller->rowWidth(), width);
        for (int i = 0; i < model().rowCount(); ++i)
            EXPECT_EQ(view->visualRect(model().index(i)).height(),
                      KNVTTaskRowLayout::layoutForRow(model().row(i), width).height)
                << "row " << i;
        // The title and every comment, each once.
        if (c.measuredOnce) {
            EXPECT_EQ(controller->textHeightCache().size(), 1 + c.comments);
        }
    }
}

TEST_F(KNVTTaskViewControllerTest, TabAndBacktabGoToTheDelegate)
{
    KNVTCDTask *t = task("Focus");
    save();
    show(t);
    Focus focus;
    controller->tableView()->setFocus();
    QTest::keyClick(controller->tableView(), Qt::Key_Tab);
    EXPECT_EQ(focus.tabs, 0);
    controller->setTaskViewControllerDelegate(&focus);
    QTest::keyClick(controller->tableView(), Qt::Key_Tab);
    QTest::keyClick(controller->tableView(), Qt::Key_Backtab);
    EXPECT_EQ(focus.tabs, 1);
    EXPECT_EQ(focus.backtabs, 1);
    EXPECT_TRUE(controller->tableView()->hasFocus());
}

TEST_F(KNVTTaskViewControllerTest, ADeletedTaskLeavesItsLastRowsAndTheCheckBoxActsOnNothing)
{
    KNVTCDTask *t = task("Gone soon");
    save();
    show(t);
    t->markAsDeleted();
    save();
    EXPECT_EQ(controller->task(), nullptr);
    EXPECT_EQ(texts(), QStringList{"Gone soon"});
    controller->toggleStatus();
    EXPECT_EQ(texts(), QStringList{"Gone soon"});
}

TEST_F(KNVTTaskViewControllerTest, AnUnsavedCommentShowsUpdatedBeforeItsDate)
{
    KNVTCDTask *t = task("Chat");
    KNVTCDTaskComment *c = comment(t, "First", me);
    save();
    show(t);
    const QString date = model().row(rowOf(Kind::MyComment)).dateText;
    EXPECT_FALSE(date.startsWith("Updated"));
    c->setText("First, edited");
    controller->updateCells();
    EXPECT_EQ(model().row(rowOf(Kind::MyComment)).dateText, QStringLiteral("Updated: %1").arg(date));
}

TEST_F(KNVTTaskViewControllerTest, AnOwnRowsEditorPopoverIsKeptByItsCommentAndSurvivesRebuilds)
{
    KNVTCDTask *t = task("Chat");
    KNVTCDTaskComment *c = comment(t, "Mine", me);
    save();
    show(t);
    const int row = rowOf(Kind::MyComment);
    clickRow(row, layoutOf(row, &KNVTTaskRowLayout::editButton).center());
    knvt::Popover *popover = controller->taskCommentEditPopover(c->uri());
    ASSERT_NE(popover, nullptr);
    EXPECT_TRUE(popover->isShown());
    EXPECT_EQ(popover->behavior(), knvt::Popover::Behavior::SemiTransient);
    auto *text = popover->findChild<KNVTTextView *>("commentTextView");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->toPlainText(), QStringLiteral("Mine"));
    text->setPlainText("Mine, typed");

    t->setTitle("Chat about it");
    save();
    EXPECT_EQ(controller->taskCommentEditPopover(c->uri()), popover);
    EXPECT_EQ(text->toPlainText(), QStringLiteral("Mine, typed"));

    clickRow(row, layoutOf(row, &KNVTTaskRowLayout::editButton).center());
    EXPECT_EQ(controller->taskCommentEditPopover(c->uri()), nullptr);
    EXPECT_EQ(c->text(), QStringLiteral("Mine"));
}

TEST_F(KNVTTaskViewControllerTest, AStaleRowsEditBeepsAndAnOpenEditorClosesWhenAPullDeletesItsComment)
{
    KNVTCDTask *t = task("Chat");
    KNVTCDTaskComment *first = comment(t, "First", me);
    KNVTCDTaskComment *second = comment(t, "Second", me);
    second->setNumericIdentifier(77);
    save();
    show(t);

    controller->editTaskComment(second->uri(), QRect(0, 0, 10, 10));
    knvt::Popover *popover = controller->taskCommentEditPopover(second->uri());
    ASSERT_NE(popover, nullptr);
    auto *editor = popover->findChild<QPushButton *>("saveButton");
    ASSERT_NE(editor, nullptr);

    // What a pull does with a comment the service no longer has: it is deleted outright.
    store->managedObjectContext()->remove(second);
    save();
    settle();
    EXPECT_EQ(controller->taskCommentEditPopover(second->uri()), nullptr);

    // A row that outlived its comment.
    const QUrl firstURI = first->uri();
    first->setDeletedDate(now());
    controller->editTaskComment(firstURI, QRect(0, 0, 10, 10));
    EXPECT_EQ(beeper.count(), 1);
    EXPECT_EQ(controller->taskCommentEditPopover(firstURI), nullptr);
}

TEST_F(KNVTTaskViewControllerTest, TheRowsDeleteAsksFirstAndRemovesTheCommentOnTheNextPass)
{
    KNVTCDTask *t = task("Chat");
    KNVTCDTaskComment *c = comment(t, "Mine", me);
    save();
    show(t);
    const int row = rowOf(Kind::MyComment);

    alerts.answerWithTitle("Cancel");
    clickRow(row, layoutOf(row, &KNVTTaskRowLayout::deleteButton).center());
    ASSERT_EQ(alerts.requests().size(), 1);
    EXPECT_EQ(alerts.requests()[0].title, QStringLiteral("Delete Comment?"));
    EXPECT_EQ(alerts.requests()[0].message, QStringLiteral("This action cannot be undone."));
    EXPECT_EQ(alerts.requests()[0].buttonTitles, (QStringList{"Delete", "Cancel"}));
    EXPECT_EQ(t->commentsOrderedByCreatedDate().size(), 1u);

    alerts.answerWithTitle("Delete");
    clickRow(row, layoutOf(row, &KNVTTaskRowLayout::deleteButton).center());
    EXPECT_TRUE(c->isDeleted());
    EXPECT_EQ(saves.requestedDelays(), std::vector<double>{0.0});
    saves.advance(0);
    EXPECT_EQ(rowOf(Kind::MyComment), -1);
}

TEST_F(KNVTTaskViewControllerTest, AScreenReaderReadsTheDetailAsTheListTaskWhoseTitleRowIsItsCheckBox)
{
    KNVTCDTask *t = task("Call the bank");
    save();
    show(t);
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(controller->tableView());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->role(), QAccessible::List);
    EXPECT_EQ(list->text(QAccessible::Name), QStringLiteral("Task"));
    ASSERT_EQ(list->childCount(), model().rowCount());

    const auto titleRow = [&] { return list->child(rowOf(Kind::Title)); };
    ASSERT_NE(titleRow(), nullptr);
    EXPECT_EQ(titleRow()->role(), QAccessible::ListItem);
    EXPECT_EQ(titleRow()->text(QAccessible::Name), QStringLiteral("Call the bank"));
    EXPECT_TRUE(titleRow()->state().checkable);
    EXPECT_FALSE(titleRow()->state().checked);
    EXPECT_EQ(list->indexOfChild(titleRow()), rowOf(Kind::Title));

    t->markAsCompleted();
    save();
    EXPECT_TRUE(titleRow()->state().checked);
    EXPECT_EQ(titleRow()->text(QAccessible::Name), QStringLiteral("Call the bank, completed"));
    t->markAsCancelled();
    save();
    EXPECT_FALSE(titleRow()->state().checked);
    EXPECT_TRUE(titleRow()->state().checkStateMixed) << "a cancelled task reads as mixed";
    EXPECT_EQ(titleRow()->text(QAccessible::Name), QStringLiteral("Call the bank, cancelled"));

    // The toggle action is the box's click: it opens the task again, and completes it after that.
    QAccessibleActionInterface *box = titleRow()->actionInterface();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->actionNames(), QStringList{QAccessibleActionInterface::toggleAction()});
    box->doAction(QAccessibleActionInterface::toggleAction());
    settle();
    EXPECT_FALSE(t->isCompletedOrCancelled());
    titleRow()->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    settle();
    EXPECT_TRUE(t->isCompleted());

    t->setArchived(true);
    save();
    EXPECT_TRUE(titleRow()->actionInterface()->actionNames().isEmpty()) << "a box that cannot be ticked offers nothing";
}

TEST_F(KNVTTaskViewControllerTest, AScreenReaderReadsEachDateRepeatAndPersonAfterItsCaption)
{
    KNVTCDUser *ann = user("Ann", "Lee", "ann");
    KNVTCDTaskList *travel = taskList("Travel", {{ann}});
    KNVTCDTask *passport = task("Renew passport", travel);
    passport->setDueDate(day(3, 9));
    passport->setAssignee(ann);
    passport->setRecurrence(KNVTRecurrence::recurrenceWithRecurrenceRule(
        KNVTRecurrenceRule::recurrenceRuleWithFrequency(KNVTRecurrenceFrequencyWeekly, 2)));
    save();
    show(passport);
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(controller->tableView());
    ASSERT_NE(list, nullptr);
    const auto read = [&](Kind kind) {
        QAccessibleInterface *row = list->child(rowOf(kind));
        return row != nullptr ? row->text(QAccessible::Name) : QStringLiteral("(no row)");
    };
    EXPECT_EQ(read(Kind::DueDate), QStringLiteral("Due Tue, Mar 03, 2015, overdue"));
    EXPECT_EQ(read(Kind::Recurrence), QStringLiteral("Repeats: Every 2 weeks"));
    EXPECT_EQ(read(Kind::People), QStringLiteral("Creator Maria Mendes, Assignee Ann Lee"));

    passport->setDueDate(day(20));
    passport->setStartDate(day(9, 8));
    save();
    EXPECT_EQ(read(Kind::StartDate), QStringLiteral("Starts Mon, Mar 09, 2015"));
    EXPECT_EQ(read(Kind::DueDate), QStringLiteral("Due Fri, Mar 20, 2015"));
}

// Under fr_CA the detail writes the date in the locale's order and month names, and its weekday as the lists write a
// weekday (the detail's format is made once a process, so one locale a test). A closed task is no longer overdue:
// neither drawn red nor read so.
TEST_F(KNVTTaskViewControllerTest, ADueDateNamesItsWeekdayAsTheListDoesAndIsOverdueOnlyWhileTheTaskIsOpen)
{
    const knvt::test::ScopedLocale french("fr_CA");
    KNVTCDTask *t = task("Call");
    t->setDueDate(day(6, 9)); // the Friday of this week
    save();
    show(t);
    const QString listed = KNVTMinimalDateFormatter().stringFromDate(day(6, 9));
    EXPECT_EQ(listed, QStringLiteral("Fri"));
    EXPECT_TRUE(model().row(rowOf(Kind::DueDate)).text.contains(listed))
        << model().row(rowOf(Kind::DueDate)).text.toStdString();
    EXPECT_TRUE(model().row(rowOf(Kind::DueDate)).text.contains(QStringLiteral("mars")));

    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(controller->tableView());
    ASSERT_NE(list, nullptr);
    const struct
    {
        int status;
        bool overdue;
    } rows[] = {{KNVTTaskStatusActionable, true}, {KNVTTaskStatusCompleted, false}, {KNVTTaskStatusCancelled, false}};
    t->setDueDate(day(3, 9));
    for (const auto &row : rows) {
        SCOPED_TRACE(row.status);
        t->setStatus(row.status);
        save();
        const KNVTTaskViewModel::Row &due = model().row(rowOf(Kind::DueDate));
        EXPECT_EQ(due.textColor == QColor(Qt::red), row.overdue);
        EXPECT_EQ(list->child(rowOf(Kind::DueDate))->text(QAccessible::Name).endsWith(QStringLiteral(", overdue")),
                  row.overdue);
    }
}

TEST_F(KNVTTaskViewControllerTest, AnOwnCommentRowOffersEditAndDeleteAsItsActionsAndTheyDoWhatTheButtonsDo)
{
    KNVTCDUser *ann = user("Ann", "Lee", "ann");
    KNVTCDTask *t = task("Chat");
    comment(t, "Theirs", ann);
    KNVTCDTaskComment *mine = comment(t, "Mine", me);
    save();
    show(t);
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(controller->tableView());
    ASSERT_NE(list, nullptr);
    const auto rowActions = [&](Kind kind) { return list->child(rowOf(kind))->actionInterface(); };

    EXPECT_TRUE(rowActions(Kind::Comment)->actionNames().isEmpty()) << "someone else's comment offers nothing";
    EXPECT_EQ(rowActions(Kind::MyComment)->actionNames(), (QStringList{"Edit", "Delete"}));
    EXPECT_TRUE(list->child(rowOf(Kind::MyComment))->text(QAccessible::Name).contains(QStringLiteral("Mine")));

    rowActions(Kind::MyComment)->doAction(QStringLiteral("Edit"));
    settle();
    knvt::Popover *editor = controller->taskCommentEditPopover(mine->uri());
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->isShown());
    EXPECT_EQ(QAccessible::queryAccessibleInterface(editor)->text(QAccessible::Name), QStringLiteral("Edit Comment"));
    editor->performClose();
    settle();

    alerts.answerWithTitle("Delete");
    rowActions(Kind::MyComment)->doAction(QStringLiteral("Delete"));
    settle();
    ASSERT_EQ(alerts.requests().size(), 1);
    EXPECT_EQ(alerts.requests()[0].title, QStringLiteral("Delete Comment?"));
    EXPECT_TRUE(mine->isDeleted());
}

TEST_F(KNVTTaskViewControllerTest, AnOverdueDateAndRingAreDrawnInARedThatReadsOnADarkBackground)
{
    KNVTCDTask *late = task("Pay rent");
    late->setDueDate(day(1));
    save();
    show(late);
    QPalette dark;
    dark.setColor(QPalette::Base, QColor(35, 35, 35));
    dark.setColor(QPalette::Window, QColor(45, 45, 45));
    dark.setColor(QPalette::Text, QColor(230, 230, 230));
    window->setPalette(dark);
    settle();

    // Every strongly red pixel of the due date and of the check box's ring.
    const auto reds = [&](int row, QRect KNVTTaskRowLayout::*member) {
        const QRect visual = controller->tableView()->visualRect(model().index(row));
        const QRect area = layoutOf(row, member).translated(visual.topLeft());
        const QImage image = controller->tableView()->viewport()->grab(area).toImage();
        QList<QColor> found;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.red() > 200 && c.green() < c.red() / 2 + 10 && c.blue() < c.red() / 2 + 10)
                    found.append(c);
            }
        }
        return found;
    };
    for (const auto &[row, member] : {std::pair{rowOf(Kind::DueDate), &KNVTTaskRowLayout::textRect},
                                      std::pair{rowOf(Kind::Title), &KNVTTaskRowLayout::completedCheckBoxButton}}) {
        const QList<QColor> painted = reds(row, member);
        ASSERT_FALSE(painted.isEmpty()) << "row " << row << " is drawn red";
        EXPECT_TRUE(
            std::any_of(painted.begin(), painted.end(), [&](const QColor &c) { return c == knvt::overdueColor(dark); }))
            << "row " << row << " takes the lighter red of the lists";
        EXPECT_TRUE(std::none_of(painted.begin(), painted.end(), [](const QColor &c) { return c == QColor(Qt::red); }))
            << "row " << row << " draws no plain red, hard to read on the dark band";
    }
}

TEST_F(KNVTTaskViewControllerTest, TheRowWithTheKeyboardFocusIsFramedAndReadAsFocused)
{
    KNVTCDTask *t = task("Focus");
    t->setNotes("Some notes");
    save();
    show(t);
    auto *before = new QLineEdit(window.get());
    window->layout()->addWidget(before);
    before->show();
    QWidget::setTabOrder(before, controller->tableView());
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    before->setFocus();
    const QImage unfocused = controller->tableView()->viewport()->grab().toImage();
    QTest::keyClick(before, Qt::Key_Tab);
    settle();
    ASSERT_TRUE(controller->tableView()->hasFocus());
    const QModelIndex current = controller->tableView()->currentIndex();
    ASSERT_TRUE(current.isValid()) << "the focus lands on the first row";
    QAccessibleInterface *row = QAccessible::queryAccessibleInterface(controller->tableView())->child(current.row());
    EXPECT_TRUE(row->state().focused);
    const QImage after = controller->tableView()->viewport()->grab().toImage();
    EXPECT_NE(unfocused, after) << "the focused row is drawn framed";
}

TEST_F(KNVTTaskViewControllerTest, TheKeyboardsRowStaysOnItsRowAcrossSavesWhichAnnounceOnlyTheRowsTheyChange)
{
    KNVTCDUser *ann = user("Ann", "Lee", "ann");
    KNVTCDTask *t = task("Tidy the shed");
    t->setNotes("Rakes first");
    save();
    comment(t, "Booked the skip", ann);
    save();
    show(t);
    knvt::test::CheckedModel checked(&model());
    controller->tableView()->setCurrentIndex(model().index(rowOf(Kind::Comment)));
    const auto current = [this] { return controller->tableView()->currentIndex().data().toString(); };

    struct Step
    {
        const char *what;
        std::function<void()> change;
        QStringList changedRows;
        int inserts;
        int removes;
    };
    const std::vector<Step> steps{
        {"a new title", [&] { t->setTitle("Tidy the barn"); }, {"0-0"}, 0, 0},
        {"other notes", [&] { t->setNotes("Brooms first"); }, {"2-2"}, 0, 0},
        {"a later comment",
         [&] {
             clock.advance(60);
             comment(t, "Skip comes Monday", ann);
         },
         {},
         1,
         0},
        {"no notes", [&] { t->setNotes(""); }, {}, 0, 1},
    };
    for (const Step &step : steps) {
        checked.forget();
        step.change();
        save();
        EXPECT_EQ(current(), QStringLiteral("Booked the skip")) << step.what;
        EXPECT_EQ(checked.heard().changedRows, step.changedRows) << step.what;
        EXPECT_EQ(checked.heard().inserts, step.inserts) << step.what;
        EXPECT_EQ(checked.heard().removes, step.removes) << step.what;
        EXPECT_EQ(checked.heard().resets, 0) << step.what;
    }
    EXPECT_EQ(texts(), (QStringList{"Tidy the barn", "Comments", "Booked the skip", "Skip comes Monday"}));
    EXPECT_EQ(checked.complaints(), QStringList());
}

} // namespace
