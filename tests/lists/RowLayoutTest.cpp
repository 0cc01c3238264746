// The row delegates' layouts: frames, texts, colours and visibility of task, project and area rows for the states a
// list shows, computed without painting.

#include "lists/ItemRow.h"
#include "lists/KNVTAreaTableCellView.h"
#include "lists/KNVTProjectTableCellView.h"
#include "lists/KNVTTaskTableCellView.h"

#include "foundation/KNVTMinimalDateFormatter.h"
#include "uikit/ColorAdditions.h"
#include "uikit/KNVTCheckBox.h"

#include <gtest/gtest.h>

using knvt::ItemRow;
using knvt::ItemRowKind;

namespace {

const QDateTime kNow(QDate(2015, 3, 4), QTime(12, 0));
constexpr qreal kWidth = 400.0;

ItemRow taskRow(const QString &title)
{
    ItemRow row;
    row.kind = ItemRowKind::Task;
    row.title = title;
    row.avatarHidden = true;
    return row;
}

qreal width(const QString &text)
{
    return KNVTTaskTableCellView::widthForString(text, knvt::rowFont(12));
}

QString minimal(const QDateTime &date)
{
    return KNVTMinimalDateFormatter::mainThreadFormatter().stringFromDate(date);
}

} // namespace

TEST(TaskRowLayout, AnOverdueOpenTaskShowsARedRingAndARedDueDateAtTheRight)
{
    ItemRow row = taskRow(QStringLiteral("Pay rent"));
    row.dueDate = kNow.addDays(-1);
    const auto layout = KNVTTaskTableCellView::layoutForTask(row, kWidth, kNow);
    EXPECT_EQ(layout.checkBoxTintColor, QColor(Qt::red));
    EXPECT_EQ(layout.checkBoxFrame, QRectF(4, 14, 22, 22));
    EXPECT_EQ(layout.dueDate.text, minimal(row.dueDate));
    EXPECT_EQ(layout.dueDate.color, QColor(Qt::red));
    const qreal dw = width(layout.dueDate.text);
    EXPECT_EQ(layout.dueDate.frame, QRectF(kWidth - dw - 10.0, 17, dw, 28));
    // Case C: the title stops short of the due date and the hidden avatar's margin.
    EXPECT_EQ(layout.title.frame, QRectF(34, 15, (kWidth - 30.0) - 4.0 - dw - 10.0, 20));
    EXPECT_TRUE(layout.startDate.hidden);
    EXPECT_TRUE(layout.completedDate.hidden);
    EXPECT_TRUE(layout.subtitle.hidden);
    EXPECT_EQ(layout.backgroundColor, QColor(Qt::white));
}

TEST(TaskRowLayout, TodayTintsTheRingYellowAndOtherOpenTasksKeepTheDefaultTint)
{
    ItemRow row = taskRow(QStringLiteral("Call Ann"));
    row.today = true;
    EXPECT_EQ(KNVTTaskTableCellView::layoutForTask(row, kWidth, kNow).checkBoxTintColor,
              KNVTTaskTableCellView::todayTintColor());
    row.today = false;
    EXPECT_EQ(KNVTTaskTableCellView::layoutForTask(row, kWidth, kNow).checkBoxTintColor, knvt::defaultTintColor());
}

TEST(TaskRowLayout, AClosedTaskShowsItsTickOrCrossAndTheDayItClosedOnAGreyBand)
{
    for (const auto &[completed, state] : {std::pair{true, 1}, std::pair{false, 2}}) {
        ItemRow row = taskRow(QStringLiteral("Done"));
        row.completed = completed;
        row.closed = true;
        row.checkBoxState = state;
        row.dueDate = kNow.addDays(-2);
        row.statusModifiedDate = kNow.addDays(-1);
        const auto layout = KNVTTaskTableCellView::layoutForTask(row, kWidth, kNow);
        EXPECT_EQ(layout.checkBoxState, state);
        EXPECT_TRUE(layout.dueDate.text.isEmpty()) << "a closed task shows no due date";
        const qreal cw = width(minimal(row.statusModifiedDate));
        EXPECT_FALSE(layout.completedDate.hidden);
        EXPECT_EQ(layout.completedDate.frame, QRectF(34, 15, cw, 20));
        EXPECT_EQ(layout.title.frame.x(), 30.0 + cw + 8.0);
        EXPECT_EQ(layout.backgroundColor, KNVTTaskTableCellView::closedBackgroundColor());
        EXPECT_EQ(layout.completedDate.color, QColor(Qt::darkGray));
    }
}

TEST(TaskRowLayout, AFutureStartStandsBeforeTheTitleUnlessTheTaskIsAlreadyDue)
{
    ItemRow row = taskRow(QStringLiteral("Plant bulbs"));
    row.startDate = kNow.addDays(1);
    auto layout = KNVTTaskTableCellView::layoutForTask(row, kWidth, kNow);
    const qreal sw = width(minimal(row.startDate));
    EXPECT_FALSE(layout.startDate.hidden);
    EXPECT_EQ(layout.startDate.frame, QRectF(34, 15, sw, 20));
    EXPECT_EQ(layout.title.frame.x(), 30.0 + sw + 8.0);
    EXPECT_EQ(layout.startDate.color, KNVTTaskTableCellView::startDateColor());

    // With a due date too, the title leaves room for it.
    row.dueDate = kNow.addDays(3);
    layout = KNVTTaskTableCellView::layoutForTask(row, kWidth, kNow);
    const qreal dw = width(minimal(row.dueDate));
    EXPECT_EQ(layout.title.frame.width(), kWidth - sw - 35.0 - (dw + 4.0) - 10.0);

    row.dueDate = kNow.addDays(-1);
    layout = KNVTTaskTableCellView::layoutForTask(row, kWidth, kNow);
    EXPECT_TRUE(layout.startDate.hidden);
    EXPECT_EQ(layout.checkBoxTintColor, QColor(Qt::red));
}

TEST(TaskRowLayout, TheAvatarShowsForOthersAndForNobodyAndTakesItsMargin)
{
    ItemRow row = taskRow(QStringLiteral("Water plants"));
    auto mine = KNVTTaskTableCellView::layoutForTask(row, kWidth, kNow);
    EXPECT_TRUE(mine.avatarHidden);
    row.avatarHidden = false;
    row.avatarInitials = QStringLiteral("AB");
    auto theirs = KNVTTaskTableCellView::layoutForTask(row, kWidth, kNow);
    EXPECT_FALSE(theirs.avatarHidden);
    EXPECT_EQ(theirs.avatarFrame, QRectF(kWidth - 50, 5, 40, 40));
    EXPECT_EQ(mine.title.frame.width() - theirs.title.frame.width(), 45.0);
}

TEST(TaskRowLayout, TheListTitleStandsAboveTheTitleAndTallRowsShowTheNotes)
{
    ItemRow row = taskRow(QStringLiteral("Pay rent"));
    row.subtitle = QStringLiteral("Home");
    auto layout = KNVTTaskTableCellView::layoutForTask(row, kWidth, kNow);
    EXPECT_FALSE(layout.subtitle.hidden);
    EXPECT_EQ(layout.subtitle.frame.y(), 5.0);
    EXPECT_EQ(layout.title.frame.y(), 24.0);
    EXPECT_EQ(layout.notes.text, QStringLiteral("No Notes"));
    EXPECT_TRUE(layout.notes.font.italic());
    EXPECT_EQ(layout.notes.frame, QRectF(4, 48, kWidth - 8, 34));
    row.notes = QStringLiteral("before Friday");
    layout = KNVTTaskTableCellView::layoutForTask(row, kWidth, kNow);
    EXPECT_EQ(layout.notes.text, QStringLiteral("before Friday"));
    EXPECT_FALSE(layout.notes.font.italic());
}

TEST(TaskRowLayout, ASelectedRowPaintsEverySecondaryTextWhiteAndABoxIMayNotUseIsDisabled)
{
    ItemRow row = taskRow(QStringLiteral("Pay rent"));
    row.subtitle = QStringLiteral("Club");
    row.dueDate = kNow.addDays(-1);
    row.checkBoxEnabled = false;
    const auto layout = KNVTTaskTableCellView::layoutForTask(row, kWidth, kNow, true);
    EXPECT_EQ(layout.dueDate.color, QColor(Qt::white));
    EXPECT_EQ(layout.subtitle.color, QColor(Qt::white));
    EXPECT_EQ(layout.notes.color, QColor(Qt::white));
    EXPECT_EQ(layout.title.color, QColor(Qt::white)) << "the highlighted text's colour, as every text of the row";
    EXPECT_FALSE(layout.checkBoxEnabled);
}

TEST(TaskRowLayout, WidthForStringIsTheAdvancePlusTenAndNothingForNoText)
{
    EXPECT_EQ(KNVTTaskTableCellView::widthForString(QString(), knvt::rowFont(12)), 0.0);
    EXPECT_GT(KNVTTaskTableCellView::widthForString(QStringLiteral("Mar 5"), knvt::rowFont(12)), 10.0);
}

TEST(ProjectRowLayout, AClosedProjectICanEditOffersTheArchiveButtonAndPullsTheDueDateIn)
{
    ItemRow row;
    row.kind = ItemRowKind::Project;
    row.title = QStringLiteral("Garden");
    row.closed = true;
    row.checkBoxState = KNVTCheckBoxStateCross;
    row.dueDate = kNow.addDays(2);
    row.statusModifiedDate = kNow;
    auto layout = KNVTProjectTableCellView::layoutForProject(row, kWidth, kNow);
    EXPECT_FALSE(layout.archiveButtonHidden);
    EXPECT_EQ(layout.archiveButtonFrame, QRectF(kWidth - 26, 14, 16, 16));
    // A cancelled project keeps its due date.
    const qreal dw = width(KNVTProjectTableCellView::mediumDateString(row.dueDate));
    EXPECT_EQ(layout.dueDate.frame, QRectF(kWidth - dw - 46.0, 17, dw, 28));
    EXPECT_EQ(layout.backgroundColor, KNVTTaskTableCellView::closedBackgroundColor());

    row.completed = true;
    row.checkBoxState = KNVTCheckBoxStateTick;
    layout = KNVTProjectTableCellView::layoutForProject(row, kWidth, kNow);
    EXPECT_TRUE(layout.dueDate.text.isEmpty());

    row.archived = true;
    EXPECT_TRUE(KNVTProjectTableCellView::layoutForProject(row, kWidth, kNow).archiveButtonHidden);
    row.archived = false;
    row.canEdit = false;
    EXPECT_TRUE(KNVTProjectTableCellView::layoutForProject(row, kWidth, kNow).archiveButtonHidden);
}

TEST(ProjectRowLayout, AProjectNotYetStartedShowsItsStartBeforeTheBoxAndABoxIMayNotUseIsDisabled)
{
    ItemRow row;
    row.kind = ItemRowKind::Project;
    row.title = QStringLiteral("Garden");
    row.startDate = kNow.addDays(7);
    row.checkBoxEnabled = false;
    const auto layout = KNVTProjectTableCellView::layoutForProject(row, kWidth, kNow);
    const qreal sw = width(KNVTProjectTableCellView::mediumDateString(row.startDate));
    EXPECT_EQ(layout.startDate.frame, QRectF(4, 17, sw, 28));
    EXPECT_EQ(layout.checkBoxFrame, QRectF(4 + sw, 14, 22, 22));
    EXPECT_FALSE(layout.checkBoxEnabled);
    // The title stands above the count.
    EXPECT_EQ(layout.title.frame.y(), 5.0);
    EXPECT_EQ(layout.subtitle.frame.y(), 24.0);
}

TEST(ProjectRowLayout, TheCountIsOfOpenTasksUntilTheListItselfIsClosed)
{
    ItemRow row;
    row.kind = ItemRowKind::Project;
    row.numberOfTasks = 3;
    row.numberOfUncompletedTasks = 1;
    EXPECT_EQ(row.itemCountText(), QStringLiteral("1 item"));
    row.numberOfUncompletedTasks = 0;
    EXPECT_EQ(row.itemCountText(), QStringLiteral("0 items"));
    row.closed = true;
    EXPECT_EQ(row.itemCountText(), QStringLiteral("3 items"));
    row.numberOfTasks = 1;
    EXPECT_EQ(row.itemCountText(), QStringLiteral("1 item"));
}

TEST(AreaRowLayout, AnArchivedAreaShowsTheDayItWasArchivedOnAGreyBand)
{
    ItemRow row;
    row.kind = ItemRowKind::Area;
    row.title = QStringLiteral("Home");
    row.numberOfUncompletedTasks = 5;
    auto layout = KNVTAreaTableCellView::layoutForArea(row, kWidth);
    EXPECT_TRUE(layout.completedDate.hidden);
    EXPECT_EQ(layout.title.frame, QRectF(8, 5, kWidth - 16, 20));
    EXPECT_EQ(layout.subtitle.text, QStringLiteral("5 items"));
    EXPECT_EQ(layout.backgroundColor, QColor(Qt::white));

    row.archived = true;
    row.statusModifiedDate = kNow.addDays(-3);
    layout = KNVTAreaTableCellView::layoutForArea(row, kWidth);
    const qreal cw = width(minimal(row.statusModifiedDate));
    EXPECT_FALSE(layout.completedDate.hidden);
    // In the Archived list the day and the title line up with those of closed projects and tasks.
    ItemRow project;
    project.kind = ItemRowKind::Project;
    project.title = QStringLiteral("Garden");
    project.closed = true;
    project.completed = true;
    project.checkBoxState = KNVTCheckBoxStateTick;
    project.statusModifiedDate = row.statusModifiedDate;
    ItemRow task = taskRow(QStringLiteral("Dig"));
    task.closed = true;
    task.checkBoxState = KNVTCheckBoxStateTick;
    task.statusModifiedDate = row.statusModifiedDate;
    const auto projectLayout = KNVTProjectTableCellView::layoutForProject(project, kWidth, kNow);
    const auto taskLayout = KNVTTaskTableCellView::layoutForTask(task, kWidth, kNow);
    EXPECT_EQ(layout.completedDate.frame, QRectF(34, 15, cw, 20));
    EXPECT_EQ(layout.completedDate.frame, projectLayout.completedDate.frame);
    EXPECT_EQ(layout.completedDate.frame, taskLayout.completedDate.frame);
    EXPECT_EQ(layout.title.frame.x(), 30.0 + cw + 8.0);
    EXPECT_EQ(layout.title.frame.x(), projectLayout.title.frame.x());
    EXPECT_EQ(layout.title.frame.x(), taskLayout.title.frame.x());
    EXPECT_LE(layout.title.frame.right(), kWidth);
    EXPECT_EQ(layout.backgroundColor, KNVTTaskTableCellView::closedBackgroundColor());
}

TEST(ProjectRowLayout, ASelectedProjectDrawsItsStartInTheHighlightedTextColour)
{
    ItemRow row;
    row.kind = ItemRowKind::Project;
    row.title = QStringLiteral("Garden");
    row.startDate = kNow.addDays(7);
    EXPECT_EQ(KNVTProjectTableCellView::layoutForProject(row, kWidth, kNow).startDate.color,
              KNVTTaskTableCellView::startDateColor());
    const auto selected = KNVTProjectTableCellView::layoutForProject(row, kWidth, kNow, true);
    EXPECT_FALSE(selected.startDate.hidden);
    EXPECT_EQ(selected.startDate.color, QColor(Qt::white));
    EXPECT_EQ(KNVTTaskTableCellView::layoutForTask(row, kWidth, kNow, true).startDate.color, QColor(Qt::white));
}

TEST(RowLayoutColours, UnderADarkPaletteEveryRowTakesItsTextsAndBackgroundsFromThePalette)
{
    QPalette dark;
    const QColor base(35, 35, 35), alternate(53, 53, 53), text(230, 230, 230), highlighted(250, 250, 250);
    dark.setColor(QPalette::Base, base);
    dark.setColor(QPalette::AlternateBase, alternate);
    dark.setColor(QPalette::Text, text);
    dark.setColor(QPalette::HighlightedText, highlighted);
    dark.setColor(QPalette::Link, QColor(96, 160, 255));
    auto between = [&](const QColor &color) {
        return color.lightness() < text.lightness() && color.lightness() > base.lightness();
    };

    ItemRow task = taskRow(QStringLiteral("Pay rent"));
    task.subtitle = QStringLiteral("Club");
    task.dueDate = kNow.addDays(-1);
    task.startDate = kNow.addDays(2);
    auto layout = KNVTTaskTableCellView::layoutForTask(task, kWidth, kNow, false, dark);
    EXPECT_EQ(layout.backgroundColor, base);
    EXPECT_EQ(layout.title.color, text);
    EXPECT_TRUE(between(layout.subtitle.color)) << "the list's title is fainter than the task's";
    EXPECT_TRUE(between(layout.notes.color));
    EXPECT_GT(layout.dueDate.color.lightness(), QColor(Qt::red).lightness()) << "a red that reads on the dark band";
    EXPECT_EQ(layout.dueDate.color, layout.checkBoxTintColor);
    EXPECT_NE(layout.startDate.color, QColor::fromRgbF(0.7f, 0.75f, 0.85f, 1.0f));
    layout = KNVTTaskTableCellView::layoutForTask(task, kWidth, kNow, true, dark);
    EXPECT_EQ(layout.title.color, highlighted);
    EXPECT_EQ(layout.dueDate.color, highlighted);

    task.closed = task.completed = true;
    task.checkBoxState = KNVTCheckBoxStateTick;
    task.statusModifiedDate = kNow;
    layout = KNVTTaskTableCellView::layoutForTask(task, kWidth, kNow, false, dark);
    EXPECT_EQ(layout.backgroundColor, alternate);
    EXPECT_TRUE(between(layout.completedDate.color));

    ItemRow project;
    project.kind = ItemRowKind::Project;
    project.title = QStringLiteral("Garden");
    project.closed = project.completed = true;
    const auto projectLayout = KNVTProjectTableCellView::layoutForProject(project, kWidth, kNow, false, dark);
    EXPECT_EQ(projectLayout.title.color, text);
    EXPECT_EQ(projectLayout.backgroundColor, alternate);
    EXPECT_TRUE(between(projectLayout.subtitle.color));

    ItemRow area;
    area.kind = ItemRowKind::Area;
    area.title = QStringLiteral("Home");
    const auto areaLayout = KNVTAreaTableCellView::layoutForArea(area, kWidth, false, dark);
    EXPECT_EQ(areaLayout.title.color, text);
    EXPECT_EQ(areaLayout.backgroundColor, base);
}
