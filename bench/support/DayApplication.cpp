#include "support/DayApplication.h"

#include "app/HomeModel.h"
#include "app/KNVTHomeOutlineView.h"
#include "app/KNVTHomeSectionType.h"
#include "app/KNVTHomeViewController.h"
#include "app/KNVTMainWindowController.h"
#include "app/KNVTTasksAppDelegate.h"
#include "app/WindowFactory.h"

#include "accounts/KNVTUsersWindowController.h"

#include "editors/KNVTTaskWindowController.h"

#include "lists/ItemRow.h"
#include "lists/KNVTSearchItemsOutlineViewController.h"
#include "lists/KNVTTaskStoreItemsViewController.h"

#include "sync/KNVTTaskStoreSyncCoordinator.h"

#include "store/KNVTTaskStore.h"

#include "service/KNVTRequest.h"
#include "service/RequestPool.h"

#include "model/KNVTCDTask.h"

#include "uikit/ActionSet.h"
#include "uikit/Popover.h"

#include "foundation/Defaults.h"
#include "foundation/KNVTGenericKeychainItem.h"
#include "foundation/KeychainBackend.h"
#include "foundation/Timing.h"

#include "support/InMemoryKeychain.h"
#include "support/SyncFixtures.h"
#include "support/Wire.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <malloc.h>
#include <unistd.h>

namespace knvt::bench {

double residentMegabytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0) : 0;
}

namespace {

// A field of /proc/self/status given in kB, in megabytes.
double statusMegabytes(const QByteArray &field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

} // namespace

double anonymousResidentMegabytes()
{
    return statusMegabytes(QByteArrayLiteral("RssAnon"));
}

double fileResidentMegabytes()
{
    return statusMegabytes(QByteArrayLiteral("RssFile")) + statusMegabytes(QByteArrayLiteral("RssShmem"));
}

double heapMegabytes()
{
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks + info.hblkhd) / (1024.0 * 1024.0);
}

bool turnUntil(const std::function<bool()> &done, double seconds)
{
    if (done())
        return true;
    QEventLoop loop;
    QElapsedTimer clock;
    clock.start();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done() || clock.elapsed() > qint64(seconds * 1000))
            loop.quit();
    });
    poll.start(2);
    loop.exec();
    return done();
}

void idle(double seconds)
{
    QEventLoop loop;
    QTimer::singleShot(int(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
}

namespace {

void settle()
{
    for (int i = 0; i < 4; ++i)
        QCoreApplication::processEvents();
}

class NoBadge final : public BadgeSink
{
public:
    void setBadgeCount(qint64) override {}
};

class NoTray final : public TrayIcon
{
public:
    bool isAvailable() const override { return true; }
    void show(std::function<void()>, std::function<void()>, std::function<void()>) override {}
    void hide() override {}
};

template <class T>
T *shownWindow()
{
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (auto *found = qobject_cast<T *>(widget); found && found->isVisible())
            return found;
    return nullptr;
}

} // namespace

// Deleting asks once, and the box of the answer keeps it from asking again; any other question is unexpected.
class DayApplication::Answers final : public AlertPresenter
{
public:
    Response runModal(const Request &request) override
    {
        const qsizetype button = request.buttonTitles.indexOf(QStringLiteral("Delete"));
        if (button < 0) {
            unexpected = request.title;
            return {};
        }
        return {FirstButtonResponse + button, true};
    }
    QString unexpected;
};

struct DayApplication::Parts
{
    QProcess service;
    std::shared_ptr<InMemoryKeychain> keychain = std::make_shared<InMemoryKeychain>();
    QTemporaryDir dir;
    std::unique_ptr<Defaults> suite;
    std::unique_ptr<KNVTTaskStore> store;
    NoBadge badge;
    NoTray tray;
    Answers answers;
    std::unique_ptr<KNVTTasksAppDelegate> app;
    NotificationCenter::Token syncEnds;
};

DayApplication::DayApplication(const Options &options) : m_parts(std::make_unique<Parts>())
{
    Parts &parts = *m_parts;
    // The program's own delays (deferred saves, the push and full-sync timers) pass ten times as fast as the clock:
    // a day of use is run compressed, its delays with it.
    Timing::setScale(0.1);
    BadgeSink::setShared(&parts.badge);
    TrayIcon::setShared(&parts.tray);
    AlertPresenter::setShared(&parts.answers);
    KNVTTaskStore::Environment environment;
    environment.libraryPath =
        options.library.isEmpty() ? parts.dir.filePath(KNVTTaskStore::kLibraryFolderName) : options.library;
    parts.suite = std::make_unique<Defaults>(parts.dir.filePath(QStringLiteral("suite.json")));
    environment.containerUserDefaults = parts.suite.get();
    parts.store = std::make_unique<KNVTTaskStore>(std::move(environment));
    KNVTTaskStore::setDefaultTaskStore(parts.store.get());
    parts.syncEnds = NotificationCenter::defaultCenter().addObserver(
        QString::fromLatin1(KNVTTaskStoreDidFinishSyncingNotification), nullptr, nullptr,
        [this](const Notification &) { ++m_syncsEnded; });
    if (options.library.isEmpty() && !signIn(options))
        return;

    parts.app = std::make_unique<KNVTTasksAppDelegate>();
    if (!parts.app->applicationDidFinishLaunching() || !parts.app->mainWindowController()) {
        fail(QStringLiteral("the application did not start"));
        return;
    }
    window().resize(1000, 700);
    window().show();
    window().activateWindow();
    // The first sync brings the lists, the shared ones among them.
    if (options.library.isEmpty()
        && !turnUntil([this] { return m_syncsEnded > 0 && clickHome(QStringLiteral("Garden")); }, 120)) {
        fail(QStringLiteral("the first sync did not bring the lists"));
        return;
    }
    m_ready = clickHome(QStringLiteral("Inbox"));
}

bool DayApplication::signIn(const Options &options)
{
    Parts &parts = *m_parts;
    parts.service.setProgram(QCoreApplication::applicationDirPath() + QStringLiteral("/knvt_day_service"));
    parts.service.setArguments({QStringLiteral("--inbox"), QString::number(options.inboxTasks),
                                QStringLiteral("--tasks"), QString::number(options.tasks)});
    parts.service.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    parts.service.start();
    if (!parts.service.waitForStarted(10000) || !turnUntil([&parts] { return parts.service.canReadLine(); }, 120))
        return fail(QStringLiteral("the sync service did not start"));
    KeychainBackend::setShared(parts.keychain);
    KNVTSetSyncServiceAPIURLString(QString::fromLatin1(parts.service.readLine().trimmed()));
    KNVTTaskStoreSyncCoordinator::registerWithTaskStore();
    KNVTTaskStore::setConfiguredLibraryOpenedHandler(&KNVTTaskStore::refreshAccountAfterOpening);
    KNVTGenericKeychainItem::genericKeychainItemWithService(QStringLiteral("Hollowpine"), QStringLiteral("ann"), {},
                                                            QStringLiteral("secret1"));
    parts.store->configureWithAccountAttributes(
        test::wire(test::unwrap(test::account(7, test::user(42, QStringLiteral("ann")), 1))));
    parts.store->setAutoSyncEnabled(true);
    return true;
}

DayApplication::~DayApplication()
{
    Parts &parts = *m_parts;
    parts.app.reset();
    RequestPool::waitForDone(10000);
    NotificationCenter::defaultCenter().removeObserver(parts.syncEnds);
    KNVTTaskStore::setDefaultTaskStore(nullptr);
    parts.store.reset();
    AlertPresenter::setShared(nullptr);
    TrayIcon::setShared(nullptr);
    BadgeSink::setShared(nullptr);
    KNVTTaskStore::setConfiguredLibraryOpenedHandler(nullptr);
    KNVTSetSyncServiceAPIURLString(QString());
    KeychainBackend::setShared(nullptr);
    if (parts.service.state() != QProcess::NotRunning) {
        parts.service.closeWriteChannel();
        if (!parts.service.waitForFinished(10000))
            parts.service.kill();
    }
    Timing::setScale(1.0);
}

KNVTTaskStore &DayApplication::store()
{
    return *m_parts->store;
}

KNVTMainWindowController &DayApplication::window()
{
    return *m_parts->app->mainWindowController();
}

bool DayApplication::fail(const QString &why)
{
    if (m_why.isEmpty())
        m_why = why;
    return false;
}

bool DayApplication::tellService(const QString &command)
{
    QProcess &service = m_parts->service;
    service.write(command.toUtf8() + '\n');
    // The service answers on its own time; the application goes on meanwhile.
    if (!turnUntil([&service] { return service.canReadLine(); }, 60))
        return fail(QStringLiteral("the service did not answer ") + command);
    service.readLine();
    return true;
}

bool DayApplication::clickHome(const QString &name)
{
    HomeModel *model = window().homeViewController()->model();
    for (int s = 0; s < model->rowCount(); ++s) {
        const QModelIndex section = model->index(s, 0);
        for (int r = 0; r < model->rowCount(section); ++r)
            if (const QModelIndex index = model->index(r, 0, section); index.data().toString() == name)
                return clickHomeAt(index);
    }
    return fail(QStringLiteral("no home entry ") + name);
}

bool DayApplication::clickProject(int n)
{
    HomeModel *model = window().homeViewController()->model();
    const QModelIndex section = model->indexForSection(KNVTHomeSectionTypeProjects);
    const int count = model->rowCount(section);
    return count > 0 ? clickHomeAt(model->index(n % count, 0, section)) : fail(QStringLiteral("no projects"));
}

bool DayApplication::clickHomeAt(const QModelIndex &index)
{
    QTreeView *view = window().homeViewController()->outlineView();
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    settle();
    return view->selectionModel()->isSelected(index)
        || fail(QStringLiteral("a click did not choose ") + index.data().toString());
}

// The row of the centre list showing the task of that title; with an empty title, the first row that is no header.
int DayApplication::rowOf(const QString &title)
{
    KNVTTaskStoreItemsViewController *list = window().currentTasksViewController();
    if (!list)
        return -1;
    for (int row = 0; row < list->numberOfRows(); ++row)
        if (const ItemRow *item = list->rowAt(row); !item->isHeader() && (title.isEmpty() || item->title == title))
            return row;
    return -1;
}

QString DayApplication::taskRowTitle(int n)
{
    KNVTTaskStoreItemsViewController *list = window().currentTasksViewController();
    std::vector<int> rows;
    for (int row = 0; list && row < list->numberOfRows(); ++row)
        if (!list->rowAt(row)->isHeader())
            rows.push_back(row);
    return rows.empty() ? QString() : list->rowAt(rows[size_t(n) % rows.size()])->title;
}

bool DayApplication::clickRow(const QString &title, bool twice)
{
    KNVTTaskStoreItemsViewController *list = window().currentTasksViewController();
    const int row = rowOf(title);
    auto *view = list ? qobject_cast<QAbstractItemView *>(list->focusView()) : nullptr;
    if (row < 0 || !view)
        return fail(QStringLiteral("no row ") + title);
    const QModelIndex index = list->indexForRow(row);
    view->scrollTo(index);
    const QRect rect = view->visualRect(index);
    // Midway along the row: clear of the box at the left and the buttons at the right.
    const QPoint point(rect.left() + rect.width() / 2, rect.center().y());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, point);
    if (twice)
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, point);
    settle();
    return true;
}

bool DayApplication::clickToolbar(const QString &name)
{
    for (QToolButton *button : window().toolbar()->findChildren<QToolButton *>()) {
        if (button->accessibleName() == name && button->isEnabled()) {
            QTest::mouseClick(button, Qt::LeftButton);
            settle();
            return true;
        }
    }
    return fail(QStringLiteral("no usable toolbar button ") + name);
}

QWidget *DayApplication::shownPopoverChild(const char *name)
{
    Popover *popover = shownWindow<Popover>();
    return popover ? popover->findChild<QWidget *>(QLatin1String(name)) : nullptr;
}

bool DayApplication::waitForTask(const QString &title, const std::function<bool(const QString &)> &done)
{
    if (turnUntil([&] { return done(title); }, 30))
        return true;
    return fail(QStringLiteral("the task did not change as asked: ") + title);
}

namespace {

KNVTCDTask *taskTitled(KNVTTaskStore &store, const QString &title)
{
    for (KNVTCDTask *task : store.tasks())
        if (task->title() == title && !task->isDeleted() && !task->deletedDate().isValid())
            return task;
    return nullptr;
}

} // namespace

// Keys pressed in the main window go where its focus is, once the window has the keyboard back from the window that
// had it last.
bool DayApplication::pressInMainWindow(const QString &keys)
{
    window().activateWindow();
    if (!turnUntil([this] { return QApplication::activeWindow() == &window(); }, 10))
        return fail(QStringLiteral("the main window did not take the keyboard for ") + keys);
    QTest::keySequence(window().focusWidget() ? window().focusWidget() : &window(), QKeySequence(keys));
    return true;
}

bool DayApplication::makeTask(const QString &title)
{
    if (!pressInMainWindow(QStringLiteral("Ctrl+N")))
        return false;
    QWidget *field = nullptr;
    if (!turnUntil(
            [&] {
                field = shownPopoverChild("titleTextField");
                return field && field->hasFocus();
            },
            10))
        return fail(QStringLiteral("Ctrl+N opened no form with the keyboard in its title"));
    QTest::keyClicks(field, title);
    QTest::keyClick(field, Qt::Key_Return);
    return waitForTask(title, [this](const QString &t) { return taskTitled(store(), t) && rowOf(t) >= 0; });
}

bool DayApplication::editNotes(const QString &title, const QString &notes)
{
    if (!clickRow(title) || !clickToolbar(QStringLiteral("Edit")))
        return false;
    QWidget *field = nullptr;
    if (!turnUntil([&] { return (field = shownPopoverChild("notesTextView")) && field->isVisible(); }, 10))
        return fail(QStringLiteral("Edit opened no form with notes"));
    QTest::mouseClick(field, Qt::LeftButton, {}, QPoint(field->width() - 4, field->height() / 2));
    QTest::keyClick(field, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(field, notes);
    auto *save = qobject_cast<QAbstractButton *>(shownPopoverChild("saveButton"));
    if (!save)
        return fail(QStringLiteral("the edit form has no Save"));
    QTest::mouseClick(save, Qt::LeftButton);
    return waitForTask(title, [this, notes](const QString &t) {
        KNVTCDTask *task = taskTitled(store(), t);
        return task && task->notes().endsWith(notes) && !task->isUpdated();
    });
}

bool DayApplication::openAndCloseTaskWindow(const QString &title)
{
    if (!clickRow(title, true))
        return false;
    KNVTTaskWindowController *taskWindow = nullptr;
    if (!turnUntil([&] { return (taskWindow = shownWindow<KNVTTaskWindowController>()) != nullptr; }, 10))
        return fail(QStringLiteral("a double click opened no task window"));
    taskWindow->close();
    settle();
    return shownWindow<KNVTTaskWindowController>() == nullptr || fail(QStringLiteral("the task window stayed"));
}

bool DayApplication::complete(const QString &title)
{
    KNVTTaskStoreItemsViewController *list = window().currentTasksViewController();
    const int row = rowOf(title);
    auto *view = list ? qobject_cast<QAbstractItemView *>(list->focusView()) : nullptr;
    if (row < 0 || !view)
        return fail(QStringLiteral("no row ") + title);
    const QModelIndex index = list->indexForRow(row);
    view->scrollTo(index);
    // The box stands at (4, 14) of a task row, 22 points wide.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).topLeft() + QPoint(15, 25));
    return waitForTask(title, [this](const QString &t) {
        KNVTCDTask *task = taskTitled(store(), t);
        return task && task->isCompleted() && !task->isUpdated();
    });
}

bool DayApplication::searchAndClear(const QString &text)
{
    return search(text) && clearSearch();
}

bool DayApplication::search(const QString &text)
{
    QLineEdit *field = window().searchField();
    QTest::mouseClick(field, Qt::LeftButton, {}, QPoint(field->width() / 3, field->height() / 2));
    QTest::keyClicks(field, text);
    if (!turnUntil(
            [this] {
                auto *search =
                    dynamic_cast<KNVTSearchItemsOutlineViewController *>(window().currentTasksViewController());
                return search && !search->isSearching() && rowOf(QString()) >= 0;
            },
            300))
        return fail(QStringLiteral("the search showed nothing"));
    return true;
}

bool DayApplication::clearSearch()
{
    QLineEdit *field = window().searchField();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Backspace);
    settle();
    return field->text().isEmpty() || fail(QStringLiteral("the search field kept its text"));
}

bool DayApplication::openAndClosePeople()
{
    window().actions()->activate(Command::People);
    KNVTUsersWindowController *people = nullptr;
    if (!turnUntil([&] { return (people = shownWindow<KNVTUsersWindowController>()) != nullptr; }, 10))
        return fail(QStringLiteral("People opened no window"));
    settle();
    people->close();
    settle();
    return true;
}

bool DayApplication::openAndClosePreferences()
{
    window().actions()->activate(Command::Preferences);
    ApplicationWindow *preferences = nullptr;
    if (!turnUntil(
            [&] {
                preferences = m_parts->app->preferenceWindowController();
                return preferences && preferences->window()->isVisible();
            },
            10))
        return fail(QStringLiteral("Preferences opened no window"));
    settle();
    preferences->close();
    settle();
    return true;
}

bool DayApplication::sync()
{
    const int ended = m_syncsEnded;
    if (!clickToolbar(QStringLiteral("Sync")))
        return false;
    if (!turnUntil([&] { return m_syncsEnded > ended && !store().isSyncing(); }, 60))
        return fail(QStringLiteral("the sync did not end"));
    return true;
}

bool DayApplication::deleteTask(const QString &title)
{
    if (!clickRow(title) || !pressInMainWindow(QStringLiteral("Ctrl+Backspace")))
        return false;
    if (!m_parts->answers.unexpected.isEmpty())
        return fail(QStringLiteral("an alert asked: ") + m_parts->answers.unexpected);
    return waitForTask(title, [this](const QString &t) { return !taskTitled(store(), t) && rowOf(t) < 0; });
}

} // namespace knvt::bench
