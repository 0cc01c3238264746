// Renders the main window and its lists into PNG files for review: `make screenshots` runs it with the output folder.
// Each window is shown offscreen over a library of its own in a temporary data folder. With KNVT_SCREENSHOT_AUDIT set
// (and no folder, into one that goes with the run) it also holds every window it renders to the accessibility and
// translation audit, and fails on a problem or on a step that went wrong.

#include "../AppDriver.h"

#include "app/KNVTHomeViewController.h"
#include "app/KNVTMainWindowController.h"
#include "app/KNVTTasksAppDelegate.h"

#include "lists/ItemRow.h"
#include "lists/ItemRowDelegate.h"
#include "lists/ItemsTableModel.h"
#include "lists/KNVTTaskStoreItemsOutlineView.h"
#include "lists/KNVTTaskStoreItemsOutlineViewController.h"
#include "lists/KNVTTaskStoreItemsTableView.h"
#include "lists/KNVTTaskStoreItemsTableViewController.h"

#include "store/KNVTTaskStore.h"

#include "support/AccessibleTreeAudit.h"
#include "support/ScreenshotPalette.h"
#include "support/SuiteDesktop.h"

#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDTaskListCollaborator.h"

#include "uikit/KNVTCheckBox.h"
#include "uikit/KNVTPreferenceKeys.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QTreeView>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

using knvt::features::AppDriver;

namespace {

QString g_folder;

void save(QWidget *widget, const QString &name, bool fit = true)
{
    if (fit)
        widget->adjustSize();
    knvt::test::auditScreenshot(name, widget);
    const QString path = QDir(g_folder).filePath(name + QStringLiteral(".png"));
    if (!widget->grab().save(path))
        std::fprintf(stderr, "could not write %s\n", qPrintable(path));
    else
        std::printf("%s\n", qPrintable(path));
}

void saveWindow(AppDriver &app, const QString &name)
{
    app.settle();
    KNVTMainWindowController &main = app.mainWindow();
    main.resize(1100, 640);
    app.settle();
    save(&main, name, false);
}

// The menu bar's menu whose title ends with `title`, as it opens on a click.
void saveBarMenu(AppDriver &app, const QString &title, const QString &name)
{
    QMenuBar *bar = app.mainWindow().menuBar();
    for (QAction *top : bar->actions())
        if (top->text().endsWith(title) && top->menu()) {
            QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(top).center());
            app.settle();
            save(top->menu(), name);
            app.closeMenus();
        }
}

QDateTime now()
{
    return AppDriver::defaultNow();
}

// The fixture's own titles and names, which the windows show as the user's data, not as texts of the program.
void registerFixtureTexts()
{
    for (const char *text : {"Ann", "Garden", "Home", "Club", "Choir", "Book club", "Old", "Boat", "Music", "Empty",
                             "errand", "unused", "weekly", "home", "לשלם שכר דירה!", "לפני יום שישי."})
        knvt::test::VisibleTextAudit::dataTexts().insert(QString::fromUtf8(text));
}

void fill(AppDriver &app)
{
    app.givenUser(QStringLiteral("Ann"));
    app.givenProject(QStringLiteral("Garden"));
    app.givenArea(QStringLiteral("Home"));
    app.givenSharedProject(QStringLiteral("Club"), {.members = {QStringLiteral("Ann")}});
    app.givenTask(QStringLiteral("Pay rent"), {.due = now().addDays(-1), .notes = QStringLiteral("Before Friday")});
    app.givenTask(QStringLiteral("Call the plumber"), {.start = now().addSecs(-3600)});
    app.givenTask(QStringLiteral("Buy stamps"));
    app.givenTask(QStringLiteral("Plan the trip"), {.start = now().addDays(4)});
    app.givenTask(QStringLiteral("Learn Italian"), {.status = 1});
    app.givenTask(QStringLiteral("Renew passport"), {.completed = true});
    app.givenTask(QStringLiteral("Rake leaves"), {.start = now().addSecs(-60), .list = QStringLiteral("Garden")});
    app.givenTask(QStringLiteral("Prune roses"), {.list = QStringLiteral("Garden")});
    app.givenTask(QStringLiteral("Fix the gate"), {.due = now().addDays(-2), .list = QStringLiteral("Home")});
    app.givenTask(QStringLiteral("Book the hall"),
                  {.start = now().addSecs(-60), .list = QStringLiteral("Club"), .assignee = QStringLiteral("Ann")});
    app.givenTask(QStringLiteral("Old receipt"), {.archived = true, .completed = true});
}

// The filled library, signed in, with the sync that signing in starts answered and over.
void launchSignedInAndSynced(AppDriver &app)
{
    fill(app);
    app.service().enableState();
    app.givenSignedIn(QStringLiteral("ann"), QStringLiteral("secret1"), true);
    app.launch();
    app.waitForService([&app] { return app.syncsEnded() > 0; });
}

// Every row kind in each state, as one list.
void rows()
{
    using knvt::ItemRow;
    using knvt::ItemRowKind;
    knvt::test::FakeClock clock(now());
    std::vector<ItemRow> rows;
    rows.push_back(ItemRow::header(QStringLiteral("Tasks")));
    auto task = [](const QString &title) {
        ItemRow row;
        row.kind = ItemRowKind::Task;
        row.title = title;
        row.avatarHidden = true;
        return row;
    };
    ItemRow open = task(QStringLiteral("Open task"));
    rows.push_back(open);
    ItemRow overdue = task(QStringLiteral("Overdue task"));
    overdue.dueDate = now().addDays(-1);
    overdue.subtitle = QStringLiteral("Garden");
    rows.push_back(overdue);
    ItemRow today = task(QStringLiteral("Today task"));
    today.today = true;
    today.dueDate = now().addDays(2);
    rows.push_back(today);
    // A title in a right-to-left script, with its notes, reads from the right.
    ItemRow hebrew = task(QStringLiteral("לשלם שכר דירה!"));
    hebrew.notes = QStringLiteral("לפני יום שישי.");
    hebrew.dueDate = now().addDays(1);
    rows.push_back(hebrew);
    ItemRow future = task(QStringLiteral("Starts later"));
    future.startDate = now().addDays(3);
    rows.push_back(future);
    ItemRow completed = task(QStringLiteral("Completed task"));
    completed.closed = completed.completed = true;
    completed.checkBoxState = KNVTCheckBoxStateTick;
    completed.statusModifiedDate = now().addDays(-1);
    rows.push_back(completed);
    ItemRow cancelled = task(QStringLiteral("Cancelled task"));
    cancelled.closed = true;
    cancelled.checkBoxState = KNVTCheckBoxStateCross;
    cancelled.statusModifiedDate = now();
    rows.push_back(cancelled);
    ItemRow theirs = task(QStringLiteral("Assigned to Ann"));
    theirs.avatarHidden = false;
    theirs.avatarInitials = QStringLiteral("A");
    theirs.avatarToolTip = QStringLiteral("Ann");
    rows.push_back(theirs);
    ItemRow nobody = task(QStringLiteral("Assigned to nobody"));
    nobody.avatarHidden = false;
    rows.push_back(nobody);
    ItemRow locked = task(QStringLiteral("In a list I may not edit"));
    locked.checkBoxEnabled = false;
    rows.push_back(locked);
    rows.push_back(ItemRow::header(QStringLiteral("Projects and areas")));
    ItemRow project;
    project.kind = ItemRowKind::Project;
    project.title = QStringLiteral("Open project");
    project.numberOfTasks = 3;
    project.numberOfUncompletedTasks = 2;
    project.dueDate = now().addDays(10);
    rows.push_back(project);
    ItemRow closedProject = project;
    closedProject.title = QStringLiteral("Completed project with archive button");
    closedProject.closed = closedProject.completed = true;
    closedProject.checkBoxState = KNVTCheckBoxStateTick;
    closedProject.statusModifiedDate = now();
    rows.push_back(closedProject);
    ItemRow laterProject = project;
    laterProject.title = QStringLiteral("Project starting later");
    laterProject.startDate = now().addDays(7);
    rows.push_back(laterProject);
    ItemRow area;
    area.kind = ItemRowKind::Area;
    area.title = QStringLiteral("Open area");
    area.numberOfUncompletedTasks = 1;
    rows.push_back(area);
    ItemRow archivedArea = area;
    archivedArea.title = QStringLiteral("Archived area");
    archivedArea.archived = true;
    archivedArea.statusModifiedDate = now().addDays(-5);
    rows.push_back(archivedArea);

    for (int height : {50, 90}) {
        knvt::ItemsTableModel model;
        model.setRows(rows);
        KNVTTaskStoreItemsTableView view;
        auto *delegate = new knvt::ItemRowDelegate(&view);
        delegate->setRowHeight(height);
        view.setItemDelegate(delegate);
        view.setModel(&model);
        view.resize(480, height == 50 ? 20 * 2 + 50 * 15 : 20 * 2 + 90 * 15);
        view.show();
        // Selected: an overdue task, a cancelled one, one whose box I may not use and a completed project.
        for (int row : {2, 6, 9, 12})
            view.selectionModel()->select(model.index(row), QItemSelectionModel::Select);
        QCoreApplication::processEvents();
        const QPixmap pixmap = view.grab();
        pixmap.save(QDir(g_folder).filePath(QStringLiteral("rows-%1.png").arg(height)));
        std::printf("%s\n", qPrintable(QDir(g_folder).filePath(QStringLiteral("rows-%1.png").arg(height))));
    }
}

// The outline lists in the main window: with sections and a selection, and empty; and the two drop indicators.
void outlineLists()
{
    AppDriver app;
    fill(app);
    app.givenProject(QStringLiteral("Old"), {.archived = true});
    app.givenTask(QStringLiteral("Post the letters"), {.tags = {"errand"}});
    app.givenTask(QStringLiteral("Pick up the suit"), {.start = now().addDays(2), .tags = {"errand"}});
    app.givenTask(QStringLiteral("Return the drill"), {.list = QStringLiteral("Garden"), .tags = {"errand"}});
    app.givenTask(QStringLiteral("Visit the market"), {.status = 1, .tags = {"errand"}});
    app.givenTask(QStringLiteral("Collect the keys"), {.completed = true, .tags = {"errand"}});
    app.givenTask(QStringLiteral("Invoice the club"),
                  {.list = QStringLiteral("Club"), .notes = QStringLiteral("March")});
    app.givenTask(QStringLiteral("Invoice draft"), {.status = 1});
    app.givenTask(QStringLiteral("Invoice paid"), {.list = QStringLiteral("Old"), .completed = true});
    app.givenTask(QStringLiteral("Quiet"), {.tags = {"unused"}})->markAsDeleted();
    app.givenProject(QStringLiteral("Boat"), {.status = 1});
    app.givenArea(QStringLiteral("Music"), {.status = 1});
    app.saveGivens();
    app.launch();

    app.selectHome(QStringLiteral("errand"));
    app.selectRows({QStringLiteral("Return the drill")});
    saveWindow(app, QStringLiteral("outline-tag-list"));
    auto *list = dynamic_cast<KNVTTaskStoreItemsOutlineViewController *>(app.centreItems());
    if (list) {
        const QModelIndex incomplete = list->outlineModel()->indexForSection(0);
        list->outlineView()->setDropIndicator(incomplete, 1);
        saveWindow(app, QStringLiteral("outline-drop-between-rows"));
        list->outlineView()->setDropIndicator(list->outlineModel()->indexForSection(2), -1);
        saveWindow(app, QStringLiteral("outline-drop-onto-section"));
        list->outlineView()->setDropIndicator(QModelIndex(), -1);
    }
    app.selectHome(QStringLiteral("unused"));
    saveWindow(app, QStringLiteral("outline-tag-list-empty"));

    app.typeInSearch(QStringLiteral("invoice"));
    app.selectRows({QStringLiteral("Invoice the club")});
    saveWindow(app, QStringLiteral("outline-search"));
    app.typeInSearch(QString());
    app.typeInSearch(QStringLiteral("qqq"));
    saveWindow(app, QStringLiteral("outline-search-no-results"));
    app.typeInSearch(QString());

    app.selectHome(QStringLiteral("Projects/Areas"));
    app.selectRows({QStringLiteral("Garden")});
    saveWindow(app, QStringLiteral("outline-projects-and-areas"));

    app.selectHome(QStringLiteral("Garden"));
    app.selectRows({QStringLiteral("Prune roses")});
    saveWindow(app, QStringLiteral("outline-project"));
    app.givenProject(QStringLiteral("Empty"));
    app.selectHome(QStringLiteral("Empty"));
    saveWindow(app, QStringLiteral("outline-project-empty"));
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir scratch;
    for (const char *name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"}) {
        const QString folder = scratch.filePath(QString::fromLatin1(name));
        QDir().mkpath(folder);
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        setenv(name, qPrintable(folder), 1);
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("TZ", "America/New_York", 1);
    // Drawn as the tests draw, so that what the audit finds clipped is so on every machine.
    knvt::test::useTheSuitesDesktop(QFile::encodeName(scratch.path()).toStdString());
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillvane"));
    knvt::test::useTheSuitesFont();
    // A locale given in LC_ALL is the user's (fr_CA, he_IL, ar_EG for review); otherwise en_US, the fixtures' own.
    if (qEnvironmentVariableIsEmpty("LC_ALL"))
        QLocale::setDefault(QLocale(QStringLiteral("en_US")));
    if (knvt::test::screenshotAuditRequested())
        knvt::test::VisibleTextAudit::installMarkingTranslator();
    knvt::test::applyScreenshotPalette();
    // An audit without a folder to write to is the test suite's: its pictures go into a folder that goes with the run.
    QTemporaryDir pictures;
    g_folder = argc > 1                          ? QString::fromLocal8Bit(argv[1])
        : knvt::test::screenshotAuditRequested() ? pictures.path()
                                                 : QStringLiteral("screenshots");
    QDir().mkpath(g_folder);
    registerFixtureTexts();

    {
        AppDriver app;
        app.launch();
        saveWindow(app, QStringLiteral("main-window-empty"));
    }
    {
        AppDriver app;
        fill(app);
        app.launch();
        saveWindow(app, QStringLiteral("main-window-inbox"));
        app.selectRows({QStringLiteral("Pay rent")});
        saveWindow(app, QStringLiteral("main-window-selected-row"));
        // The keyboard's row, drawn with the style's focus frame.
        app.press(QStringLiteral("Down"));
        saveWindow(app, QStringLiteral("main-window-keyboard-focus"));
        app.openContextMenu(QStringLiteral("Pay rent"));
        if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget()))
            save(menu, QStringLiteral("context-menu"));
        app.closeMenus();
        app.toolbarMoveMenu([](QMenu &move) { save(&move, QStringLiteral("move-menu")); });
        // The menu bar's Items menu for the selected task, as it opens.
        saveBarMenu(app, QStringLiteral("Items"), QStringLiteral("items-menu"));
        app.openHomeContextMenu(QStringLiteral("Garden"));
        if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget()))
            save(menu, QStringLiteral("home-context-menu"));
        app.closeMenus();
        app.selectHome(QStringLiteral("Today"));
        saveWindow(app, QStringLiteral("main-window-today"));
        app.selectHome(QStringLiteral("Archived"));
        saveWindow(app, QStringLiteral("main-window-archived"));
        save(app.mainWindow().homeViewController()->view(), QStringLiteral("home-list"));
    }
    {
        // Two projects waiting for my answer light up the notifications button; tagged tasks fill the Tags section.
        AppDriver app;
        fill(app);
        for (const QString &title : {QStringLiteral("Choir"), QStringLiteral("Book club")}) {
            KNVTCDTaskList *list = app.givenSharedProject(title, {.owner = QStringLiteral("Ann")});
            list->myTaskListCollaborator()->setStatus(1);
            list->setTaskListCollaboratorStatus(1);
        }
        app.givenTask(QStringLiteral("Water the ferns"), {.tags = {QStringLiteral("home"), QStringLiteral("weekly")}});
        app.launch();
        saveWindow(app, QStringLiteral("main-window-notifications-and-tags"));
        save(app.mainWindow().toolbar(), QStringLiteral("toolbar-notifications"), false);
    }
    {
        AppDriver app;
        app.givenDefault(QString::fromLatin1(KNVTTaskNotesNumberOfPreviewLines), 2);
        fill(app);
        app.launch();
        saveWindow(app, QStringLiteral("main-window-tall-rows"));
    }
    {
        // The password window was put away: the line says that sync is paused and where to sign in again.
        // The sync that signing in starts is answered and over before the password is refused, so that no request of
        // it is left to meet the service while the window is drawn.
        AppDriver app;
        launchSignedInAndSynced(app);
        app.store().setAuthenticationFailureDate(now());
        app.store().pauseSyncUntilSignedInAgain();
        app.settle();
        saveWindow(app, QStringLiteral("main-window-sync-paused"));
    }
    {
        // The password window a refused sync opened waits: the line under the home list names it with its button,
        // and the Window menu lists it with the key that goes to it.
        AppDriver app;
        launchSignedInAndSynced(app);
        const int ended = app.syncsEnded();
        app.service().on("GET", "/account.json").reply(401).pass();
        app.store().sync();
        app.waitForService([&app, ended] {
            return app.app().authenticationFailureWindowController() != nullptr && app.syncsEnded() > ended;
        });
        saveWindow(app, QStringLiteral("main-window-password-waiting"));
        save(app.mainWindow().homeViewController()->view(), QStringLiteral("home-list-password-waiting"));
        saveBarMenu(app, QStringLiteral("Window"), QStringLiteral("window-menu-password-waiting"));
        // A form a sync took away as the user typed: the line says where the typing went.
        app.selectRows({QStringLiteral("Buy stamps")});
        app.press(QStringLiteral("Return"));
        app.typeIn(QStringLiteral("titleTextField"), QStringLiteral(" and envelopes"));
        app.answerAlert(QStringLiteral("OK"),
                        {.whileShown =
                             [&app] {
                                 save(app.mainWindow().homeViewController()->view(),
                                      QStringLiteral("home-list-typing-went-to-alert"));
                             },
                         .input = knvt::ScriptedAlertPresenter::Input::Pointer});
        app.givenRemovedBySync(app.taskTitled(QStringLiteral("Buy stamps")));
        app.waitForService([&app] { return app.alerts().pendingAnswerCount() == 0; });
    }
    outlineLists();
    rows();
    // A step of the driver that went wrong (a row or entry not found) is recorded by the test framework.
    const bool stepFailed = ::testing::UnitTest::GetInstance()->ad_hoc_test_result().Failed();
    if (stepFailed)
        std::fprintf(stderr, "a step of the screenshots went wrong\n");
    return knvt::test::screenshotAuditProblems() > 0 || stepFailed ? 1 : 0;
}
