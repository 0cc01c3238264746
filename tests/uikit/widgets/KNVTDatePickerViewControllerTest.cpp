#include "uikit/KNVTDatePickerViewController.h"

#include "support/FakeClock.h"
#include "support/ScopedTimeZone.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace {

QDateTime local(int year, int month, int day, int hour = 0, int minute = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute), Qt::LocalTime);
}

// A form that copies every picked date; it answers the close question only when told to.
class Form : public QObject, public KNVTDatePickerViewControllerDelegate
{
    Q_OBJECT
public:
    QList<QDateTime> dates;
    std::optional<bool> keepsOpen;
    int closeQuestions = 0;

    void datePickerViewController(KNVTDatePickerViewController *, const QDateTime &date) override
    {
        dates.append(date);
    }
    bool datePickerViewControllerShouldClose(KNVTDatePickerViewController *controller) override
    {
        ++closeQuestions;
        if (keepsOpen)
            return !*keepsOpen;
        return KNVTDatePickerViewControllerDelegate::datePickerViewControllerShouldClose(controller);
    }
};

class KNVTDatePickerViewControllerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        knvt::Popover::animationsEnabled = false;
        anchor = new QPushButton(QStringLiteral("Due"), &window);
        window.resize(400, 300);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    void TearDown() override { knvt::Popover::animationsEnabled = true; }

    // Presents the controller the way the forms do.
    void present(const QDateTime &date)
    {
        controller = std::make_unique<KNVTDatePickerViewController>();
        controller->setDatePickerViewControllerDelegate(&form);
        controller->setDate(date);
        popover = new knvt::Popover(&window);
        popover->setContentWidget(controller->view());
        controller->setPopover(popover);
        popover->showRelativeTo(QRect(), anchor, knvt::Opener::User);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(popover));
        controller->datePicker()->setFocus();
        ASSERT_TRUE(QTest::qWaitFor([this] { return focused() != nullptr; }));
    }

    // Where the keyboard goes: the calendar's inner view when the picker has the focus.
    QWidget *focused() const
    {
        QWidget *widget = QApplication::focusWidget();
        return widget && controller->datePicker()->isAncestorOf(widget) ? widget : nullptr;
    }

    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget *target = focused();
        ASSERT_NE(target, nullptr);
        QTest::keyClick(target, key, modifiers);
    }

    void clickDay(int day)
    {
        auto *grid =
            controller->datePicker()->findChild<QAbstractItemView *>(QStringLiteral("qt_calendar_calendarview"));
        ASSERT_NE(grid, nullptr);
        for (int row = 1; row < grid->model()->rowCount(); ++row) {
            for (int column = 0; column < grid->model()->columnCount(); ++column) {
                const QModelIndex cell = grid->model()->index(row, column);
                if (cell.data().toInt() == day) {
                    const QPoint centre = grid->visualRect(cell).center();
                    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, centre);
                    return;
                }
            }
        }
        FAIL() << "no cell for day " << day;
    }

    QWidget window;
    QPushButton *anchor = nullptr;
    Form form;
    std::unique_ptr<KNVTDatePickerViewController> controller;
    knvt::Popover *popover = nullptr;
};

TEST_F(KNVTDatePickerViewControllerTest, StartsAtNowAndHandsDateAndBoundsToThePickerWhenLoaded)
{
    knvt::test::FakeClock clock(local(2025, 3, 1, 12, 30));
    KNVTDatePickerViewController fresh;
    EXPECT_EQ(fresh.date(), local(2025, 3, 1, 12, 30));
    EXPECT_EQ(fresh.datePicker(), nullptr);
    fresh.setMinDate(local(2025, 2, 20));
    fresh.setDate(local(2025, 3, 4, 8));

    QWidget *view = fresh.view();
    EXPECT_EQ(view->objectName(), QStringLiteral("datePickerView"));
    EXPECT_EQ(fresh.datePickerView(), view);
    KNVTDatePicker *picker = view->findChild<KNVTDatePicker *>(QStringLiteral("datePicker"));
    ASSERT_EQ(picker, fresh.datePicker());
    EXPECT_EQ(picker->dateValue(), local(2025, 3, 4, 8));
    EXPECT_EQ(picker->selectedDate(), QDate(2025, 3, 4));
    EXPECT_EQ(picker->minDate(), local(2025, 2, 20));
    EXPECT_EQ(picker->minimumDate(), QDate(2025, 2, 20));
    EXPECT_FALSE(picker->maxDate().isValid());
    EXPECT_EQ(fresh.datePickerView()->datePickerViewController(), &fresh);
}

TEST_F(KNVTDatePickerViewControllerTest, AClickedDayIsReportedAtTheSameTimeOfDay)
{
    present(local(2025, 3, 1, 12, 30));
    clickDay(15);
    EXPECT_EQ(form.dates, QList<QDateTime>{local(2025, 3, 15, 12, 30)});
    EXPECT_EQ(controller->date(), local(2025, 3, 15, 12, 30));
    EXPECT_EQ(controller->datePicker()->dateValue(), local(2025, 3, 15, 12, 30));

    // The date that is already chosen is not news.
    clickDay(15);
    controller->datePickerCell(controller->datePicker(), local(2025, 3, 15, 12, 30));
    EXPECT_EQ(form.dates.size(), 1);
    controller->datePickerCell(controller->datePicker(), local(2025, 3, 15, 12, 31));
    EXPECT_EQ(form.dates.size(), 2);
}

TEST_F(KNVTDatePickerViewControllerTest, RightArrowOnTheLongAutumnDayGivesTheNextMidnight)
{
    knvt::test::ScopedTimeZone zone("Europe/Berlin");
    present(local(2025, 10, 26));
    press(Qt::Key_Right);
    EXPECT_EQ(controller->date(), local(2025, 10, 27));
    EXPECT_EQ(form.dates, QList<QDateTime>{local(2025, 10, 27)});
    EXPECT_EQ(controller->datePicker()->selectedDate(), QDate(2025, 10, 27));
}

TEST_F(KNVTDatePickerViewControllerTest, ArrowsStepByDaysAndWeeksAndReportEachStep)
{
    present(local(2025, 3, 1, 12));
    // The keys go where a user's would: to the calendar grid inside the picker.
    EXPECT_EQ(focused()->objectName(), QStringLiteral("qt_calendar_calendarview"));
    press(Qt::Key_Down);
    press(Qt::Key_Up);
    press(Qt::Key_Left);
    press(Qt::Key_Right);
    EXPECT_EQ(form.dates,
              (QList<QDateTime>{local(2025, 3, 8, 12), local(2025, 3, 1, 12), local(2025, 2, 28, 12),
                                local(2025, 3, 1, 12)}));

    // Over the spring change (New York, 9 March) the clock time stays and the week is an hour short.
    controller->setDate(local(2025, 3, 5, 12));
    press(Qt::Key_Down);
    EXPECT_EQ(controller->date(), local(2025, 3, 12, 12));
    EXPECT_EQ(local(2025, 3, 5, 12).secsTo(controller->date()), 7 * 86400 - 3600);
    EXPECT_TRUE(focused() != nullptr) << "the picker keeps the keyboard";
}

TEST_F(KNVTDatePickerViewControllerTest, ArrowsStopAtTheBounds)
{
    present(local(2025, 3, 1, 12));
    controller->setMinDate(local(2025, 2, 27, 18));
    controller->setMaxDate(local(2025, 3, 3, 9));
    // Bounds set after loading narrow the calendar at once.
    EXPECT_EQ(controller->datePicker()->minimumDate(), QDate(2025, 2, 27));
    EXPECT_EQ(controller->datePicker()->maximumDate(), QDate(2025, 3, 3));

    press(Qt::Key_Left);
    press(Qt::Key_Left);
    press(Qt::Key_Left);
    press(Qt::Key_Up);
    EXPECT_EQ(form.dates, (QList<QDateTime>{local(2025, 2, 28, 12), local(2025, 2, 27, 18)}));
    press(Qt::Key_Down);
    press(Qt::Key_Down);
    EXPECT_EQ(form.dates.last(), local(2025, 3, 3, 9));
    EXPECT_EQ(form.dates.size(), 3);
}

TEST_F(KNVTDatePickerViewControllerTest, ReturnClosesThePopoverUnlessTheFormKeepsItOpen)
{
    present(local(2025, 3, 1, 12));
    QSignalSpy closed(popover, &knvt::Popover::closed);
    form.keepsOpen = true;
    press(Qt::Key_Right);
    press(Qt::Key_Return);
    EXPECT_EQ(form.closeQuestions, 1);
    EXPECT_TRUE(popover->isShown());
    EXPECT_EQ(controller->date(), local(2025, 3, 2, 12));

    // Keypad Enter is not Return.
    form.keepsOpen.reset();
    press(Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_TRUE(popover->isShown());
    EXPECT_EQ(form.closeQuestions, 1);

    press(Qt::Key_Return);
    EXPECT_EQ(form.closeQuestions, 2);
    EXPECT_FALSE(popover->isShown());
    EXPECT_EQ(closed.count(), 1);
    EXPECT_EQ(controller->date(), local(2025, 3, 2, 12));
}

TEST_F(KNVTDatePickerViewControllerTest, ReturnWithoutADelegateCloses)
{
    present(local(2025, 3, 1, 12));
    controller->setDatePickerViewControllerDelegate(nullptr);
    press(Qt::Key_Return);
    EXPECT_FALSE(popover->isShown());
}

TEST_F(KNVTDatePickerViewControllerTest, AGoneFormIsNotTold)
{
    auto leaving = std::make_unique<Form>();
    present(local(2025, 3, 1, 12));
    controller->setDatePickerViewControllerDelegate(leaving.get());
    leaving.reset();
    EXPECT_EQ(controller->datePickerViewControllerDelegate(), nullptr);
    press(Qt::Key_Right);
    EXPECT_EQ(controller->date(), local(2025, 3, 2, 12));
    EXPECT_TRUE(form.dates.isEmpty());
}

TEST(KNVTDatePickerView, ReturnWithoutAControllerDoesNothing)
{
    KNVTDatePickerView view;
    QKeyEvent event(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(&view, &event);
    EXPECT_TRUE(event.isAccepted());
    EXPECT_EQ(view.datePickerViewController(), nullptr);
}

TEST_F(KNVTDatePickerViewControllerTest, AScreenReaderReadsTheCalendarByWhatItIsForAndItsMonthButtons)
{
    present(local(2025, 3, 1, 12));
    QAccessibleInterface *read = QAccessible::queryAccessibleInterface(popover);
    EXPECT_EQ(read->role(), QAccessible::Dialog);
    EXPECT_EQ(read->text(QAccessible::Name), QStringLiteral("Calendar"));

    controller->setTitle(QStringLiteral("Due Date"));
    EXPECT_EQ(read->text(QAccessible::Name), QStringLiteral("Due Date"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(controller->datePicker())->text(QAccessible::Name),
              QStringLiteral("Due Date"));
    // The grid of days has the focus while the calendar has it.
    auto *grid = controller->datePicker()->findChild<QAbstractItemView *>(QStringLiteral("qt_calendar_calendarview"));
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(grid)->text(QAccessible::Name), QStringLiteral("Due Date"));
    for (const char *button : {"qt_calendar_prevmonth", "qt_calendar_nextmonth"}) {
        auto *arrow = controller->datePicker()->findChild<QWidget *>(QLatin1String(button));
        ASSERT_NE(arrow, nullptr);
        EXPECT_FALSE(QAccessible::queryAccessibleInterface(arrow)->text(QAccessible::Name).isEmpty()) << button;
    }
}

TEST_F(KNVTDatePickerViewControllerTest, AScreenReaderReadsEachDayByItsFullDateTheChosenOneSelectedAndSkipsTheWeekdays)
{
    present(local(2025, 3, 1, 12));
    auto *grid = controller->datePicker()->findChild<QAbstractItemView *>(QStringLiteral("qt_calendar_calendarview"));
    ASSERT_NE(grid, nullptr);
    QAccessibleInterface *read = QAccessible::queryAccessibleInterface(grid);
    ASSERT_NE(read, nullptr);
    QStringList headers;
    QStringList days;
    QStringList selected;
    for (int i = 0; i < read->childCount(); ++i) {
        QAccessibleInterface *cell = read->child(i);
        ASSERT_NE(cell, nullptr);
        const QAccessible::State state = cell->state();
        if (state.invisible)
            continue;
        if (cell->role() == QAccessible::ColumnHeader) {
            EXPECT_FALSE(state.focusable) << cell->text(QAccessible::Name).toStdString();
            headers << cell->text(QAccessible::Name);
            continue;
        }
        EXPECT_TRUE(state.focusable) << cell->text(QAccessible::Name).toStdString();
        EXPECT_EQ(read->indexOfChild(cell), i);
        days << cell->text(QAccessible::Name);
        if (state.selected)
            selected << cell->text(QAccessible::Name);
    }
    EXPECT_EQ(headers, (QStringList{"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"}));
    ASSERT_EQ(days.size(), 42);
    EXPECT_EQ(days.first(), QStringLiteral("Sunday, February 23, 2025"));
    EXPECT_EQ(days.at(6), QStringLiteral("Saturday, March 1, 2025"));
    EXPECT_EQ(days.last(), QStringLiteral("Saturday, April 5, 2025"));
    EXPECT_EQ(selected, QStringList{"Saturday, March 1, 2025"});

    // The day the keyboard moves to is the grid's focused element, named by its date.
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Right);
    QAccessibleInterface *focused = read->focusChild();
    ASSERT_NE(focused, nullptr);
    EXPECT_EQ(focused->text(QAccessible::Name), QStringLiteral("Sunday, March 2, 2025"));
    EXPECT_TRUE(focused->state().selected);
}

TEST_F(KNVTDatePickerViewControllerTest, EscapeClosesThePopoverAndPutsBackTheDateItOpenedWith)
{
    present(local(2025, 3, 1, 12));
    QSignalSpy closed(popover, &knvt::Popover::closed);
    press(Qt::Key_Escape);
    EXPECT_FALSE(popover->isShown());
    EXPECT_EQ(closed.count(), 1);
    EXPECT_TRUE(form.dates.isEmpty()) << "nothing moved, nothing to put back";
    EXPECT_EQ(controller->date(), local(2025, 3, 1, 12));

    // The arrows report each day they reach; Escape undoes the walk.
    present(local(2025, 3, 1, 12));
    press(Qt::Key_Right);
    press(Qt::Key_Down);
    ASSERT_EQ(form.dates.size(), 2);
    press(Qt::Key_Escape);
    EXPECT_FALSE(popover->isShown());
    EXPECT_EQ(form.dates.size(), 3);
    EXPECT_EQ(form.dates.last(), local(2025, 3, 1, 12));
    EXPECT_EQ(controller->date(), local(2025, 3, 1, 12));
}

} // namespace

#include "KNVTDatePickerViewControllerTest.moc"
