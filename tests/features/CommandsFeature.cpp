// The commands of the windows as the user reaches them: each key a menu shows does what the entry does, the commands
// act on the pane with the keyboard focus, every sheet has a way in, a new task starts where the user is looking, the
// editor opens next to its row, and the main window comes back however it was put away.

#include "AppDriver.h"

#include "app/KNVTMainWindowController.h"
#include "app/KNVTTasksAppDelegate.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTag.h"
#include "model/KNVTCDTask.h"

#include "uikit/KNVTPreferenceKeys.h"
#include "uikit/Popover.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QScreen>
#include <QSet>
#include <QToolButton>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

using knvt::features::AppDriver;

namespace {

QString suppressionKey()
{
    return QString::fromLatin1(KNVTApplicationWillDeleteTasksAlertSuppressionKey);
}

class CommandsFeature : public ::testing::Test
{
protected:
    AppDriver app;
    QDateTime now() const { return AppDriver::defaultNow(); }

    knvt::Popover *shownPopover()
    {
        for (QWidget *widget : QApplication::topLevelWidgets())
            if (auto *popover = qobject_cast<knvt::Popover *>(widget); popover && popover->isShown())
                return popover;
        return nullptr;
    }
};

// ---- Every key a context menu shows does what its entry does ----

// An entry of a menu that shows a key: the path that chooses it ("Mark", "As Completed") and the key.
struct KeyedEntry
{
    QStringList path;
    QString key;
};

std::vector<KeyedEntry> keyedEntries(const QStringList &lines)
{
    std::vector<KeyedEntry> entries;
    QStringList parents;
    for (const QString &line : lines) {
        const qsizetype depth = (line.size() - line.trimmed().size()) / 2;
        const QString text = line.trimmed();
        parents.resize(depth);
        QString title = text.section(QLatin1Char('\t'), 0, 0);
        const QString rest = text.section(QLatin1Char('\t'), 1);
        title.remove(QStringLiteral(" (off)"));
        if (!rest.isEmpty()) {
            QString key = rest;
            key.remove(QStringLiteral(" (off)"));
            entries.push_back({parents + QStringList{title}, key});
        }
        parents << title;
    }
    return entries;
}

// What the user can see change after a command: every focus list's rows, the home list, the windows and sheets opened,
// the questions asked, the beeps.
QStringList world(AppDriver &app)
{
    QStringList lines = app.windowsOpened();
    lines << app.alertsShown() << QStringLiteral("beeps %1").arg(app.beeps());
    app.closeMenus();
    for (QWidget *modal = QApplication::activeModalWidget(); modal; modal = QApplication::activeModalWidget())
        modal->close();
    lines << app.homeRows();
    for (const char *focus : {"Inbox", "Today", "Next", "Scheduled", "Someday", "Archived"}) {
        app.selectHome(QString::fromLatin1(focus));
        lines << QStringLiteral("== %1").arg(QString::fromLatin1(focus)) << app.centreRows();
    }
    return lines;
}

struct Situation
{
    const char *name;
    // Situations of one kind share their entries: an entry is checked once per kind.
    const char *kind;
    std::function<void(AppDriver &)> given;
    // The home entry chosen, then the row whose menu opens; no row: the home entry's own menu.
    QString home;
    QString row;
};

// For each entry with a key in the situation's context menu: the world after choosing the entry equals the world after
// pressing the key, each on a fresh start. `checked` holds the entries of the kind checked already.
void checkEveryKeyOfTheMenu(const Situation &situation, QSet<QString> &checked)
{
    auto start = [&situation](std::optional<AppDriver> &app) {
        app.emplace();
        situation.given(*app);
        // Whatever a command asks, it is answered with its first button.
        for (int i = 0; i < 3; ++i)
            app->alerts().answerWithIndex(0);
        app->selectHome(situation.home);
        if (!situation.row.isEmpty())
            app->selectRows({situation.row});
    };
    auto openMenu = [&situation](AppDriver &app) {
        if (situation.row.isEmpty())
            app.openHomeContextMenu(situation.home);
        else
            app.openContextMenu(situation.row);
    };

    std::optional<AppDriver> probe;
    start(probe);
    openMenu(*probe);
    const std::vector<KeyedEntry> entries = keyedEntries(probe->contextMenu());
    probe.reset();
    ASSERT_FALSE(entries.empty()) << situation.name;

    for (const KeyedEntry &entry : entries) {
        const QString name =
            QStringLiteral("%1: %2 %3")
                .arg(QString::fromLatin1(situation.kind), entry.path.join(QLatin1Char('>')), entry.key);
        if (checked.contains(name))
            continue;
        checked.insert(name);
        std::optional<AppDriver> app;
        start(app);
        openMenu(*app);
        if (entry.path.size() == 1)
            app->choose({entry.path[0]});
        else
            app->choose({entry.path[0], entry.path[1]});
        const QStringList chosen = world(*app);
        app.reset();

        start(app);
        app->press(entry.key);
        app->settle();
        const QStringList pressed = world(*app);
        app.reset();
        EXPECT_EQ(pressed, chosen) << situation.name << ": " << entry.path.join(QStringLiteral(" > ")).toStdString()
                                   << " shows " << entry.key.toStdString();
    }
}

} // namespace

TEST(ContextMenuKeysFeature, EveryKeyTheCentreListsMenuShowsDoesWhatItsEntryDoes)
{
    const Situation situations[] = {
        {"an open Inbox task", "task",
         [](AppDriver &app) {
             app.givenTask(QStringLiteral("Pay rent"));
             app.givenTask(QStringLiteral("Call Ann"));
             app.givenProject(QStringLiteral("Garden"));
         },
         QStringLiteral("Inbox"), QStringLiteral("Pay rent")},
        {"a completed task", "task",
         [](AppDriver &app) { app.givenTask(QStringLiteral("Paid rent"), {.completed = true}); },
         QStringLiteral("Inbox"), QStringLiteral("Paid rent")},
        {"a task of Today", "task",
         [](AppDriver &app) {
             app.givenTask(QStringLiteral("Call Ann"), {.start = AppDriver::defaultNow().addSecs(-60)});
         },
         QStringLiteral("Today"), QStringLiteral("Call Ann")},
        {"a task of Someday", "task",
         [](AppDriver &app) { app.givenTask(QStringLiteral("Learn Greek"), {.status = 1}); }, QStringLiteral("Someday"),
         QStringLiteral("Learn Greek")},
        {"a project of Someday", "project",
         [](AppDriver &app) {
             app.givenProject(QStringLiteral("Shelf"), {.status = 1});
             app.givenTask(QStringLiteral("saw"), {.list = QStringLiteral("Shelf")});
         },
         QStringLiteral("Someday"), QStringLiteral("Shelf")},
    };
    QSet<QString> checked;
    for (const Situation &situation : situations)
        checkEveryKeyOfTheMenu(situation, checked);
}

TEST(ContextMenuKeysFeature, EveryKeyTheHomeListsMenuShowsDoesWhatItsEntryDoes)
{
    const Situation situations[] = {
        {"a project I share", "home project",
         [](AppDriver &app) {
             app.givenUser(QStringLiteral("Ann"));
             app.givenSharedProject(QStringLiteral("Garden"), {.members = {QStringLiteral("Ann")}});
             app.givenTask(QStringLiteral("rake"), {.list = QStringLiteral("Garden")});
         },
         QStringLiteral("Garden"), QString()},
        {"my tag", "home tag",
         [](AppDriver &app) {
             app.givenTask(QStringLiteral("Water the ferns"), {.tags = {QStringLiteral("home")}});
             KNVTCDTag *tag = app.store().tagForTitle(QStringLiteral("home"));
             tag->setCreator(tag->myUser());
             app.saveGivens();
         },
         QStringLiteral("home"), QString()},
    };
    QSet<QString> checked;
    for (const Situation &situation : situations)
        checkEveryKeyOfTheMenu(situation, checked);
}

// ---- Commands follow the focused pane ----

TEST_F(CommandsFeature, DeleteWithTheHomeListFocusedAsksAboutTheProjectAndNeverTouchesTheCentresTasks)
{
    // Tasks are deleted without a question: a key meant for the project would take them at once.
    app.givenDefault(suppressionKey(), true);
    app.givenProject(QStringLiteral("Garden"));
    app.givenTask(QStringLiteral("rake"), {.list = QStringLiteral("Garden")});
    app.selectHome(QStringLiteral("Garden"));
    app.selectRows({QStringLiteral("rake")});
    app.clickIntoHomeList();
    ASSERT_EQ(app.focusedPane(), QStringLiteral("home"));

    EXPECT_TRUE(app.menuItem(QStringLiteral("Edit"), QStringLiteral("Delete")).enabled) << "the project may go";
    app.answerAlert(QStringLiteral("Cancel"));
    app.press(QStringLiteral("Ctrl+Backspace"));
    app.answerAlert(QStringLiteral("Cancel"));
    app.press(QStringLiteral("Ctrl+Del"));
    app.settle();
    EXPECT_EQ(app.alertsShown(),
              (QStringList{"Delete Project / This action cannot be undone. [Delete, Cancel]",
                           "Delete Project / This action cannot be undone. [Delete, Cancel]"}));
    EXPECT_NE(app.taskTitled(QStringLiteral("rake")), nullptr);
    EXPECT_TRUE(app.homeRows().contains(QStringLiteral("  Garden")));

    // The project goes, with its task, when the question is answered Delete.
    app.answerAlert(QStringLiteral("Delete"));
    app.press(QStringLiteral("Ctrl+Backspace"));
    app.settle();
    EXPECT_FALSE(app.homeRows().contains(QStringLiteral("  Garden")));
}

TEST_F(CommandsFeature, TheDeleteKeyAloneDeletesTheFocusedListsSelectionWithTheSameQuestionAndTypesInTheSearchField)
{
    app.givenProject(QStringLiteral("Garden"));
    app.givenTask(QStringLiteral("Pay rent"));
    app.givenTask(QStringLiteral("Buy stamps"));
    app.selectRows({QStringLiteral("Pay rent")});
    app.answerAlert(QStringLiteral("Cancel"));
    app.press(QStringLiteral("Ctrl+Backspace"));
    app.answerAlert(QStringLiteral("Delete"));
    app.press(QStringLiteral("Del"));
    app.settle();
    ASSERT_EQ(app.alertsShown().size(), 2);
    EXPECT_EQ(app.alertsShown()[1], app.alertsShown()[0]) << "the same question as Ctrl+Backspace";
    EXPECT_EQ(app.taskTitled(QStringLiteral("Pay rent")), nullptr);
    EXPECT_NE(app.taskTitled(QStringLiteral("Buy stamps")), nullptr);

    // In the home list, the project.
    app.selectHome(QStringLiteral("Garden"));
    app.clickIntoHomeList();
    app.answerAlert(QStringLiteral("Cancel"));
    app.press(QStringLiteral("Del"));
    EXPECT_EQ(app.alertsShown().last(),
              QStringLiteral("Delete Project / This action cannot be undone. [Delete, Cancel]"));

    // In the search field the key deletes a letter, nothing else.
    app.typeInSearch(QStringLiteral("stampsx"));
    app.press(QStringLiteral("Left"));
    app.press(QStringLiteral("Del"));
    EXPECT_EQ(app.mainWindow().searchField()->text(), QStringLiteral("stamps"));
    EXPECT_EQ(app.alertsShown().size(), 3);
    EXPECT_NE(app.taskTitled(QStringLiteral("Buy stamps")), nullptr);
}

TEST_F(CommandsFeature, WithAFocusListFocusedTheMenuBarOffersNothingToDeleteAndTheKeysLeaveTheCentreAlone)
{
    app.givenDefault(suppressionKey(), true);
    app.givenTask(QStringLiteral("Pay rent"));
    app.selectRows({QStringLiteral("Pay rent")});
    EXPECT_TRUE(app.menuItem(QStringLiteral("Edit"), QStringLiteral("Delete")).enabled) << "the list has the focus";
    EXPECT_TRUE(app.menuItem(QStringLiteral("Items"), QStringLiteral("Move To Today")).enabled);

    app.clickIntoHomeList();
    EXPECT_FALSE(app.menuItem(QStringLiteral("Edit"), QStringLiteral("Delete")).enabled);
    EXPECT_FALSE(app.menuItem(QStringLiteral("Edit"), QStringLiteral("Duplicate")).enabled);
    EXPECT_FALSE(app.menuItem(QStringLiteral("Items"), QStringLiteral("Move To Today")).enabled);
    EXPECT_FALSE(app.toolbarEnabled(QStringLiteral("Delete")));
    for (const char *keys : {"Ctrl+Backspace", "Ctrl+Del", "Del", "Ctrl+T", "Ctrl+D", "Ctrl+."})
        app.press(QString::fromLatin1(keys));
    app.settle();
    EXPECT_EQ(app.centreRows(), (QStringList{"# Incomplete", "[ ] Pay rent"}));
    EXPECT_FALSE(app.store().managedObjectContext()->hasChanges());

    // Back in the list, the same key deletes the task (without asking: the question was turned off).
    app.selectRows({QStringLiteral("Pay rent")});
    app.press(QStringLiteral("Ctrl+Backspace"));
    app.settle();
    EXPECT_TRUE(app.centreRows().isEmpty());
    EXPECT_TRUE(app.alertsShown().isEmpty());
}

// ---- Every sheet has a way in ----

TEST_F(CommandsFeature, ANewTagComesFromTheFileMenuAndFromTheHomeListsAddButton)
{
    app.launch();
    app.chooseMenu(QStringLiteral("File"), QStringLiteral("New Tag"));
    EXPECT_TRUE(app.openEditors().join('\n').contains(QStringLiteral("KNVTTagNewWindowController")))
        << app.openEditors().join('\n').toStdString();
    app.typeIn(QStringLiteral("titleTextField"), QStringLiteral("errand"));
    app.clickButton(QStringLiteral("saveButton"));
    app.wait(0);
    EXPECT_TRUE(app.homeRows().contains(QStringLiteral("  errand"))) << app.homeRows().join('|').toStdString();

    app.chooseFromAddButton(QStringLiteral("New Tag"));
    app.typeIn(QStringLiteral("titleTextField"), QStringLiteral("home"));
    app.clickButton(QStringLiteral("saveButton"));
    app.wait(0);
    EXPECT_TRUE(app.homeRows().contains(QStringLiteral("  home")));
}

TEST_F(CommandsFeature, AssigningTasksOfTwoProjectsOpensTheDelegateTasksSheet)
{
    app.givenProject(QStringLiteral("Garden"));
    app.givenProject(QStringLiteral("Attic"));
    app.givenTask(QStringLiteral("Mow lawn"), {.list = QStringLiteral("Garden")});
    app.givenTask(QStringLiteral("Sort boxes"), {.list = QStringLiteral("Attic")});
    app.selectHome(QStringLiteral("Next"));
    app.selectRows({QStringLiteral("Mow lawn"), QStringLiteral("Sort boxes")});
    ASSERT_TRUE(app.toolbarEnabled(QStringLiteral("Assign")));
    app.clickToolbar(QStringLiteral("Assign"));
    EXPECT_TRUE(
        app.openEditors().join('\n').contains(QStringLiteral("KNVTTasksAssignWindowController 'Delegate Tasks'")))
        << app.openEditors().join('\n').toStdString();
    EXPECT_TRUE(app.windowsOpened().last().startsWith(QStringLiteral("KNVTTasksAssignWindowController: ")));

    // One task alone keeps the popover.
    app.dismissSheet();
    app.selectRows({QStringLiteral("Mow lawn")});
    app.clickToolbar(QStringLiteral("Assign"));
    EXPECT_NE(shownPopover(), nullptr);
    EXPECT_EQ(app.windowsOpened().count(QStringLiteral("KNVTTasksAssignWindowController: Mow lawn, Sort boxes"))
                  + app.windowsOpened().count(QStringLiteral("KNVTTasksAssignWindowController: Sort boxes, Mow lawn")),
              1);
}

// ---- A new task starts where the user is looking ----

TEST_F(CommandsFeature, ANewTaskStartsWithTheChosenTagsAndInTheProjectOpenedOverTheList)
{
    app.givenTask(QStringLiteral("Water the ferns"), {.tags = {QStringLiteral("errand"), QStringLiteral("home")}});
    app.selectHomeEntries({QStringLiteral("errand"), QStringLiteral("home")});
    app.clickToolbar(QStringLiteral("New Task"));
    ASSERT_FALSE(app.windowsOpened().isEmpty());
    EXPECT_EQ(app.windowsOpened().last(), QStringLiteral("KNVTTaskNewViewController: Status: 2; Tags: errand, home"));
    app.closePopover();

    // A project of Someday opened from Projects/Areas is what the centre shows: the new task goes there.
    app.givenProject(QStringLiteral("Shelf"), {.status = 1});
    app.selectHome(QStringLiteral("Projects/Areas"));
    app.doubleClickRow(QStringLiteral("Shelf"));
    app.clickToolbar(QStringLiteral("New Task"));
    EXPECT_EQ(app.windowsOpened().last(), QStringLiteral("KNVTTaskNewViewController: Status: 2; Task List: Shelf"));
}

// ---- Return edits beside the row ----

TEST_F(CommandsFeature, ReturnOpensTheEditorBesideTheSelectedRowWhollyOnTheScreen)
{
    for (int i = 0; i < 30; ++i)
        app.givenTask(QStringLiteral("Task %1").arg(i, 2, 10, QLatin1Char('0')));
    app.launch();
    QAbstractItemView *list = app.centreView();
    ASSERT_NE(list, nullptr);
    const QRect available = app.mainWindow().screen()->availableGeometry();

    for (const QString &title : {QStringLiteral("Task 00"), QStringLiteral("Task 29")}) {
        app.selectRows({title});
        app.press(QStringLiteral("Return"));
        knvt::Popover *popover = shownPopover();
        ASSERT_NE(popover, nullptr) << title.toStdString();
        EXPECT_EQ(popover->anchor(), list->viewport()) << "at the row, not at the toolbar";
        EXPECT_TRUE(available.contains(popover->frameGeometry())) << title.toStdString();
        app.closePopover();
    }

    // The selected row scrolled out of sight: the editor stands at the toolbar's Edit button.
    app.selectRows({QStringLiteral("Task 29")});
    list->scrollToTop();
    app.settle();
    app.press(QStringLiteral("Return"));
    knvt::Popover *popover = shownPopover();
    ASSERT_NE(popover, nullptr);
    EXPECT_EQ(popover->anchor(), app.mainWindow().toolbarButton(QStringLiteral("editButton")));
    EXPECT_TRUE(available.contains(popover->frameGeometry()));
}

// ---- The main window comes back ----

TEST_F(CommandsFeature, ReopeningBringsBackAMinimisedMainWindowAndOneClosedWhileATaskWindowStaysOpen)
{
    app.givenTask(QStringLiteral("Pay rent"));
    KNVTMainWindowController *main = &app.mainWindow();
    app.minimiseMainWindow();
    ASSERT_TRUE(main->isMinimized());
    app.activateTray();
    EXPECT_FALSE(main->isMinimized());
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(&app.mainWindow(), main) << "the same window, not a new one";

    app.selectRows({QStringLiteral("Pay rent")});
    app.press(QStringLiteral("Ctrl+O"));
    app.closeMainWindow();
    ASSERT_EQ(app.openWindows(), QStringList{"KNVTTaskWindowController"});
    app.activateTray();
    EXPECT_EQ(app.openWindows(), (QStringList{"KNVTTaskWindowController", "mainWindow"}));
    EXPECT_EQ(&app.mainWindow(), main);
    EXPECT_EQ(QApplication::activeWindow(), main) << "in front of the task window";
}

// ---- The keyboard stays with what the user acts on ----

TEST_F(CommandsFeature, ATaskMadeWithCtrlNFromTheHomeListTakesTheKeyboardSoThatDeleteActsOnIt)
{
    app.givenTask(QStringLiteral("Pay rent"));
    app.selectHome(QStringLiteral("Inbox"));
    ASSERT_EQ(app.focusedPane(), QStringLiteral("home"));
    app.press(QStringLiteral("Ctrl+N"));
    app.typeWhereTheFocusIs(QStringLiteral("Buy stamps"));
    app.pressReturn();
    app.wait(1);
    EXPECT_EQ(app.focusedPane(), QStringLiteral("list"));
    EXPECT_EQ(app.selectedRowTitles(), QStringList{"Buy stamps"});

    app.answerAlert(QStringLiteral("Delete"));
    app.pressWhereTheFocusIs(QStringLiteral("Del"));
    EXPECT_EQ(app.taskTitled(QStringLiteral("Buy stamps")), nullptr);
    EXPECT_NE(app.taskTitled(QStringLiteral("Pay rent")), nullptr);
}

TEST_F(CommandsFeature, CtrlASelectsEveryRowAndLeavesTheKeyboardsRowAndTheViewWhereTheyWere)
{
    for (int i = 1; i <= 30; ++i)
        app.givenTask(QStringLiteral("Task %1").arg(i, 2, 10, QLatin1Char('0')));
    app.selectRows({QStringLiteral("Task 01")});
    app.press(QStringLiteral("End"));
    const QStringList last = app.selectedRowTitles();
    ASSERT_EQ(last.size(), 1);
    const int scrolled = app.centreScrollPosition();
    ASSERT_GT(scrolled, 0) << "the list is longer than the window";

    app.press(QStringLiteral("Ctrl+A"));
    EXPECT_EQ(app.selectedRowTitles().size(), 30);
    EXPECT_EQ(app.centreScrollPosition(), scrolled);
    const QModelIndex current = app.centreView()->currentIndex();
    EXPECT_EQ(current.data(Qt::DisplayRole).toString(), last.first());
}
