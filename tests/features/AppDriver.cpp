#include "AppDriver.h"

#include "app/HomeModel.h"
#include "app/KNVTHomeActivityView.h"
#include "app/KNVTHomeOutlineView.h"
#include "app/KNVTHomeViewController.h"
#include "app/KNVTMainWindowController.h"
#include "app/KNVTNoTaskViewController.h"
#include "app/KNVTTasksAppDelegate.h"

#include "lists/ItemRow.h"
#include "lists/KNVTTaskStoreItemsOutlineViewController.h"
#include "lists/KNVTTaskStoreItemsTableView.h"
#include "lists/KNVTTaskStoreItemsTableViewController.h"
#include "lists/KNVTTaskTableCellView.h"

#include "store/KNVTTaskStore.h"
#include "store/KNVTTaskStoreSyncCoordinating.h"

#include "service/KNVTRequest.h"
#include "service/RequestPool.h"

#include "model/KNVTCDTag.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDUser.h"

#include "objectstore/Context.h"

#include "foundation/Defaults.h"
#include "hotkeys/HotKeyBackendSelector.h"
#include "hotkeys/KNVTHotKey.h"
#include "hotkeys/KNVTHotKeyCenter.h"
#include "hotkeys/KNVTKeyboardShortcutManager.h"
#include "hotkeys/KNVTShortcutRecorderCell.h"
#include "hotkeys/KNVTShortcutRecorderControl.h"
#include "hotkeys/MacKeyCodes.h"
#include "hotkeys/ShortcutStrings.h"
#include "hotkeys/X11HotKeyBackend.h"
#include "hotkeys/X11KeyboardLayout.h"
#include "support/AccessibleRows.h"
#include "support/AccessibleTreeAudit.h"
#include "support/DoubleClick.h"
#include "support/FakeGlobalShortcutsPortal.h"
#include "support/FakeSystemEvents.h"
#include "support/FakeWallClockAlarm.h"
#include "support/ItemRowLines.h"
#include "support/MenuLines.h"
#include "support/NotificationRecorder.h"
#include "support/OtherXClient.h"
#include "support/RemovedElsewhere.h"
#include "support/WaitUntil.h"
#include "uikit/KNVTCheckBox.h"
#include "uikit/KNVTNavigationController.h"
#include "uikit/KNVTPreferenceKeys.h"
#include "uikit/KNVTSourceListTableCellView.h"
#include "uikit/Popover.h"
#include "uikit/WaitingWindowLine.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDBusConnection>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QItemSelection>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QWheelEvent>
#include <QWindow>

#include <gtest/gtest.h>

namespace knvt::features {

// ---- Recording doubles ----

namespace {

QString titles(const std::vector<KNVTCDTask *> &tasks)
{
    QStringList out;
    for (const KNVTCDTask *task : tasks)
        out << task->title();
    return out.join(QStringLiteral(", "));
}

QString title(const KNVTCDTaskList *list)
{
    return list ? list->title() : QString();
}

// What a new-task form was opened with: "Status: 2; Start Date: ...; Task List: Garden; Tags: home, errand".
QStringList describe(const NewTaskValues &values)
{
    QStringList lines;
    lines << QStringLiteral("Status: %1").arg(values.status);
    if (!values.title.isEmpty())
        lines << QStringLiteral("Title: %1").arg(values.title);
    if (values.startDate.isValid())
        lines << QStringLiteral("Start Date: %1").arg(values.startDate.toString(Qt::ISODate));
    if (values.dueDate.isValid())
        lines << QStringLiteral("Due Date: %1").arg(values.dueDate.toString(Qt::ISODate));
    if (values.taskList)
        lines << QStringLiteral("Task List: %1").arg(values.taskList->title());
    QStringList tags;
    for (const KNVTCDTag *tag : values.tags)
        tags << tag->title();
    if (!tags.isEmpty())
        lines << QStringLiteral("Tags: %1").arg(tags.join(QStringLiteral(", ")));
    return lines;
}

} // namespace

std::unique_ptr<TaskNewForm> RecordingWindowFactory::taskNewViewController(const NewTaskValues &values,
                                                                           Popover *popover)
{
    opened << QStringLiteral("KNVTTaskNewViewController: %1").arg(describe(values).join(QStringLiteral("; ")));
    return ApplicationWindowFactory::taskNewViewController(values, popover);
}

std::unique_ptr<TaskNewWindow> RecordingWindowFactory::taskNewWindowController(const NewTaskValues &values)
{
    opened << QStringLiteral("KNVTTaskNewWindowController: %1").arg(describe(values).join(QStringLiteral("; ")));
    return ApplicationWindowFactory::taskNewWindowController(values);
}

std::unique_ptr<TaskWindow> RecordingWindowFactory::taskWindowController(KNVTCDTask *task)
{
    opened << QStringLiteral("KNVTTaskWindowController: %1").arg(task ? task->title() : QString());
    return ApplicationWindowFactory::taskWindowController(task);
}

QDialog *RecordingWindowFactory::scheduleTasksWindowController(const std::vector<KNVTCDTask *> &tasks, QWidget *parent)
{
    opened << QStringLiteral("KNVTScheduleTasksWindowController: %1").arg(titles(tasks));
    return ApplicationWindowFactory::scheduleTasksWindowController(tasks, parent);
}

QDialog *RecordingWindowFactory::tasksAssignWindowController(const std::vector<KNVTCDTask *> &tasks, QWidget *parent)
{
    opened << QStringLiteral("KNVTTasksAssignWindowController: %1").arg(titles(tasks));
    return ApplicationWindowFactory::tasksAssignWindowController(tasks, parent);
}

QDialog *RecordingWindowFactory::projectNewWindowController(QWidget *parent)
{
    opened << QStringLiteral("KNVTProjectNewWindowController");
    return ApplicationWindowFactory::projectNewWindowController(parent);
}

QDialog *RecordingWindowFactory::areaNewWindowController(QWidget *parent)
{
    opened << QStringLiteral("KNVTAreaNewWindowController");
    return ApplicationWindowFactory::areaNewWindowController(parent);
}

QDialog *RecordingWindowFactory::projectWindowController(KNVTCDTaskList *project, QWidget *parent)
{
    opened << QStringLiteral("KNVTProjectWindowController: %1").arg(title(project));
    return ApplicationWindowFactory::projectWindowController(project, parent);
}

QDialog *RecordingWindowFactory::areaWindowController(KNVTCDTaskList *area, QWidget *parent)
{
    opened << QStringLiteral("KNVTAreaWindowController: %1").arg(title(area));
    return ApplicationWindowFactory::areaWindowController(area, parent);
}

QDialog *RecordingWindowFactory::projectEditWindowController(KNVTCDTaskList *project, QWidget *parent)
{
    opened << QStringLiteral("KNVTProjectEditWindowController: %1").arg(title(project));
    return ApplicationWindowFactory::projectEditWindowController(project, parent);
}

QDialog *RecordingWindowFactory::areaEditWindowController(KNVTCDTaskList *area, QWidget *parent)
{
    opened << QStringLiteral("KNVTAreaEditWindowController: %1").arg(title(area));
    return ApplicationWindowFactory::areaEditWindowController(area, parent);
}

QDialog *RecordingWindowFactory::tagEditWindowController(KNVTCDTag *tag, QWidget *parent)
{
    opened << QStringLiteral("KNVTTagEditWindowController: %1").arg(tag ? tag->title() : QString());
    return ApplicationWindowFactory::tagEditWindowController(tag, parent);
}

QDialog *RecordingWindowFactory::taskListSharingSettingsWindowController(KNVTCDTaskList *taskList, QWidget *parent)
{
    opened << QStringLiteral("KNVTTaskListSharingSettingsWindowController: %1").arg(title(taskList));
    return ApplicationWindowFactory::taskListSharingSettingsWindowController(taskList, parent);
}

QWidget *RecordingWindowFactory::taskEditViewController(KNVTCDTask *task, Popover *popover)
{
    opened << QStringLiteral("KNVTTaskEditViewController: %1").arg(task ? task->title() : QString());
    return ApplicationWindowFactory::taskEditViewController(task, popover);
}

QDialog *RecordingWindowFactory::taskEditWindowController(KNVTCDTask *task, QWidget *parent)
{
    opened << QStringLiteral("KNVTTaskEditWindowController: %1").arg(task ? task->title() : QString());
    return ApplicationWindowFactory::taskEditWindowController(task, parent);
}

std::unique_ptr<AuthenticationFailureWindow> RecordingWindowFactory::authenticationFailureWindowController()
{
    opened << QStringLiteral("KNVTAuthenticationFailureWindowController");
    return ApplicationWindowFactory::authenticationFailureWindowController();
}

// ---- The library ----

class AppDriverStore
{
public:
    AppDriverStore()
    {
        KNVTTaskStore::Environment environment;
        environment.libraryPath = KNVTTaskStore::taskStoreLibraryPath();
        environment.containerUserDefaults = &knvt::Defaults::suite(QString::fromLatin1(KNVTSharedDefaultsSuiteName));
        auto midnightAlarm = std::make_unique<knvt::FakeWallClockAlarm>();
        alarm = midnightAlarm.get();
        environment.systemInformationAlarm = std::move(midnightAlarm);
        environment.systemEvents = std::make_unique<knvt::FakeSystemEvents>();
        store = std::make_unique<KNVTTaskStore>(std::move(environment));
        KNVTTaskStore::setDefaultTaskStore(store.get());
        builder = std::make_unique<knvt::test::LibraryBuilder>(*store);
    }
    ~AppDriverStore()
    {
        builder.reset();
        if (KNVTTaskStore::defaultTaskStore() == store.get())
            KNVTTaskStore::setDefaultTaskStore(nullptr);
    }
    std::unique_ptr<KNVTTaskStore> store;
    std::unique_ptr<knvt::test::LibraryBuilder> builder;
    knvt::FakeWallClockAlarm *alarm = nullptr; // the store's
};

// ---- Driver ----

AppDriver::AppDriver() : m_clock(defaultNow())
{
    Popover::animationsEnabled = false;
    KNVTNavigationController::animationsEnabled = false;
    BadgeSink::setShared(&m_badge);
    WindowFactory::setShared(&m_windows);
    TrayIcon::setShared(&m_tray);
    m_fakeHotKeys = std::make_unique<knvt::test::FakeHotKeyBackend>();
    // Each start makes its own shortcut manager, which reads the stored combination afresh, as a new process would.
    KNVTTasksAppDelegate::setKeyboardShortcutManagerHook([this] {
        m_shortcutManager.reset();
        m_shortcutManager = std::make_unique<KNVTKeyboardShortcutManager>();
        KNVTKeyboardShortcutManager::setSharedManager(m_shortcutManager.get());
    });
    // Every driver starts on a fresh library and fresh preferences, also when several scenarios share a process.
    QDir(KNVTTaskStore::taskStoreLibraryPath()).removeRecursively();
    knvt::Defaults &defaults = knvt::Defaults::standard();
    for (const char *key : {KNVTTaskNotesNumberOfPreviewLines, KNVTApplicationWillDeleteTasksAlertSuppressionKey,
                            KNVTDockIconBadgeValueTypePreference, KNVTHomeSectionExpandedHomeSectionTypes,
                            KNVTQuickTaskEntryKeyboardShortcutHotKey})
        defaults.remove(QString::fromLatin1(key));
    defaults.synchronize();
    makeStore();
    m_syncEnds = std::make_unique<knvt::test::NotificationRecorder>(
        QStringList{QString::fromLatin1(KNVTTaskStoreDidFinishSyncingNotification)});
    QObject::connect(qApp, &QApplication::focusChanged, &m_focusWatch, [this](QWidget *, QWidget *now) {
        if (now && now->window()->isVisible() && now->window()->windowType() != Qt::Popup)
            m_keyboardWindow = now->window();
    });
}

AppDriver::~AppDriver()
{
    closeMenus();
    m_app.reset();
    m_shortcutManager.reset();
    KNVTTasksAppDelegate::setKeyboardShortcutManagerHook({});
    KNVTHotKeyCenter::sharedCenter().setBackend(nullptr);
    m_hotKeySelector.reset();
    m_desktop.reset();
    m_x11HotKeys.reset();
    m_fakeHotKeys.reset();
    KeyboardLayoutSource::setCurrent(nullptr);
    m_keyboard.reset();
    m_otherProgram.reset();
    m_store.reset();
    stopService();
    TrayIcon::setShared(nullptr);
    WindowFactory::setShared(nullptr);
    BadgeSink::setShared(nullptr);
    for (QWidget *widget : QApplication::topLevelWidgets())
        widget->deleteLater();
    QCoreApplication::processEvents();
}

QDateTime AppDriver::defaultNow()
{
    return QDateTime(QDate(2015, 3, 4), QTime(12, 0));
}

void AppDriver::stopService()
{
    if (!m_service)
        return;
    // The store's last requests end before the service goes.
    knvt::RequestPool::waitForDone(5000);
    for (const knvt::test::FakeSyncService::Request &request : m_service->unmatched())
        ADD_FAILURE() << "the service did not expect " << request.method.constData() << ' '
                      << request.target.constData();
    m_service->stop();
    m_service.reset();
    KNVTTaskStoreSyncCoordinating::setFactory({});
    KNVTTaskStore::setConfiguredLibraryOpenedHandler(nullptr);
    KNVTRequest::setDefaultTimeoutInterval(0);
    KNVTSetSyncServiceAPIURLString(QString());
}

void AppDriver::makeStore()
{
    m_store = std::make_unique<AppDriverStore>();
}

KNVTTaskStore &AppDriver::store()
{
    if (!m_store)
        makeStore();
    return *m_store->store;
}

KNVTCDTask *AppDriver::taskTitled(const QString &title)
{
    for (KNVTCDTask *task : store().tasks())
        if (task->title() == title && !task->isDeleted() && !task->deletedDate().isValid())
            return task;
    return nullptr;
}

knvt::test::LibraryBuilder &AppDriver::build()
{
    return *m_store->builder;
}

void AppDriver::saveGivens()
{
    EXPECT_TRUE(store().save());
    settle();
}

// ---- The ways a user reaches a place ----

namespace {

// One notch of the mouse wheel over the middle of `area`, down (`down`) or up; false when the view did not move.
bool turnWheel(QAbstractScrollArea *area, bool down)
{
    QWidget *viewport = area->viewport();
    const int before = area->verticalScrollBar()->value();
    const QPointF at = QRectF(viewport->rect()).center();
    QWheelEvent wheel(at, QPointF(viewport->mapToGlobal(at.toPoint())), QPoint(), QPoint(0, down ? -120 : 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(viewport, &wheel);
    return area->verticalScrollBar()->value() != before;
}

} // namespace

void AppDriver::wheelIntoView(QAbstractItemView *view, const QModelIndex &index)
{
    if (!view || !index.isValid())
        return;
    // The wheel turns one way: a row it would pass over and back is as far in view as it gets.
    std::optional<bool> turning;
    for (int notch = 0; notch < 1000; ++notch) {
        const QRect row = view->visualRect(index);
        const QRect shown = view->viewport()->rect();
        const bool down = row.top() >= shown.top();
        if (row.top() >= shown.top() && (row.bottom() <= shown.bottom() || row.top() < shown.center().y()))
            return;
        if ((turning && *turning != down) || !turnWheel(view, down))
            return;
        turning = down;
    }
}

void AppDriver::wheelTo(QAbstractScrollArea *area, int position)
{
    if (!area)
        return;
    const bool down = area->verticalScrollBar()->value() < position;
    for (int notch = 0; notch < 1000; ++notch) {
        const int value = area->verticalScrollBar()->value();
        if ((down && value >= position) || (!down && value <= position) || !turnWheel(area, down))
            return;
    }
}

void AppDriver::tabInto(QWidget *widget)
{
    ASSERT_TRUE(widget && widget->isVisible() && widget->isEnabled()) << "nothing to give the keyboard to";
    const auto hasKeyboard = [widget] {
        QWidget *focused = QApplication::focusWidget();
        return focused && (focused == widget || widget->isAncestorOf(focused));
    };
    // The keys go to the window the user looks at.
    if (!giveKeyboardTo(widget->window()))
        QApplication::setActiveWindow(widget->window());
    settle();
    QWidget *start = QApplication::focusWidget();
    for (int step = 0; step < 60 && !hasKeyboard(); ++step) {
        QWidget *focused = QApplication::focusWidget();
        if (!focused || focused->window() != widget->window())
            focused = widget->window()->focusWidget() ? widget->window()->focusWidget() : widget->window();
        QTest::keyClick(focused, Qt::Key_Tab);
        settle();
        if (step > 0 && QApplication::focusWidget() == start)
            break;
    }
    ASSERT_TRUE(hasKeyboard()) << "Tab does not reach " << widget->objectName().toStdString();
}

void AppDriver::clickWhereItShows(QWidget *widget, const QPoint &point)
{
    ASSERT_TRUE(widget && widget->isVisible()) << "nothing to click";
    QWidget *window = widget->window();
    // A window that just opened may not stand where it shows yet (its layout comes in a later pass, and later still on
    // a busy machine): the click waits for the point to be on the widget, as a person's eyes do. Something that covers
    // it still fails the step.
    QWidget *hit = nullptr;
    knvt::test::waitUntil([&] {
        hit = window->childAt(widget->mapTo(window, point));
        return hit == widget || widget->isAncestorOf(hit);
    });
    ASSERT_TRUE(hit == widget || widget->isAncestorOf(hit))
        << widget->objectName().toStdString()
        << " does not show where it is clicked: " << (hit ? hit->metaObject()->className() : "nothing") << " "
        << (hit ? hit->objectName().toStdString() : "");
    QTest::mouseClick(widget, Qt::LeftButton, {}, point);
}

void AppDriver::ensureLaunched()
{
    if (!m_launched)
        launch();
}

void AppDriver::launch()
{
    if (m_launched)
        return;
    m_launched = true;
    if (store().hasManagedObjectContext() && store().managedObjectContext()->hasChanges())
        store().save();
    m_app = std::make_unique<KNVTTasksAppDelegate>();
    if (!m_app->applicationDidFinishLaunching())
        return;
    // On X the application asks for the keyboard for its main window itself, once the window manager has mapped it: a
    // request from here, made before the mapping, is carried out by Qt at that mapping as the user's latest act, and
    // would take the keyboard from where a scenario went meanwhile, as no user's start does.
    KNVTMainWindowController *main = m_app->mainWindowController();
    if (main != nullptr && QGuiApplication::platformName() != QLatin1String("xcb")) {
        main->activateWindow();

        QApplication::processEvents();
    }
    settle();
}

void AppDriver::relaunch()
{
    endProcess();
    launch();
}

void AppDriver::endProcess()
{
    quit();
    m_store.reset();
    m_launched = false;
}

KNVTTasksAppDelegate &AppDriver::app()
{
    ensureLaunched();
    return *m_app;
}

KNVTMainWindowController &AppDriver::mainWindow()
{
    KNVTMainWindowController *main = app().mainWindowController();
    EXPECT_NE(main, nullptr) << "no main window";
    return *main;
}

KNVTTaskStoreItemsTableViewController *AppDriver::centreList()
{
    return dynamic_cast<KNVTTaskStoreItemsTableViewController *>(mainWindow().currentTasksViewController());
}

KNVTTaskStoreItemsViewController *AppDriver::centreItems()
{
    return mainWindow().currentTasksViewController();
}

QAbstractItemView *AppDriver::centreView()
{
    KNVTTaskStoreItemsViewController *list = centreItems();
    return list ? qobject_cast<QAbstractItemView *>(list->focusView()) : nullptr;
}

void AppDriver::settle()
{
    for (int i = 0; i < 6; ++i)
        QCoreApplication::processEvents();
}

void AppDriver::deleteWhatWasLetGo()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    settle();
}

int AppDriver::syncsEnded() const
{
    return int(m_syncEnds->notifications().size());
}

bool AppDriver::giveKeyboardTo(QWidget *window)
{
    if (!window)
        return false;
    window = window->window();
    // A menu or transient popover that is open holds the keyboard; asking for another window would close it.
    if (QApplication::activePopupWidget())
        return window == QApplication::activePopupWidget();
    const auto hasKeyboard = [window] {
        return window->isVisible() && QApplication::activeWindow() == window
            && QGuiApplication::focusWindow() == window->windowHandle();
    };
    QCoreApplication::processEvents();
    if (hasKeyboard())
        return true;
    window->activateWindow();
    QWidget *modal = QApplication::activeModalWidget();
    if (modal && modal != window) {
        QCoreApplication::processEvents();
        return false;
    }
    return knvt::test::waitUntil(hasKeyboard);
}

QWidget *AppDriver::frontEditor()
{
    knvt::Popover *deepest = nullptr;
    int deepestLevel = -1;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        auto *popover = qobject_cast<knvt::Popover *>(widget);
        if (!popover || !popover->isShown())
            continue;
        int level = 0;
        for (QWidget *owner = popover->parentWidget(); owner; owner = owner->parentWidget())
            ++level;
        if (level > deepestLevel) {
            deepest = popover;
            deepestLevel = level;
        }
    }
    if (deepest)
        return deepest;
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    // A menu that closed may leave the application without an active window, or with the hidden menu as one, until
    // the window system's events catch up: the window the user was in stays the front one.
    if (QWidget *active = QApplication::activeWindow();
        active && active->isVisible() && active->windowType() != Qt::Popup)
        return active;
    if (m_keyboardWindow && m_keyboardWindow->isVisible())
        return m_keyboardWindow;
    return &mainWindow();
}

QWidget *AppDriver::focusedWidget()
{
    settle();
    // The application's choice of the active window stands (a window it opens beside a form without the keyboard
    // leaves the keys in the form). Only when none shows, the keys go back to the window the user was in, as the
    // window manager gives them back when a menu closes.
    QWidget *active = QApplication::activeWindow();
    if (!QApplication::activePopupWidget() && (!active || !active->isVisible()))
        giveKeyboardTo(m_keyboardWindow && m_keyboardWindow->isVisible() ? m_keyboardWindow.data() : frontEditor());
    return QApplication::focusWidget();
}

// ---- given ----

KNVTCDUser *AppDriver::userNamed(const QString &name)
{
    for (KNVTCDUser *user : store().users())
        if (user->firstName() == name || user->username() == name.toLower())
            return user;
    return build().user(name);
}

KNVTCDTaskList *AppDriver::listNamed(const QString &title)
{
    for (auto lists : {store().projects(), store().areas()})
        for (KNVTCDTaskList *list : lists)
            if (list->title() == title && !list->isDeleted())
                return list;
    return nullptr;
}

KNVTCDTask *AppDriver::givenTask(const QString &title, const TaskGiven &given)
{
    knvt::test::TaskOptions options;
    options.due = given.due;
    options.start = given.start;
    options.list = given.list.isEmpty() ? nullptr : listNamed(given.list);
    options.status = given.status;
    options.notes = given.notes;
    options.archived = given.archived;
    options.assignee = given.assignee.isEmpty() ? nullptr : userNamed(given.assignee);
    options.unassigned = given.unassigned;
    options.synced = given.synced;
    options.orderIndex = given.orderIndex;
    KNVTCDTask *task = build().task(title, options);
    for (const QString &tagTitle : given.tags) {
        KNVTCDTag *tag = store().tagForTitle(tagTitle);
        task->addTag(tag ? tag : build().tag(tagTitle));
    }
    if (!given.repeats.isEmpty())
        task->setRecurrenceString(given.repeats);
    if (given.completed)
        task->markAsCompleted();
    saveGivens();
    return task;
}

void AppDriver::givenRemovedBySync(KNVTCDTaskStoreObject *object)
{
    knvt::test::removeElsewhere(store(), object);
    settle();
}

KNVTCDTaskList *AppDriver::givenProject(const QString &title, const ListGiven &given)
{
    knvt::test::ListOptions options;
    options.status = given.status;
    options.archived = given.archived;
    options.owner = given.owner.isEmpty() ? nullptr : userNamed(given.owner);
    options.myRole = given.myRole;
    for (const QString &member : given.members)
        options.members.push_back(userNamed(member));
    options.synced = given.synced;
    KNVTCDTaskList *list = build().project(title, options);
    saveGivens();
    return list;
}

KNVTCDTaskList *AppDriver::givenArea(const QString &title, const ListGiven &given)
{
    knvt::test::ListOptions options;
    options.status = given.status;
    options.archived = given.archived;
    options.owner = given.owner.isEmpty() ? nullptr : userNamed(given.owner);
    options.myRole = given.myRole;
    for (const QString &member : given.members)
        options.members.push_back(userNamed(member));
    options.synced = given.synced;
    KNVTCDTaskList *list = build().area(title, options);
    saveGivens();
    return list;
}

KNVTCDTaskList *AppDriver::givenSharedProject(const QString &title, const ListGiven &given)
{
    return givenProject(title, given);
}

KNVTCDUser *AppDriver::givenUser(const QString &name)
{
    KNVTCDUser *user = userNamed(name);
    saveGivens();
    return user;
}

void AppDriver::givenDefault(const QString &key, const QVariant &value)
{
    knvt::Defaults::standard().setValue(key, value);
    knvt::Defaults::standard().synchronize();
}

void AppDriver::givenNow(const QDateTime &now)
{
    m_clock.setNow(now);
}

void AppDriver::givenTheClockReaches(const QDateTime &time)
{
    ensureLaunched();
    settle();
    m_clock.setNow(time);
    // Each ring sets the alarm again, for a later date or for one already past that it then rings for at once.
    for (int rings = 0; m_store->alarm->isArmed() && m_store->alarm->fireDate() <= time; ++rings) {
        if (rings == 100) {
            ADD_FAILURE() << "the alarm still rings for a past date after 100 rings";
            return;
        }
        m_store->alarm->fire();
        settle();
    }
}

// ---- do ----

namespace {

// A text as the user sees it: nothing of the invisible characters a text may carry (the screenshot audit marks every
// translated text with one).
QString seenText(const QString &text)
{
    QString shown = text;
    shown.remove(QChar(0x2060));
    return shown;
}

// A menu item's text as the user sees it: "&&" as one "&", its mnemonic mark left out.
QString seen(const QString &text)
{
    return seenText(knvt::test::shownMenuText(text));
}

QAction *findAction(const QList<QAction *> &actions, const QString &text)
{
    for (QAction *action : actions)
        if (!action->isSeparator() && action->isVisible() && seen(action->text()) == text)
            return action;
    return nullptr;
}

} // namespace

void AppDriver::selectHome(const QString &name)
{
    clickHomeEntry(name);
}

QModelIndex AppDriver::findHomeIndex(const QString &name)
{
    knvt::HomeModel *model = mainWindow().homeViewController()->model();
    for (int s = 0; s < model->rowCount(); ++s) {
        const QModelIndex section = model->index(s, 0);
        for (int r = 0; r < model->rowCount(section); ++r) {
            const QModelIndex index = model->index(r, 0, section);
            if (seenText(index.data().toString()) == name)
                return index;
        }
    }
    return {};
}

QModelIndex AppDriver::homeIndex(const QString &name)
{
    const QModelIndex index = findHomeIndex(name);
    if (!index.isValid())
        ADD_FAILURE() << "no home entry " << name.toStdString();
    return index;
}

void AppDriver::selectHomeEntries(std::initializer_list<QString> names)
{
    bool first = true;
    for (const QString &name : names) {
        clickHomeEntry(name, first ? Qt::NoModifier : Qt::ControlModifier);
        first = false;
    }
}

void AppDriver::clickHomeEntry(const QString &name, Qt::KeyboardModifiers modifiers)
{
    QTreeView *view = mainWindow().homeViewController()->outlineView();
    const QModelIndex index = homeIndex(name);
    if (!index.isValid())
        return;
    wheelIntoView(view, index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, modifiers, view->visualRect(index).center());
    settle();
}

void AppDriver::doubleClickHomeEntry(const QString &name)
{
    QTreeView *view = mainWindow().homeViewController()->outlineView();
    const QModelIndex index = homeIndex(name);
    if (!index.isValid())
        return;
    wheelIntoView(view, index);
    const QPoint point = view->visualRect(index).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, point);
    QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, point);
    settle();
}

void AppDriver::clickHomeDisclosure(const QString &section)
{
    QTreeView *view = mainWindow().homeViewController()->outlineView();
    knvt::HomeModel *model = mainWindow().homeViewController()->model();
    for (int s = 0; s < model->rowCount(); ++s) {
        const QModelIndex index = model->index(s, 0);
        if (index.data().toString() != section)
            continue;
        // The control stands left of the header's text, in the indentation of its rows.
        const QRect rect = view->visualRect(index);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                          QPoint(rect.left() - view->indentation() / 2, rect.center().y()));
        settle();
        return;
    }
    ADD_FAILURE() << "no section " << section.toStdString();
}

QStringList AppDriver::selectedHomeEntries()
{
    QModelIndexList rows = mainWindow().homeViewController()->outlineView()->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end(), [](const QModelIndex &a, const QModelIndex &b) {
        return std::pair(a.parent().row(), a.row()) < std::pair(b.parent().row(), b.row());
    });
    QStringList names;
    for (const QModelIndex &index : rows)
        names << index.data().toString();
    return names;
}

int AppDriver::rowOfTitle(const QString &title, const QString &saying)
{
    KNVTTaskStoreItemsViewController *list = centreItems();
    if (!list)
        return -1;
    for (int row = 0; row < list->numberOfRows(); ++row) {
        const knvt::ItemRow *item = list->rowAt(row);
        if (!item->isHeader() && item->title == title && item->subtitleText().contains(saying))
            return row;
    }
    return -1;
}

QPoint AppDriver::pointInRow(const QString &title, const QString &saying)
{
    const int row = rowOfTitle(title, saying);
    EXPECT_GE(row, 0) << "no row " << title.toStdString();
    QAbstractItemView *view = centreView();
    if (row < 0 || !view)
        return {};
    const QModelIndex index = centreItems()->indexForRow(row);
    wheelIntoView(view, index);
    const QRect rect = view->visualRect(index);
    // Midway along the row: clear of the check box at the left and the buttons at the right.
    return QPoint(rect.left() + rect.width() / 2, rect.center().y());
}

void AppDriver::selectRows(std::initializer_list<QString> titles)
{
    QAbstractItemView *view = centreView();
    if (!view)
        return;
    if (titles.size() == 0) {
        tabInto(view);
        QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier);
        settle();
        return;
    }
    bool first = true;
    for (const QString &title : titles) {
        const QPoint point = pointInRow(title);
        if (point.isNull())
            continue;
        QTest::mouseClick(view->viewport(), Qt::LeftButton, first ? Qt::NoModifier : Qt::ControlModifier, point);
        first = false;
    }
    settle();
}

void AppDriver::selectRowSaying(const QString &title, const QString &words)
{
    QAbstractItemView *view = centreView();
    const QPoint point = pointInRow(title, words);
    if (!view || point.isNull())
        return;
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, point);
    settle();
}

void AppDriver::clickBelowTheRows()
{
    QAbstractItemView *view = centreView();
    ASSERT_NE(view, nullptr) << "no centre list";
    const QModelIndex last = centreItems()->indexForRow(centreItems()->numberOfRows() - 1);
    const int below = last.isValid() ? view->visualRect(last).bottom() + 8 : 8;
    ASSERT_LT(below, view->viewport()->height()) << "the rows fill the list";
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(view->viewport()->width() / 2, below));
    settle();
}

void AppDriver::clickIntoHomeList()
{
    const QString selected = selectedHome();
    ASSERT_FALSE(selected.isEmpty()) << "nothing chosen in the home list";
    clickHomeEntry(selected);
}

QPoint AppDriver::checkBoxPoint(const QString &title)
{
    const int row = rowOfTitle(title);
    EXPECT_GE(row, 0) << "no row " << title.toStdString();
    if (row < 0)
        return {};
    QAbstractItemView *view = centreView();
    const QModelIndex index = centreItems()->indexForRow(row);
    wheelIntoView(view, index);
    const QRect rect = view->visualRect(index);
    const knvt::ItemRow *item = centreItems()->rowAt(row);
    // The box stands at (4, 14) of a task row, after the start date in a project row.
    QPointF box(4 + 11, 14 + 11);
    if (item->kind == knvt::ItemRowKind::Project && item->startDate.isValid() && !item->closed)
        box.rx() += KNVTTaskTableCellView::widthForString(
            QLocale().toString(item->startDate.date(), QLocale::ShortFormat), knvt::rowFont(12));
    return rect.topLeft() + box.toPoint();
}

void AppDriver::clickCheckBox(const QString &title)
{
    const QPoint point = checkBoxPoint(title);
    if (point.isNull())
        return;
    QTest::mouseClick(centreView()->viewport(), Qt::LeftButton, {}, point);
    settle();
}

void AppDriver::doubleClickCheckBox(const QString &title)
{
    const QPoint point = checkBoxPoint(title);
    if (point.isNull())
        return;
    // What the first click set off is done before the second comes down, as between a person's two clicks.
    knvt::test::doubleClick(centreView()->viewport(), point, [this] {
        settle();
        return true;
    });
    settle();
}

bool AppDriver::selectedRowIsInView()
{
    QAbstractItemView *view = centreView();
    const QModelIndex current = view->currentIndex();
    const QRect row = view->visualRect(current);
    return current.isValid() && view->selectionModel()->isSelected(current)
        && view->viewport()->rect().intersected(row).height() >= row.height() - 2;
}

void AppDriver::press(const QString &keys)
{
    closeMenus();
    giveKeyboardTo(&mainWindow());
    pressAtOnce(keys);
}

void AppDriver::pressAtOnce(const QString &keys)
{
    KNVTMainWindowController &main = mainWindow();
    // Keys go where the focus was in the main window, also when another window had just been in front.
    QWidget *target = QApplication::focusWidget();
    if (!target || target->window() != &main)
        target = main.focusWidget() ? main.focusWidget() : &main;
    QTest::keySequence(target, QKeySequence(keys));
}

void AppDriver::typeInSearch(const QString &text)
{
    QLineEdit *field = mainWindow().searchField();
    // A click into the field gives it the keyboard; an empty text is typed by selecting all and deleting it.
    giveKeyboardTo(&mainWindow());
    QTest::mouseClick(field, Qt::LeftButton, {}, QPoint(field->width() / 3, field->height() / 2));
    if (text.isEmpty()) {
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_Backspace);
    } else {
        QTest::keyClicks(field, text);
    }
    settle();
}

void AppDriver::clickToolbar(const QString &name)
{
    for (QToolButton *button : mainWindow().toolbar()->findChildren<QToolButton *>()) {
        if (button->accessibleName() == name) {
            QTest::mouseClick(button, Qt::LeftButton);
            settle();
            return;
        }
    }
    ADD_FAILURE() << "no toolbar button " << name.toStdString();
}

void AppDriver::pressToolbarAsAReaderDoes(const QString &name)
{
    for (QToolButton *button : mainWindow().toolbar()->findChildren<QToolButton *>()) {
        if (button->accessibleName() != name)
            continue;
        QAccessibleInterface *read = QAccessible::queryAccessibleInterface(button);
        QAccessibleActionInterface *actions = read != nullptr ? read->actionInterface() : nullptr;
        ASSERT_NE(actions, nullptr) << name.toStdString() << " has no actions";
        actions->doAction(QAccessibleActionInterface::pressAction());
        settle();
        return;
    }
    ADD_FAILURE() << "no toolbar button " << name.toStdString();
}

void AppDriver::doubleClickToolbar(const QString &name)
{
    for (QToolButton *button : mainWindow().toolbar()->findChildren<QToolButton *>()) {
        if (button->accessibleName() == name) {
            knvt::test::doubleClick(button, button->rect().center(), [this] {
                settle();
                return true;
            });
            settle();
            return;
        }
    }
    ADD_FAILURE() << "no toolbar button " << name.toStdString();
}

void AppDriver::openContextMenu(const QString &title)
{
    openContextMenu({title});
}

namespace {

// A right click at `point` of `viewport`, and the context-menu event the window system sends with it. The menu the
// application pops up, if any.
QMenu *rightClick(QWidget *viewport, const QPoint &point)
{
    // A click into a window in the background brings it forward first, as the window manager does.
    viewport->window()->activateWindow();
    QCoreApplication::processEvents();
    QTest::mouseClick(viewport, Qt::RightButton, {}, point);
    QContextMenuEvent event(QContextMenuEvent::Mouse, point, viewport->mapToGlobal(point));
    QCoreApplication::sendEvent(viewport, &event);
    QCoreApplication::processEvents();
    return qobject_cast<QMenu *>(QApplication::activePopupWidget());
}

} // namespace

void AppDriver::openContextMenu(std::initializer_list<QString> titles)
{
    closeMenus();
    selectRows(titles);
    QAbstractItemView *view = centreView();
    ASSERT_NE(view, nullptr) << "no centre list";
    ASSERT_GT(titles.size(), 0u);
    giveKeyboardTo(view->window());
    m_menu = rightClick(view->viewport(), pointInRow(*titles.begin()));
}

void AppDriver::openHomeContextMenu(const QString &name)
{
    closeMenus();
    QTreeView *view = mainWindow().homeViewController()->outlineView();
    const QModelIndex index = homeIndex(name);
    if (!index.isValid())
        return;
    wheelIntoView(view, index);
    giveKeyboardTo(view->window());
    m_menu = rightClick(view->viewport(), view->visualRect(index).center());
}

void AppDriver::choose(std::initializer_list<QString> path)
{
    QMenu *menu = m_menu ? m_menu.data() : qobject_cast<QMenu *>(QApplication::activePopupWidget());
    ASSERT_TRUE(menu && menu->isVisible()) << "no menu open";
    qsizetype step = 0;
    for (const QString &title : path) {
        ++step;
        QAction *found = findAction(menu->actions(), title);
        if (!found) {
            closeMenus();
            FAIL() << "no entry " << title.toStdString();
        }
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(found).center());
        if (step < qsizetype(path.size())) {
            QMenu *sub = found->menu();
            if (!sub) {
                closeMenus();
                FAIL() << title.toStdString() << " has no submenu";
            }
            // A submenu opens a moment after its entry is pressed.
            EXPECT_TRUE(knvt::test::waitUntil([sub] { return sub->isVisible(); }))
                << title.toStdString() << " did not open";
            menu = sub;
        }
    }
    settle();
    closeMenus();
}

QMenu *AppDriver::openMenuBarMenu(const QString &title)
{
    closeMenus();
    KNVTMainWindowController &main = mainWindow();
    giveKeyboardTo(&main);
    QMenuBar *bar = main.menuBar();
    for (QAction *top : bar->actions()) {
        if (seen(top->text()) != title || !top->menu())
            continue;
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(top).center());
        QMenu *menu = top->menu();
        EXPECT_TRUE(knvt::test::waitUntil([menu] { return menu->isVisible(); })) << title.toStdString();
        return menu;
    }
    ADD_FAILURE() << "no menu " << title.toStdString();
    return nullptr;
}

void AppDriver::chooseMenu(const QString &menu, const QString &item)
{
    QMenu *opened = openMenuBarMenu(menu);
    if (!opened)
        return;
    m_menu = opened;
    if (findAction(opened->actions(), item)) {
        choose({item});
        return;
    }
    for (QAction *action : opened->actions())
        if (action->menu() && action->isVisible() && findAction(action->menu()->actions(), item)) {
            choose({seen(action->text()), item});
            return;
        }
    closeMenus();
    ADD_FAILURE() << "no item " << item.toStdString();
}

void AppDriver::closeMenus()
{
    // A click beside the menu closes it and every menu it came from, and leaves the keyboard where it was.
    for (int guard = 0; guard < 8; ++guard) {
        auto *popup = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!popup)
            break;
        QTest::mouseClick(popup, Qt::LeftButton, {}, QPoint(-4, -4));
        QCoreApplication::processEvents();
    }
    m_menu = nullptr;
}

void AppDriver::dismissSheet()
{
    QWidget *sheet = QApplication::activeModalWidget();
    ASSERT_NE(sheet, nullptr) << "no sheet open";
    QWidget *target = sheet->focusWidget() ? sheet->focusWidget() : sheet;
    QTest::keyClick(target, Qt::Key_Escape);
    settle();
}

void AppDriver::chooseFromAddButton(const QString &item)
{
    QPushButton *add = mainWindow().homeViewController()->addPopUpButton();
    ASSERT_NE(add, nullptr);
    bool chosen = false;
    // The button's menu runs a loop of its own while it is open: the entry is clicked from inside it.
    QTimer::singleShot(0, add, [this, item, &chosen] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return;
        m_menu = menu;
        if (findAction(menu->actions(), item)) {
            chosen = true;
            choose({item});
        }
        closeMenus();
    });
    QTest::mouseClick(add, Qt::LeftButton);
    settle();
    EXPECT_TRUE(chosen) << "no entry " << item.toStdString() << " in the add menu";
}

void AppDriver::chooseNewTaskFromTray()
{
    ensureLaunched();
    m_tray.chooseNewTask();
    settle();
}

void AppDriver::minimiseMainWindow()
{
    mainWindow().showMinimized();
    settle();
}

AppDriver::Drag AppDriver::dragRows(std::initializer_list<QString> titles)
{
    QModelIndexList indexes;
    for (const QString &title : titles)
        if (const int row = rowOfTitle(title); row >= 0)
            indexes << centreItems()->indexForRow(row);
    // What the view would put on a real drag: its model's data for the rows.
    QAbstractItemView *view = centreView();
    std::shared_ptr<QMimeData> mime(view ? view->model()->mimeData(indexes) : nullptr);
    return Drag{*this, mime};
}

AppDriver::Drag AppDriver::dragHomeEntries(std::initializer_list<QString> names)
{
    QModelIndexList indexes;
    for (const QString &name : names)
        if (const QModelIndex index = homeIndex(name); index.isValid())
            indexes << index;
    std::shared_ptr<QMimeData> mime(mainWindow().homeViewController()->model()->mimeData(indexes));
    return Drag{*this, mime};
}

bool AppDriver::Drag::onto(const QString &homeName)
{
    if (!mime)
        return false;
    KNVTHomeViewController *home = driver.mainWindow().homeViewController();
    knvt::HomeModel *model = home->model();
    // By the text the user sees: "Archived" is the entry, "ARCHIVED" its section's header.
    QModelIndex target;
    for (int s = 0; s < model->rowCount() && !target.isValid(); ++s) {
        const QModelIndex section = model->index(s, 0);
        if (section.data().toString() == homeName)
            target = section;
        for (int r = 0; r < model->rowCount(section) && !target.isValid(); ++r)
            if (model->index(r, 0, section).data().toString() == homeName)
                target = model->index(r, 0, section);
    }
    if (!target.isValid()) {
        ADD_FAILURE() << "no home entry " << homeName.toStdString();
        return false;
    }
    const bool taken = home->acceptDrop(*mime, target, -1, fromThisProcess);
    driver.settle();
    return taken;
}

bool AppDriver::Drag::intoHomeSection(const QString &section, int position)
{
    if (!mime)
        return false;
    KNVTHomeViewController *home = driver.mainWindow().homeViewController();
    knvt::HomeModel *model = home->model();
    for (int s = 0; s < model->rowCount(); ++s) {
        const QModelIndex header = model->index(s, 0);
        if (header.data().toString() != section)
            continue;
        const bool taken = home->acceptDrop(*mime, header, position, fromThisProcess);
        driver.settle();
        return taken;
    }
    ADD_FAILURE() << "no home section " << section.toStdString();
    return false;
}

bool AppDriver::Drag::ontoSection(const QString &section, int position)
{
    auto *list = dynamic_cast<KNVTTaskStoreItemsOutlineViewController *>(driver.centreItems());
    EXPECT_NE(list, nullptr) << "the centre list has no sections";
    if (!mime || !list)
        return false;
    const qsizetype number = list->sectionIdentifiers().indexOf(section);
    EXPECT_GE(number, 0) << "no section " << section.toStdString();
    const QModelIndex target = list->outlineModel()->indexForSection(int(number));
    const auto validation = list->validateDrop(*mime, target, position, fromThisProcess);
    const bool taken = validation.operation == Qt::MoveAction
        && list->acceptDrop(*mime, validation.item, validation.childIndex, fromThisProcess);
    driver.settle();
    return taken;
}

bool AppDriver::Drag::ontoRow(const QString &title)
{
    auto *list = dynamic_cast<KNVTTaskStoreItemsOutlineViewController *>(driver.centreItems());
    const int row = driver.rowOfTitle(title);
    EXPECT_GE(row, 0) << "no row " << title.toStdString();
    if (!mime || !list || row < 0)
        return false;
    const QModelIndex target = list->indexForRow(row);
    const auto validation = list->validateDrop(*mime, target, -1, fromThisProcess);
    const bool taken = validation.operation == Qt::MoveAction
        && list->acceptDrop(*mime, validation.item, validation.childIndex, fromThisProcess);
    driver.settle();
    return taken;
}

void AppDriver::answerAlert(const QString &button, const AlertAnswer &answer)
{
    std::function<void()> whileShown;
    if (answer.whileShown)
        whileShown = [this, then = answer.whileShown] {
            // A real alert's window posts events of its own, which wakes the loop for what was queued before it.
            QCoreApplication::sendPostedEvents();
            settle();
            then();
        };
    m_alerts.answerWithTitle(button, answer.suppress, std::move(whileShown), answer.input);
}

namespace {

// The window system asks, through the window's handle: a close the window did not start itself.
void closeAsTheWindowSystemAsks(QWidget *window)
{
    QCloseEvent close;
    if (window->windowHandle() != nullptr)
        QCoreApplication::sendEvent(window->windowHandle(), &close);
    else
        window->close();
}

} // namespace

void AppDriver::closeMainWindow()
{
    // The window manager's close button.
    closeAsTheWindowSystemAsks(&mainWindow());
    settle();
}

void AppDriver::closeFrontWindow()
{
    // The window manager asks the window to close, as the close button of the title bar does.
    QWidget *front =
        QApplication::activeModalWidget() ? QApplication::activeModalWidget() : QApplication::activeWindow();
    ASSERT_TRUE(front != nullptr && front->windowHandle() != nullptr) << "no window in front";
    closeAsTheWindowSystemAsks(front);
    settle();
}

void AppDriver::bringToFront(QWidget *window)
{
    ASSERT_TRUE(window != nullptr && window->isVisible()) << "no window to bring to the front";
    window->raise();
    window->activateWindow();
    QApplication::setActiveWindow(window);
    settle();
}

void AppDriver::closeByTheWindowButton(const QString &title)
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && window->windowTitle() == title && window->windowHandle() != nullptr) {
            // The press on the frame's button brings the window forward first, as the window manager does.
            giveKeyboardTo(window);
            closeAsTheWindowSystemAsks(window);
            settle();
            return;
        }
    }
    ADD_FAILURE() << "no window " << title.toStdString();
}

void AppDriver::activateTray()
{
    ensureLaunched();
    m_tray.activate();
    settle();
}

void AppDriver::quit()
{
    if (!m_app)
        return;
    closeMenus();
    m_app->quit();
    m_app.reset();
    // The process ends: its hot key goes with it.
    m_shortcutManager.reset();
    settle();
}

// ---- see ----

QStringList AppDriver::centreRows()
{
    KNVTTaskStoreItemsViewController *list = centreItems();
    return list ? knvt::test::itemRowLines(*list) : QStringList();
}

qsizetype AppDriver::centreRowsSaying(const QString &words)
{
    KNVTTaskStoreItemsViewController *list = centreItems();
    qsizetype rows = 0;
    for (int row = 0; list && row < list->numberOfRows(); ++row)
        rows += !list->rowAt(row)->isHeader() && list->rowAt(row)->subtitleText().contains(words) ? 1 : 0;
    return rows;
}

bool AppDriver::checkBoxEnabled(const QString &title)
{
    const int row = rowOfTitle(title);
    EXPECT_GE(row, 0) << "no row " << title.toStdString();
    return row >= 0 && centreItems()->rowAt(row)->checkBoxEnabled;
}

int AppDriver::centreRowHeight(const QString &title)
{
    const int row = rowOfTitle(title);
    EXPECT_GE(row, 0) << "no row " << title.toStdString();
    return row >= 0 ? centreView()->visualRect(centreItems()->indexForRow(row)).height() : -1;
}

QStringList AppDriver::homeRows()
{
    QStringList lines;
    KNVTHomeViewController *home = mainWindow().homeViewController();
    knvt::HomeModel *model = home->model();
    for (int s = 0; s < model->rowCount(); ++s) {
        const QModelIndex section = model->index(s, 0);
        lines << section.data().toString();
        if (!home->outlineView()->isExpanded(section))
            continue;
        for (int r = 0; r < model->rowCount(section); ++r) {
            const QModelIndex index = model->index(r, 0, section);
            QString line = QStringLiteral("  ") + index.data().toString();
            const QString badge = index.data(KNVTSourceListTableCellView::LabelTextRole).toString();
            if (!badge.isEmpty())
                line += QStringLiteral(" (%1)").arg(badge);
            if (index.data(KNVTSourceListTableCellView::ShowsSharedIconButtonRole).toBool())
                line += QStringLiteral(" [shared]");
            lines << line;
        }
    }
    return lines;
}

QString AppDriver::homeBadge(const QString &name)
{
    return findHomeIndex(name).data(KNVTSourceListTableCellView::LabelTextRole).toString();
}

QString AppDriver::selectedHome()
{
    KNVTHomeViewController *home = mainWindow().homeViewController();
    const QModelIndexList rows = home->outlineView()->selectionModel()->selectedRows();
    return rows.isEmpty() ? QString() : rows.first().data().toString();
}

QString AppDriver::rightPane()
{
    KNVTMainWindowController &main = mainWindow();
    if (main.taskViewController() && main.taskViewController()->task()
        && main.taskViewController()->view()->isVisible())
        return main.taskViewController()->task()->title();
    if (main.noTaskViewController())
        return main.noTaskViewController()->titleTextField()->text();
    return {};
}

QString AppDriver::focusedPane()
{
    KNVTMainWindowController &main = mainWindow();
    QWidget *focused = focusedWidget();
    if (!focused)
        return {};
    if (focused == main.homeViewController()->outlineView())
        return QStringLiteral("home");
    if (focused == main.currentListView())
        return QStringLiteral("list");
    if (focused == main.taskTableView())
        return QStringLiteral("task");
    if (focused == main.searchField())
        return QStringLiteral("search");
    if (focused == main.homeViewController()->addPopUpButton())
        return QStringLiteral("add");
    if (auto *button = qobject_cast<QToolButton *>(focused); button && main.toolbar()->isAncestorOf(button))
        return QStringLiteral("toolbar ") + seenText(button->accessibleName());
    return {};
}

QString AppDriver::syncStatus()
{
    auto *line = mainWindow().findChild<KNVTHomeActivityView *>(QStringLiteral("activityView"));
    if (!line || line->state() == KNVTActivityViewStateInactive)
        return {};
    return line->textLabel()->text();
}

QString AppDriver::waitingLine()
{
    settle();
    const knvt::WaitingWindowLine *line = mainWindow().homeViewController()->waitingLine();
    if (line == nullptr || !line->isVisible())
        return {};
    return line->textLabel()->text() + QStringLiteral(" [") + line->button()->text() + QLatin1Char(']');
}

int AppDriver::syncStatusLines()
{
    const QLabel *label = mainWindow().findChild<KNVTHomeActivityView *>(QStringLiteral("activityView"))->textLabel();
    const QRect needed =
        QFontMetrics(label->font())
            .boundingRect(QRect(0, 0, label->width(), 10000), Qt::AlignCenter | Qt::TextWordWrap, label->text());
    return needed.height() / QFontMetrics(label->font()).boundingRect(QStringLiteral("Sync")).height();
}

bool AppDriver::syncStatusShowsWhole()
{
    const auto *line = mainWindow().findChild<KNVTHomeActivityView *>(QStringLiteral("activityView"));
    const QLabel *label = line->textLabel();
    const QRect needed =
        QFontMetrics(label->font())
            .boundingRect(QRect(0, 0, label->width(), 10000), Qt::AlignCenter | Qt::TextWordWrap, label->text());
    return label->isVisible() && line->rect().contains(label->geometry()) && needed.width() <= label->width()
        && needed.height() <= label->height();
}

QString AppDriver::syncStatusToolTip()
{
    return mainWindow().findChild<KNVTHomeActivityView *>(QStringLiteral("activityView"))->toolTip();
}

bool AppDriver::toolbarEnabled(const QString &name)
{
    for (QToolButton *button : mainWindow().toolbar()->findChildren<QToolButton *>())
        if (button->accessibleName() == name)
            return button->isEnabled();
    ADD_FAILURE() << "no toolbar button " << name.toStdString();
    return false;
}

QStringList AppDriver::toolbarHelp(const QString &name)
{
    for (QToolButton *button : mainWindow().toolbar()->findChildren<QToolButton *>())
        if (button->accessibleName() == name)
            return {button->toolTip(), QAccessible::queryAccessibleInterface(button)->text(QAccessible::Description)};
    ADD_FAILURE() << "no toolbar button " << name.toStdString();
    return {};
}

AppDriver::MenuItemState AppDriver::menuItem(const QString &menu, const QString &item)
{
    // What the user reads in the menu as it opens.
    QMenu *opened = openMenuBarMenu(menu);
    MenuItemState state;
    bool found = false;
    if (opened) {
        QList<QAction *> actions = opened->actions();
        for (QAction *action : opened->actions())
            if (action->menu())
                actions << action->menu()->actions();
        for (QAction *action : actions)
            if (!action->isSeparator() && seen(action->text()) == item) {
                state = {seen(action->text()), action->shortcut().toString(), action->isEnabled(), action->isVisible()};
                found = true;
                break;
            }
    }
    closeMenus();
    if (!found)
        ADD_FAILURE() << "no menu item " << menu.toStdString() << " > " << item.toStdString();
    return state;
}

namespace {

// An open menu as the user reads it (the lines of knvt::test::menuLines), each enabled submenu opened by a click on its
// entry, which is when the application fills it, read, and closed again with Escape.
QStringList readOpenMenu(QMenu &menu, const QString &indent = QString())
{
    QStringList lines;
    for (QAction *action : menu.actions()) {
        if (!action->isVisible())
            continue;
        const QString line = knvt::test::menuEntryLine(*action, indent);
        lines << line;
        QMenu *sub = action->menu();
        if (!sub || !action->isEnabled())
            continue;
        QTest::mouseClick(&menu, Qt::LeftButton, {}, menu.actionGeometry(action).center());
        if (!knvt::test::waitUntil([sub] { return sub->isVisible(); })) {
            ADD_FAILURE() << line.toStdString() << " did not open";
            continue;
        }
        lines << readOpenMenu(*sub, indent + QStringLiteral("  "));
        QTest::keyClick(sub, Qt::Key_Escape);
        EXPECT_TRUE(knvt::test::waitUntil([sub] { return !sub->isVisible(); }));
    }
    return lines;
}

} // namespace

QStringList AppDriver::contextMenu()
{
    // A menu the keyboard opened was opened by no step of the driver's: it is the one showing.
    QMenu *menu = m_menu ? m_menu.data() : qobject_cast<QMenu *>(QApplication::activePopupWidget());
    return menu && menu->isVisible() ? readOpenMenu(*menu) : QStringList();
}

QStringList AppDriver::toolbarMoveMenu(const std::function<void(QMenu &)> &whileOpen)
{
    settle();
    QStringList lines;
    QMenu *menu = mainWindow().moveMenu();
    QToolButton *button = mainWindow().toolbarButton(QStringLiteral("moveButton"));
    if (!menu || !button || !button->isEnabled())
        return lines;
    // The button's menu runs its own event loop from the press until it closes: it is read from inside that loop.
    QStringList *read = &lines;
    QTimer::singleShot(0, menu, [menu, read, whileOpen] {
        if (!knvt::test::waitUntil([menu] { return menu->isVisible(); }))
            return;
        *read = readOpenMenu(*menu);
        if (whileOpen)
            whileOpen(*menu);
        menu->close();
    });
    mainWindow().activateWindow();
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_FALSE(lines.isEmpty()) << "the Move menu did not open";
    settle();
    return lines;
}

namespace {

// The rows of a list as a screen reader reads them (the hidden column header left out).
QStringList rowsAsRead(QAccessibleInterface *list)
{
    QStringList lines;
    if (!list)
        return lines;
    for (int i = 0; i < list->childCount(); ++i) {
        QAccessibleInterface *row = list->child(i);
        if (!row || !row->isValid() || row->state().invisible || row->role() == QAccessible::ColumnHeader)
            continue;
        QString line = row->text(QAccessible::Name) + knvt::test::checkWords(row->state());
        if (const QString description = row->text(QAccessible::Description); !description.isEmpty())
            line += QStringLiteral(" - ") + description;
        if (QAccessibleActionInterface *actions = row->actionInterface(); actions && !actions->actionNames().isEmpty())
            line += QStringLiteral(" [%1]").arg(actions->actionNames().join(QStringLiteral(", ")));
        lines << line;
    }
    return lines;
}

// The entries of a menu that a screen reader can read: valid, named, separators left out.
QStringList entriesAsRead(QAccessibleInterface *menu, bool markHidden)
{
    QStringList entries;
    if (!menu)
        return entries;
    for (int i = 0; i < menu->childCount(); ++i) {
        QAccessibleInterface *entry = menu->child(i);
        if (!entry || !entry->isValid() || entry->role() == QAccessible::Separator
            || entry->text(QAccessible::Name).isEmpty())
            continue;
        QString line = entry->text(QAccessible::Name);
        if (markHidden && entry->state().invisible)
            line += QStringLiteral(" (hidden)");
        entries << line;
    }
    return entries;
}

} // namespace

QString AppDriver::centreListAsRead()
{
    settle();
    QAbstractItemView *view = centreView();
    QAccessibleInterface *list = view ? QAccessible::queryAccessibleInterface(view) : nullptr;
    if (!list)
        return {};
    const QString description = list->text(QAccessible::Description);
    return description.isEmpty() ? list->text(QAccessible::Name)
                                 : QStringLiteral("%1: %2").arg(list->text(QAccessible::Name), description);
}

QStringList AppDriver::centreAsRead()
{
    settle();
    QAbstractItemView *view = centreView();
    return rowsAsRead(view ? QAccessible::queryAccessibleInterface(view) : nullptr);
}

void AppDriver::doCentreRowAction(const QString &rowName, const QString &action)
{
    QAbstractItemView *view = centreView();
    knvt::test::doRowAction(view ? QAccessible::queryAccessibleInterface(view) : nullptr, rowName, action);
    settle();
}

QStringList AppDriver::homeAsRead()
{
    settle();
    QAccessibleInterface *list =
        QAccessible::queryAccessibleInterface(mainWindow().homeViewController()->outlineView());
    if (!list)
        return {};
    return QStringList{list->text(QAccessible::Name)} + rowsAsRead(list);
}

QStringList AppDriver::menuBarAsRead()
{
    settle();
    QStringList lines;
    QAccessibleInterface *bar = QAccessible::queryAccessibleInterface(mainWindow().menuBar());
    if (!bar)
        return lines;
    for (int i = 0; i < bar->childCount(); ++i) {
        QAccessibleInterface *item = bar->child(i);
        if (!item || !item->isValid())
            continue;
        lines << QStringLiteral("%1: %2").arg(
            item->text(QAccessible::Name),
            entriesAsRead(item->childCount() > 0 ? item->child(0) : nullptr, false).join(QStringLiteral(", ")));
    }
    return lines;
}

QString AppDriver::openMenuAsRead()
{
    auto *popup = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    QAccessibleInterface *menu = popup ? QAccessible::queryAccessibleInterface(popup) : nullptr;
    if (!menu)
        return {};
    return QStringLiteral("%1: %2").arg(menu->text(QAccessible::Name),
                                        entriesAsRead(menu, true).join(QStringLiteral(", ")));
}

QStringList AppDriver::mainWindowUnreadable()
{
    settle();
    return knvt::test::AccessibleTreeAudit::problems(&mainWindow());
}

QStringList AppDriver::alertsShown()
{
    QStringList lines;
    for (const knvt::AlertPresenter::Request &request : m_alerts.requests())
        lines << QStringLiteral("%1 / %2%3 [%4]")
                     .arg(request.title, request.message,
                          request.typed.isEmpty() ? QString() : QStringLiteral("\n\n") + request.typed,
                          request.buttonTitles.join(QStringLiteral(", ")));
    return lines;
}

int AppDriver::beeps() const
{
    return m_beeper.count();
}

qint64 AppDriver::badge() const
{
    return m_badge.counts.isEmpty() ? -1 : m_badge.counts.last();
}

QStringList AppDriver::openWindows()
{
    settle();
    QStringList names;
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (widget->isVisible() && !widget->inherits("QMenu") && !widget->inherits("knvt::Popover"))
            names << widget->objectName();
    names.sort();
    return names;
}

QString AppDriver::windowTitle()
{
    return mainWindow().windowTitle();
}

QString AppDriver::printedPdfText()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("printed.pdf"));
    qputenv("KNVT_PRINT_PDF", pdf.toLocal8Bit());
    chooseMenu(QStringLiteral("File"), QStringLiteral("Print"));
    qunsetenv("KNVT_PRINT_PDF");
    settle();
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!pdftotext.waitForFinished(10000))
        return {};
    QProcess pdfinfo;
    pdfinfo.start(QStringLiteral("pdfinfo"), {pdf});
    pdfinfo.waitForFinished(10000);
    QString title;
    for (const QString &line : QString::fromUtf8(pdfinfo.readAllStandardOutput()).split(QLatin1Char('\n')))
        if (line.startsWith(QStringLiteral("Title:")))
            title = line.mid(6).trimmed();
    return QStringLiteral("Title: %1\n").arg(title) + QString::fromUtf8(pdftotext.readAllStandardOutput());
}

QVariant AppDriver::defaults(const QString &key)
{
    knvt::Defaults::standard().synchronize();
    return knvt::Defaults::standard().value(key);
}

// ---- hot keys and the shortcut recorder ----

namespace {

struct StoredChord
{
    int keyCode = -1;
    quint32 carbonModifiers = 0;
};

StoredChord storedChord(const QString &chord)
{
    const QKeyCombination combination = QKeySequence(chord)[0];
    const std::optional<int> code = knvt::macKeyCodeForQtKey(combination.key(), false);
    EXPECT_TRUE(code.has_value()) << "no key for " << chord.toStdString();
    return {code.value_or(-1),
            quint32(KNVTCarbonFlagsFromCocoaFlags(knvt::cocoaFlagsFromQtModifiers(combination.keyboardModifiers())))};
}

} // namespace

void AppDriver::useTheXServer()
{
    EXPECT_FALSE(m_launched) << "the X server is chosen before the start";
    m_fakeHotKeys.reset();
    m_keyboard = knvt::X11KeyboardLayout::create();
    ASSERT_NE(m_keyboard, nullptr) << "no X server";
    KeyboardLayoutSource::setCurrent(m_keyboard.get());
    m_x11HotKeys = std::make_unique<knvt::X11HotKeyBackend>(m_keyboard.get());
    KNVTHotKeyCenter::sharedCenter().setBackend(m_x11HotKeys.get());
    m_otherProgram = std::make_unique<knvt::test::OtherXClient>();
    ASSERT_TRUE(m_otherProgram->isConnected());
}

void AppDriver::useTheDesktopPortal(bool withPortal)
{
    EXPECT_FALSE(m_launched) << "the desktop is chosen before the start";
    ASSERT_TRUE(QDBusConnection::sessionBus().isConnected()) << "run inside scripts/with-keyring";
    if (withPortal) {
        m_desktop = std::make_unique<knvt::test::FakeGlobalShortcutsPortal>(2);
        ASSERT_TRUE(m_desktop->isRegistered());
    }
    // No X server in this session: the stand-in for its hot keys has none to give.
    m_fakeHotKeys->setAvailable(false);
    m_hotKeySelector = std::make_unique<knvt::HotKeyBackendSelector>(
        knvt::HotKeySession{QStringLiteral("wayland"), true, false, false, {}, {}}, m_fakeHotKeys.get(),
        QDBusConnection::sessionBus());
    m_hotKeySelector->start();
}

knvt::test::FakeGlobalShortcutsPortal &AppDriver::desktop()
{
    EXPECT_TRUE(m_desktop) << "useTheDesktopPortal() first";
    return *m_desktop;
}

void AppDriver::waitForTheDesktop()
{
    if (!m_hotKeySelector || m_hotKeySelector->portal() == nullptr)
        return;
    const knvt::PortalHotKeyBackend *portal = m_hotKeySelector->portal();
    knvt::test::waitUntil([portal] {
        const knvt::PortalHotKeyBackend::State state = portal->state();
        return state != knvt::PortalHotKeyBackend::State::Probing && state != knvt::PortalHotKeyBackend::State::Binding;
    });
    settle();
}

void AppDriver::pressAnywhere(const QString &chord, int holdMilliseconds)
{
    ensureLaunched();
    if (m_hotKeySelector) {
        // The desktop runs the shortcut when the chord is the trigger it bound.
        waitForTheDesktop();
        if (m_desktop && m_desktop->isRegistered() && !m_desktop->boundTrigger().isEmpty()
            && QKeySequence::fromString(m_desktop->boundTrigger()) == QKeySequence::fromString(chord)) {
            const int before = newTaskWindows();
            m_desktop->press(QStringLiteral("activation-%1").arg(++m_activations));
            knvt::test::waitUntil([this, before] { return newTaskWindows() > before; });
        }
        // A release or a second window would come now.
        knvt::test::waitUntil([] { return false; }, std::chrono::milliseconds(200));
        settle();
        return;
    }
    if (m_otherProgram) {
        m_otherProgram->showFocusedWindow();
        EXPECT_TRUE(m_otherProgram->hasFocus()) << "another program has the focus";
        m_otherProgram->press(chord, holdMilliseconds);
        // Nothing arrives for a chord that is not ours: give the server's events time to come.
        knvt::test::waitUntil([] { return false; }, std::chrono::milliseconds(300));
    } else {
        const StoredChord stored = storedChord(chord);
        m_fakeHotKeys->press(stored.keyCode, stored.carbonModifiers, 1000);
    }
    settle();
}

void AppDriver::givenAnotherProgramHolds(const QString &chord)
{
    if (m_otherProgram) {
        EXPECT_TRUE(m_otherProgram->grab(chord));
    } else {
        const StoredChord stored = storedChord(chord);
        m_fakeHotKeys->holdElsewhere(stored.keyCode, stored.carbonModifiers);
    }
}

void AppDriver::switchKeyboardLayout(const QString &layout)
{
    ASSERT_TRUE(m_otherProgram) << "layouts switch on the X server";
    QProcess::execute(QStringLiteral("setxkbmap"), {layout});
    knvt::test::waitUntil([] { return false; }, std::chrono::milliseconds(400));
    settle();
}

void AppDriver::openPreferences()
{
    chooseMenu(QStringLiteral("Window"), QStringLiteral("Preferences"));
    if (m_otherProgram)
        knvt::test::waitUntil([this] { return shortcutRecorder() && shortcutRecorder()->isVisible(); });
}

void AppDriver::closePreferences()
{
    if (knvt::ApplicationWindow *window = app().preferenceWindowController())
        window->close();
    settle();
}

KNVTShortcutRecorderControl *AppDriver::shortcutRecorder()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (!widget->isVisible())
            continue;
        if (auto *recorder =
                widget->findChild<KNVTShortcutRecorderControl *>(QStringLiteral("quickTaskEntryRecorderControl")))
            return recorder;
    }
    return nullptr;
}

void AppDriver::clickShortcutRecorder()
{
    KNVTShortcutRecorderControl *recorder = shortcutRecorder();
    ASSERT_NE(recorder, nullptr) << "the preferences are not open";
    if (m_otherProgram) {
        // The window manager may still be carrying out an earlier activation (the main window's at the start); the
        // click goes to a window that stays active, as a person's does.
        for (int attempt = 0; attempt < 5; ++attempt) {
            recorder->window()->activateWindow();
            knvt::test::waitUntil([recorder] { return recorder->isActiveWindow(); });
            knvt::test::waitUntil([] { return false; }, std::chrono::milliseconds(300));
            if (recorder->isActiveWindow())
                break;
        }
    }
    QTest::mouseClick(recorder, Qt::LeftButton, Qt::NoModifier, QPoint(30, recorder->height() / 2));
    settle();
}

void AppDriver::typeInRecorder(const QString &chord)
{
    KNVTShortcutRecorderControl *recorder = shortcutRecorder();
    ASSERT_NE(recorder, nullptr) << "the preferences are not open";
    if (m_otherProgram) {
        // The recorder holds the keyboard while it records: keys of the keyboard reach it whoever has the focus.
        m_otherProgram->press(chord);
        knvt::test::waitUntil([recorder] { return !recorder->isRecording(); }, std::chrono::milliseconds(1500));
    } else {
        const QKeyCombination combination = QKeySequence(chord)[0];
        QTest::keyClick(recorder, combination.key(), combination.keyboardModifiers());
    }
    settle();
}

void AppDriver::clickRecorderRemoveButton()
{
    KNVTShortcutRecorderControl *recorder = shortcutRecorder();
    ASSERT_NE(recorder, nullptr) << "the preferences are not open";
    const QRectF button = recorder->cell()->removeButtonRectForFrame(recorder->rect());
    ASSERT_FALSE(button.isEmpty()) << "no remove button";
    QTest::mouseClick(recorder, Qt::LeftButton, Qt::NoModifier, button.center().toPoint());
    settle();
}

void AppDriver::focusAnotherProgram()
{
    ASSERT_TRUE(m_otherProgram) << "another program runs on the X server";
    m_otherProgram->showFocusedWindow();
    ASSERT_TRUE(m_otherProgram->hasFocus());
    m_otherProgram->takeKeyPresses();
    // The window system tells the application a moment later that it lost the focus.
    KNVTShortcutRecorderControl *recorder = shortcutRecorder();
    knvt::test::waitUntil([recorder] { return recorder == nullptr || !recorder->window()->isActiveWindow(); },
                          std::chrono::milliseconds(2000));
    settle();
}

bool AppDriver::typeInAnotherProgram(const QString &chord)
{
    if (!m_otherProgram)
        return false;
    m_otherProgram->press(chord);
    // Keys the recorder swallows arrive here first.
    knvt::test::waitUntil([] { return false; }, std::chrono::milliseconds(300));
    settle();
    return m_otherProgram->takeKeyPresses() > 0;
}

void AppDriver::typeOnTheKeyboard(const QStringList &keys)
{
    ASSERT_TRUE(m_otherProgram) << "keys are typed on the X server";
    for (const QString &key : keys)
        m_otherProgram->press(key);
    // The server has delivered them; the application takes them in once its events are handled.
    knvt::test::waitUntil([] { return false; }, std::chrono::milliseconds(300));
    settle();
}

void AppDriver::clickOnTheScreen(QWidget *widget)
{
    ASSERT_TRUE(widget != nullptr) << "nothing to click";
    clickOnTheScreen(widget, widget->rect().center(), 1);
}

void AppDriver::clickOnTheScreen(QWidget *widget, const QPoint &point, int clicks)
{
    ASSERT_TRUE(m_otherProgram) << "the pointer clicks on the X server";
    ASSERT_TRUE(widget != nullptr && widget->isVisible()) << "nothing to click";
    // Once the window is on the screen where the window manager placed it.
    ASSERT_TRUE(knvt::test::waitUntil([widget] { return widget->window()->windowHandle()->isExposed(); }));
    settle();
    const QPoint at = widget->mapToGlobal(point);
    // Well within any double-click interval, as a hand clicks twice.
    QProcess::execute(QStringLiteral("xdotool"),
                      {QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
                       QStringLiteral("click"), QStringLiteral("--repeat"), QString::number(clicks),
                       QStringLiteral("--delay"), QStringLiteral("80"), QStringLiteral("1")});
    m_otherProgram->sync();
    settle();
}

void AppDriver::switchWindowsOnTheKeyboard()
{
    ASSERT_TRUE(m_otherProgram) << "the window manager switches windows on the X server";
    // With the pause between the keys a hand leaves, which the switcher needs to see Alt held as Tab comes.
    QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), QStringLiteral("alt+Tab")});
    m_otherProgram->sync();
    settle();
}

int AppDriver::newTaskWindows()
{
    settle();
    return int(app().taskNewWindowControllers().size());
}

bool AppDriver::newTaskWindowHasTitleFocus()
{
    const auto &windows = app().taskNewWindowControllers();
    if (windows.empty())
        return false;
    knvt::TaskNewWindow *newest = windows.back().get();
    QLineEdit *title = newest->form() ? newest->form()->titleTextField() : nullptr;
    if (m_otherProgram)
        knvt::test::waitUntil([newest] { return newest->window()->isActiveWindow(); });
    return title != nullptr && newest->window()->isActiveWindow() && QApplication::focusWidget() == title;
}

QString AppDriver::recorderFace()
{
    KNVTShortcutRecorderControl *recorder = shortcutRecorder();
    return recorder ? recorder->faceText() : QString();
}

bool AppDriver::preferencesSayGlobalShortcutsNeedX11()
{
    KNVTShortcutRecorderControl *recorder = shortcutRecorder();
    auto *label =
        recorder ? recorder->window()->findChild<QLabel *>(QStringLiteral("globalShortcutsUnavailableLabel")) : nullptr;
    return label != nullptr && label->isVisible()
        && label->text() == QStringLiteral("Global shortcuts need an X11 display.");
}

QString AppDriver::preferencesGlobalShortcutLine()
{
    waitForTheDesktop();
    KNVTShortcutRecorderControl *recorder = shortcutRecorder();
    if (recorder == nullptr)
        return {};
    for (const char *name : {"globalShortcutsUnavailableLabel", "desktopShortcutLabel"}) {
        auto *label = recorder->window()->findChild<QLabel *>(QString::fromLatin1(name));
        if (label != nullptr && label->isVisible())
            return label->text();
    }
    return {};
}

bool AppDriver::chordIsFree(const QString &chord)
{
    if (m_otherProgram) {
        if (!m_otherProgram->grab(chord))
            return false;
        m_otherProgram->ungrab(chord);
        return true;
    }
    const StoredChord stored = storedChord(chord);
    return !m_fakeHotKeys->isGrabbed(stored.keyCode, stored.carbonModifiers);
}

quint32 AppDriver::quickEntryHotKeyNumber()
{
    ensureLaunched();
    return KNVTKeyboardShortcutManager::sharedManager().quickTaskEntryHotKey()->hotKeyID().id;
}

} // namespace knvt::features
