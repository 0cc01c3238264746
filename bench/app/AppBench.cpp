// The main window on large libraries: building it up to the first centre rows, a 10,000-row focus list following a
// save in place, refreshing the home list, the toolbar and the menu bar after a one-task save, Ctrl+A over an Inbox of
// 10,000 tasks, and the validation passes of the window's actions with those 10,000 rows selected and, against one
// with a single row, with 5,000.

#include "support/BudgetMain.h"
#include "support/LongestBlock.h"
#include "support/OffscreenApplication.h"
#include "support/OwnProcess.h"
#include "support/SameRunRatio.h"

#include "app/BadgeSink.h"
#include "app/KNVTHomeViewController.h"
#include "app/KNVTMainWindowController.h"
#include "app/KNVTTasksAppDelegate.h"
#include "app/TrayIcon.h"

#include "lists/ItemRow.h"
#include "lists/KNVTFocusTaskListItemsTableViewController.h"
#include "lists/KNVTSearchItemsOutlineViewController.h"
#include "lists/KNVTTaskStoreItemsTableViewController.h"
#include "lists/TaskSections.h"

#include "accounts/AccountService.h"
#include "accounts/KNVTAccountCheck.h"

#include "sync/KNVTTaskStoreSyncCoordinator.h"

#include "store/KNVTTaskStore.h"

#include "service/KNVTRequest.h"

#include "model/KNVTCDModel.h"
#include "model/KNVTCDTag.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskStoreInformation.h"

#include "objectstore/Context.h"
#include "objectstore/Coordinator.h"

#include "foundation/Clock.h"
#include "foundation/Defaults.h"
#include "foundation/FreedMemory.h"
#include "foundation/NotificationCenter.h"
#include "foundation/Timing.h"
#include "foundation/WallClockAlarm.h"
#include "support/FakeSyncService.h"
#include "support/InMemoryKeychain.h"
#include "support/SyncFixtures.h"
#include "support/TaskStoreBuilder.h"
#include "support/UserText.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleInterface>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>

#include <malloc.h>
#include <unistd.h>

namespace {

const QDateTime kNow(QDate(2015, 3, 4), QTime(12, 0));

const bool installed = knvt::bench::setApplicationFactory(&knvt::bench::makeOffscreenApplication);

// The clock stands still; like the system clock it answers the UTC instant without a time-zone lookup, which the
// lists ask for on every row.
class FixedClock final : public knvt::Clock
{
public:
    QDateTime now() const override { return kNow; }
    QDateTime nowUTC() const override { return m_nowUTC; }

private:
    QDateTime m_nowUTC = kNow.toUTC();
};

// The midnight alarm stays silent: the benchmarks' fixed clock lies in the past, where a real alarm would fire at once
// and refresh every list again and again.
class SilentAlarm final : public knvt::WallClockAlarm
{
public:
    void arm(const QDateTime &date) override { m_date = date; }
    void disarm() override { m_date = QDateTime(); }
    bool isArmed() const override { return m_date.isValid(); }
    QDateTime fireDate() const override { return m_date; }

private:
    QDateTime m_date;
};

class NoBadge final : public knvt::BadgeSink
{
public:
    void setBadgeCount(qint64) override {}
};

class NoTray final : public knvt::TrayIcon
{
public:
    bool isAvailable() const override { return true; }
    void show(std::function<void()>, std::function<void()>, std::function<void()>) override {}
    void hide() override {}
};

// Libraries are made once, and again when the text of the generated ones changes.
QString libraryPath(const char *name)
{
    return QStringLiteral(KNVT_BENCH_DATA_DIR "/app-text%1/").arg(knvt::test::UserText::kVersion) + QLatin1String(name)
        + QStringLiteral("/Quillvane Library.quillvaneLibrary");
}

// A library the store opens as its own: a store-information record of this build and the generated local user.
void buildLibrary(const QString &path, const std::function<void(knvt::test::TaskStoreBuilder &)> &fill)
{
    const QString marker = path + QStringLiteral("/complete");
    if (QFile::exists(marker))
        return;
    QDir(path).removeRecursively();
    QDir().mkpath(path);
    ostore::Coordinator coordinator(KNVTCDModel());
    knvt::Error error;
    if (!coordinator.open(path + QStringLiteral("/TaskStoreData.sqlite3"), nullptr, &error)) {
        std::fprintf(stderr, "cannot create %s: %s\n", qPrintable(path), qPrintable(error.description()));
        std::exit(2);
    }
    ostore::Context context(&coordinator);
    auto *information = context.insert<KNVTCDTaskStoreInformation>();
    information->setEnvironmentType(KNVTTaskStore::environmentType());
    information->setCreatedDate(kNow);
    knvt::test::TaskStoreBuilder make(&context);
    fill(make);
    if (!context.save(&error)) {
        std::fprintf(stderr, "cannot save %s: %s\n", qPrintable(path), qPrintable(error.description()));
        std::exit(2);
    }
    QFile file(marker);
    file.open(QIODevice::WriteOnly);
}

QString bigLibrary()
{
    const QString path = libraryPath("large");
    buildLibrary(path, [](knvt::test::TaskStoreBuilder &make) {
        make.generateLibrary({.tasks = 100000, .now = kNow, .text = knvt::test::LibraryText::UserWritten});
    });
    return path;
}

// The large library with a project of tasks whose titles name people and places in the script their names are
// written in, which the rows' fonts leave to fallback fonts (Chinese, Japanese, Korean, Hebrew, Arabic), between
// English words, first in their list's order: searched for "e", these come first, so that the first screen of results holds those scripts.
QString bigLibraryWithMixedTitles()
{
    const QString path = libraryPath("large-mixed-first");
    buildLibrary(path, [](knvt::test::TaskStoreBuilder &make) {
        const knvt::test::GeneratedLibrary library =
            make.generateLibrary({.tasks = 100000, .now = kNow, .text = knvt::test::LibraryText::UserWritten});
        KNVTCDTaskList *office = make.taskList({.title = QStringLiteral("Tokyo office"),
                                                .type = KNVTTaskListTypeProject,
                                                .members = {{library.me(), KNVTTaskListCollaboratorRoleOwner}}});
        for (const char16_t *title :
             {u"Ask \u7530\u4E2D\u3055\u3093 about the estimate", u"Ask \u738B\u7ECF\u7406 about the budget review",
              u"Ask \uAE40\uBBFC\uC218 about the lease renewal", u"Ask \u05D3\u05E0\u05D4 for the spreadsheet",
              u"Ask \u0623\u062D\u0645\u062F about the invoice"})
            make.task({.title = QString::fromUtf16(title),
                       .status = KNVTTaskStatusActionable,
                       .assignee = library.me(),
                       .creator = library.me(),
                       .list = office})
                ->setTaskListOrderIndex(-1000);
    });
    return path;
}

QString inboxLibrary()
{
    const QString path = libraryPath("inbox10000");
    buildLibrary(path, [](knvt::test::TaskStoreBuilder &make) {
        KNVTCDUser *me = make.me();
        knvt::test::UserText text(10000);
        for (int i = 0; i < 10000; ++i) {
            // A title as a user writes it, and notes on a third of the tasks.
            const QString title = text.taskTitle();
            const QString notes = i % 3 == 0 ? text.taskNotes() : QString();
            make.task({.title = title, .status = 2, .assignee = me, .creator = me, .notes = notes});
        }
    });
    return path;
}

// A store on a copy of nothing: the library itself, opened for this run and closed after it.
struct OpenStore
{
    explicit OpenStore(const QString &path)
    {
        KNVTTaskStore::Environment environment;
        environment.libraryPath = path;
        environment.containerUserDefaults = &suite;
        environment.systemInformationAlarm = std::make_unique<SilentAlarm>();
        store = std::make_unique<KNVTTaskStore>(std::move(environment));
        KNVTTaskStore::setDefaultTaskStore(store.get());
        store->managedObjectContext();
    }
    ~OpenStore() { KNVTTaskStore::setDefaultTaskStore(nullptr); }
    QTemporaryDir dir;
    knvt::Defaults suite{dir.filePath(QStringLiteral("suite.json"))};
    std::unique_ptr<KNVTTaskStore> store;
};

void settle()
{
    for (int i = 0; i < 4; ++i)
        QCoreApplication::processEvents();
}

// Changes one task and saves it, outside the timing.
void saveOneTask(KNVTTaskStore &store, int iteration)
{
    std::vector<KNVTCDTask *> tasks = store.inboxTasks();
    if (tasks.empty())
        return;
    tasks.front()->setNotes(QStringLiteral("note %1").arg(iteration));
    store.save();
}

void BM_MainWindowFirstList(benchmark::State &state)
{
    FixedClock clock;
    knvt::Clock::setShared(&clock);
    OpenStore open(bigLibrary());
    std::size_t rows = 0;
    for (auto _ : state) {
        auto window = std::make_unique<KNVTMainWindowController>();
        auto *list = dynamic_cast<KNVTTaskStoreItemsTableViewController *>(window->currentTasksViewController());
        rows = list ? std::size_t(list->numberOfRows()) : 0;
        state.PauseTiming();
        window.reset();
        settle();
        state.ResumeTiming();
    }
    state.counters["rows"] = double(rows);
    knvt::Clock::setShared(nullptr);
}
BENCHMARK(BM_MainWindowFirstList)->Unit(benchmark::kMillisecond)->Iterations(5);

// The Inbox of 10,000 tasks with the middle one selected, following a save of one of its tasks: from the store's
// did-change notification (the disk's own time for the save is not the list's) until the list has handled it, plus
// the one pass of the event loop in which the view takes the change in.
void BM_FocusListUpdate10000(benchmark::State &state)
{
    FixedClock clock;
    knvt::Clock::setShared(&clock);
    OpenStore open(inboxLibrary());
    knvt::NotificationCenter &center = knvt::NotificationCenter::defaultCenter();
    const QString didChange = QString::fromLatin1(KNVTTaskStoreDidChangeNotification);
    // Observers hear a notification in the order they were added: this one before the list, the next after it.
    std::chrono::steady_clock::time_point start;
    std::chrono::steady_clock::time_point handled;
    const knvt::NotificationCenter::Token before =
        center.addObserver(didChange, open.store.get(), nullptr,
                           [&start](const knvt::Notification &) { start = std::chrono::steady_clock::now(); });
    KNVTFocusTaskListItemsTableViewController list(nullptr);
    const knvt::NotificationCenter::Token after =
        center.addObserver(didChange, open.store.get(), nullptr,
                           [&handled](const knvt::Notification &) { handled = std::chrono::steady_clock::now(); });
    list.view()->resize(600, 800);
    list.view()->show();
    list.setFocusTaskList(KNVTFocusTypeInbox);
    settle();
    list.selectRows({5000});
    const QUrl selected = list.rowAt(5000)->uri;
    std::vector<KNVTCDTask *> tasks = open.store->inboxTasks();
    int iteration = 0;
    for (auto _ : state) {
        tasks[size_t(iteration % 100)]->setNotes(QStringLiteral("note %1").arg(iteration));
        ++iteration;
        open.store->save();
        const auto passStart = std::chrono::steady_clock::now();
        QCoreApplication::processEvents();
        state.SetIterationTime(std::chrono::duration<double>(handled - start).count()
                               + std::chrono::duration<double>(std::chrono::steady_clock::now() - passStart).count());
    }
    center.removeObserver(before);
    center.removeObserver(after);
    const QList<int> rows = list.selectedRows();
    if (rows.size() != 1 || list.rowAt(rows.front())->uri != selected)
        state.SkipWithError("the selection was lost");
    state.counters["rows"] = double(list.numberOfRows());
    knvt::Clock::setShared(nullptr);
}
BENCHMARK(BM_FocusListUpdate10000)->UseManualTime()->Unit(benchmark::kMillisecond);

// The main window of the application over a library (the large one unless named), with one task selected.
struct LargeApplication
{
    explicit LargeApplication(const QString &path = bigLibrary()) : open(path)
    {
        knvt::Clock::setShared(&clock);
        knvt::BadgeSink::setShared(&badge);
        knvt::TrayIcon::setShared(&tray);
        app = std::make_unique<KNVTTasksAppDelegate>();
        app->applicationDidFinishLaunching();
        window = app->mainWindowController();
        window->activateWindow();
        settle();
        if (auto *list = dynamic_cast<KNVTTaskStoreItemsTableViewController *>(window->currentTasksViewController()))
            for (int row = 0; row < list->numberOfRows(); ++row)
                if (!list->rowAt(row)->isHeader()) {
                    list->selectRows({row});
                    break;
                }
        settle();
    }
    ~LargeApplication()
    {
        app.reset();
        knvt::TrayIcon::setShared(nullptr);
        knvt::BadgeSink::setShared(nullptr);
        knvt::Clock::setShared(nullptr);
    }
    FixedClock clock;
    NoBadge badge;
    NoTray tray;
    OpenStore open;
    std::unique_ptr<KNVTTasksAppDelegate> app;
    KNVTMainWindowController *window = nullptr;
};

// Times `refresh` on a large library after each save of one task; the save and what it sets off are not timed.
template <class Refresh>
void measureAfterOneTaskSaves(benchmark::State &state, Refresh refresh)
{
    LargeApplication large;
    int iteration = 0;
    for (auto _ : state) {
        state.PauseTiming();
        saveOneTask(*large.open.store, iteration++);
        settle();
        state.ResumeTiming();
        refresh(*large.window);
    }
}

void BM_HomeListRefresh(benchmark::State &state)
{
    measureAfterOneTaskSaves(state, [](KNVTMainWindowController &window) {
        window.homeViewController()->refreshData();
        settle();
    });
}
BENCHMARK(BM_HomeListRefresh)->Unit(benchmark::kMillisecond)->Iterations(20);

// The menu bar, the toolbar and the context menus show the window's one set of actions: one validation brings them
// all up to date.
void BM_ActionValidation(benchmark::State &state)
{
    measureAfterOneTaskSaves(state, [](KNVTMainWindowController &window) { window.validateActions(); });
}
BENCHMARK(BM_ActionValidation)->Unit(benchmark::kMillisecond)->Iterations(20);

// The centre list of the main window over an Inbox of 10,000 tasks, holding the keyboard focus, with its first row
// selected.
struct InboxWindow
{
    InboxWindow()
    {
        list = dynamic_cast<KNVTTaskStoreItemsTableViewController *>(large.window->currentTasksViewController());
        if (!list)
            return;
        for (int row = 0; row < list->numberOfRows(); ++row)
            if (!list->rowAt(row)->isHeader())
                items << row;
        if (QWidget *view = list->focusView())
            view->setFocus(Qt::OtherFocusReason);
        settle();
    }
    bool ready(benchmark::State &state) const
    {
        if (list && items.size() >= 10000)
            return true;
        state.SkipWithError("the Inbox does not show 10,000 tasks");
        return false;
    }
    void select(const QList<int> &rows)
    {
        list->selectRows(rows);
        settle();
    }
    LargeApplication large{inboxLibrary()};
    KNVTTaskStoreItemsTableViewController *list = nullptr;
    QList<int> items;
};

// Ctrl+A pressed in the list, as the window takes the key: its shortcuts matched first, then the list selecting every
// row, the right pane following the new selection and the window's actions validated for it.
void BM_SelectAll10000(benchmark::State &state)
{
    InboxWindow inbox;
    if (!inbox.ready(state))
        return;
    for (auto _ : state) {
        state.PauseTiming();
        inbox.select({inbox.items.front()});
        state.ResumeTiming();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier);
        QApplication::sendEvent(inbox.list->focusView(), &press);
    }
    if (inbox.list->selectedRows().size() != inbox.items.size())
        state.SkipWithError("Ctrl+A did not select every row");
}
BENCHMARK(BM_SelectAll10000)->Unit(benchmark::kMillisecond)->Iterations(10);

// A validation pass of the window's actions with the 10,000 rows selected, after an object changed: the selection read
// afresh and every rule asked of it again. (Ctrl+A's own pass is part of BM_SelectAll10000.)
void BM_ActionValidationAllSelected10000(benchmark::State &state)
{
    InboxWindow inbox;
    if (!inbox.ready(state))
        return;
    inbox.select(inbox.items);
    ostore::Context *context = KNVTTaskStore::defaultTaskStore()->managedObjectContext();
    for (auto _ : state) {
        state.PauseTiming();
        // An unsaved insert taken back at once changes nothing the list shows, but may have changed any object.
        context->remove(context->insert<KNVTCDTag>());
        state.ResumeTiming();
        inbox.large.window->validateActions();
    }
}
BENCHMARK(BM_ActionValidationAllSelected10000)->Unit(benchmark::kMillisecond)->Iterations(10);

// A validation pass with nothing changed since the last, as every key press makes, with 5,000 rows selected against one
// with one row selected, in the same run: the reading of the selection and the rules' answers are kept from the pass the
// selection's change made, so its size must barely count.
void BM_ActionValidation5000Selected(benchmark::State &state)
{
    InboxWindow inbox;
    if (!inbox.ready(state))
        return;
    const QList<int> many = inbox.items.mid(0, 5000);
    knvt::bench::SameRunRatio ratio;
    for (auto _ : state) {
        state.PauseTiming();
        inbox.select({inbox.items.front()});
        ratio.addReference(knvt::bench::secondsOf([&inbox] { inbox.large.window->validateActions(); }));
        inbox.select(many);
        state.ResumeTiming();
        ratio.addWork(knvt::bench::secondsOf([&inbox] { inbox.large.window->validateActions(); }));
    }
    ratio.report(state);
}
BENCHMARK(BM_ActionValidation5000Selected)->Unit(benchmark::kMillisecond)->Iterations(20);

// The resident memory of this process, in megabytes.
double residentMegabytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? double(fields[1].toLongLong()) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0) : 0;
}

// A key typed into the focused search field of the main window, as a user types it.
void typeIntoSearchField(KNVTMainWindowController &window, Qt::Key key, const QString &text)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(window.searchField(), &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(window.searchField(), &release);
}

// The search list of the window once it shows `rows` rows, else nullptr.
KNVTSearchItemsOutlineViewController *searchListShowing(KNVTMainWindowController &window, int rows)
{
    auto *list = dynamic_cast<KNVTSearchItemsOutlineViewController *>(window.currentTasksViewController());
    return list && list->numberOfRows() == rows ? list : nullptr;
}

// Counts the paints of the result list's rows: the first one that shows a result row ends the wait for first rows.
class FirstResultPaint : public QObject
{
public:
    explicit FirstResultPaint(KNVTMainWindowController &window) : m_window(window) {}
    void watch()
    {
        auto *list = dynamic_cast<KNVTSearchItemsOutlineViewController *>(m_window.currentTasksViewController());
        auto *view = list ? qobject_cast<QAbstractItemView *>(list->focusView()) : nullptr;
        if (view && view->viewport() != m_viewport) {
            m_viewport = view->viewport();
            m_viewport->installEventFilter(this);
            m_list = list;
        }
    }
    bool painted() const { return m_painted; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_viewport && event->type() == QEvent::Paint && m_list && m_list->numberOfRows() > 1)
            m_painted = true;
        return false;
    }

private:
    KNVTMainWindowController &m_window;
    QWidget *m_viewport = nullptr;
    KNVTSearchItemsOutlineViewController *m_list = nullptr;
    bool m_painted = false;
};

// "e" typed into the search field of the main window over 100,000 tasks, nearly every one of which it matches (88 % of
// the user's text, in its title or notes): the longest time the window answers nothing from the key until the whole
// result list is there, the time until its first result rows are painted, and, in a process of its own, the resident
// memory after Escape has cleared the search against before the key. A search for a few tasks pasted into the field
// comes first, so that what the key adds is the list.
//
// The memory is read in a second round, around the same key, each reading once the allocator has given back the free
// memory it can: what it keeps of its own accord (kept_free_mb) depends on how the slices happened to fall, 2.5 MB in
// one run and 7 in the next, while what the process holds does not. Given back before the timed key, the same memory
// would have to be mapped again while the window answers it.
void BM_SearchKeystrokeMatchingAll(benchmark::State &state)
{
    LargeApplication large;
    KNVTMainWindowController &window = *large.window;
    window.show();
    QLineEdit *field = window.searchField();
    field->setFocus(Qt::OtherFocusReason);
    KNVTTaskStore &store = *large.open.store;
    const knvt::TaskSections matches =
        knvt::TaskSections::byStatus(store.tasksForSearchTerm(QStringLiteral("e")), knvt::TaskSections::Archived::Kept);
    int rows = 0;
    for (int group = 0; group < 4; ++group)
        if (const size_t size = matches.sortedGroup(group).size())
            rows += 1 + int(size);
    const auto clear = [&window, field](int passes) {
        typeIntoSearchField(window, Qt::Key_Escape, {});
        field->setFocus(Qt::OtherFocusReason);
        for (int i = 0; i < passes; ++i)
            settle();
    };
    double longest = 0;
    double firstRows = 0;
    double memoryAfterClear = 0;
    double keptFree = 0;
    for (auto _ : state) {
        // Pasted, so that no prefix of it matches most tasks.
        field->setText(QStringLiteral("quarterly report"));
        settle();
        clear(1);
        firstRows = 0;
        FirstResultPaint paint(window);
        QElapsedTimer clock;
        knvt::bench::LongestBlock block;
        const bool shown = block.run(
            [&] {
                clock.start();
                typeIntoSearchField(window, Qt::Key_E, QStringLiteral("e"));
                paint.watch();
            },
            [&] {
                paint.watch();
                if (paint.painted() && firstRows == 0)
                    firstRows = double(clock.nsecsElapsed()) / 1e6;
                return paint.painted() && searchListShowing(window, rows);
            },
            60000);
        if (!shown) {
            state.SkipWithError("the results were not shown");
            return;
        }
        longest = block.longestMs();
        clear(20);

        malloc_trim(0);
        const double before = residentMegabytes();
        knvt::bench::LongestBlock again;
        if (!again.run([&] { typeIntoSearchField(window, Qt::Key_E, QStringLiteral("e")); },
                       [&] { return searchListShowing(window, rows) != nullptr; }, 60000)) {
            state.SkipWithError("the results were not shown again");
            return;
        }
        clear(20);
        const double kept = residentMegabytes();
        malloc_trim(0);
        memoryAfterClear = residentMegabytes() - before;
        keptFree = kept - before - memoryAfterClear;
    }
    state.counters["rows"] = double(rows);
    state.counters["longest_block_ms"] = longest;
    state.counters["first_rows_ms"] = firstRows;
    state.counters["memory_after_clear_mb"] = memoryAfterClear;
    state.counters["kept_free_mb"] = keptFree;
}
[[maybe_unused]] auto *const searchKeystroke =
    knvt::bench::registerInOwnProcesses("BM_SearchKeystrokeMatchingAll", &BM_SearchKeystrokeMatchingAll)
        -> Unit(benchmark::kMillisecond) -> Iterations(1);

// The rows on the screen of a result list whose text is written in a script the rows' fonts leave to a fallback font
// (Chinese, Japanese, Korean, Hebrew, Arabic): the rows whose first layout looks up and loads that font.
int rowsShownInFallbackScripts(KNVTSearchItemsOutlineViewController &list)
{
    auto *view = qobject_cast<QAbstractItemView *>(list.focusView());
    if (!view)
        return 0;
    const auto fallbackScript = [](const QString &text) {
        for (const QChar c : text) {
            switch (c.script()) {
            case QChar::Script_Han:
            case QChar::Script_Hiragana:
            case QChar::Script_Katakana:
            case QChar::Script_Hangul:
            case QChar::Script_Hebrew:
            case QChar::Script_Arabic: return true;
            default: break;
            }
        }
        return false;
    };
    QSet<const knvt::ItemRow *> seen;
    int rows = 0;
    for (int y = 0; y < view->viewport()->height(); y += 4) {
        const auto *row = view->indexAt(QPoint(view->viewport()->width() / 2, y))
                              .data(knvt::ItemRowRole)
                              .value<const knvt::ItemRow *>();
        if (!row || seen.contains(row))
            continue;
        seen.insert(row);
        if (fallbackScript(row->title) || fallbackScript(row->notes))
            ++rows;
    }
    return rows;
}

// "e" typed into the search field of a session that has searched nothing yet, the library of 100,000 tasks opened by
// this process, as a user starts the day: the longest time the window answers nothing from the key until the whole
// result list is there and its rows on the screen are painted. What a first search needs and later ones find made
// (the folding table of the scripts its texts use, and the Unicode data it is built from; the fallback fonts of the
// scripts the rows' fonts lay out with help, which the first rows in Chinese, Japanese, Korean, Hebrew, Arabic,
// Cyrillic or Greek look up and load) is made before it or off the user's path, or this key pays it: the first slice
// of the search held the window 43 ms, and the first paint of its rows 100 to 250 ms with the Noto fonts. The window
// shows and idles for a second, as the user looks at it and reaches for the search field, which gets the keyboard as
// the user gives it (a click or Ctrl+F) a moment before the key; the longest the window answered nothing meanwhile
// is idle_longest_block_ms, what making things ready in those turns costs the user who acts in them. Once the search
// is done its rows on the screen are painted once more (grabbed), so that rows the window had not painted yet are
// measured too. The library has tasks named in those scripts at the head of the results (bigLibraryWithMixedTitles),
// so the fallback fonts' first layouts are in longest_block_ms: rows_in_fallback_scripts counts them on the screen, and
// the run fails without any.
void BM_SearchFirstKeystrokeOfASession(benchmark::State &state)
{
    constexpr int kLookMs = 700;
    constexpr int kReachMs = 300;
    double longest = 0;
    double total = 0;
    double idleLongest = 0;
    int fallbackRows = 0;
    for (auto _ : state) {
        LargeApplication large(bigLibraryWithMixedTitles());
        KNVTMainWindowController &window = *large.window;
        window.show();
        settle();
        QElapsedTimer idleClock;
        knvt::bench::LongestBlock idle;
        bool focused = false;
        idle.run([&] { idleClock.start(); },
                 [&] {
                     if (!focused && idleClock.elapsed() >= kLookMs) {
                         window.searchField()->setFocus(Qt::MouseFocusReason);
                         focused = true;
                     }
                     return idleClock.elapsed() >= kLookMs + kReachMs;
                 },
                 60000);
        FirstResultPaint paint(window);
        knvt::bench::LongestBlock block;
        bool grabbed = false;
        const bool shown = block.run(
            [&] {
                typeIntoSearchField(window, Qt::Key_E, QStringLiteral("e"));
                paint.watch();
            },
            [&] {
                paint.watch();
                auto *list = dynamic_cast<KNVTSearchItemsOutlineViewController *>(window.currentTasksViewController());
                if (!paint.painted() || !list || list->isSearching() || list->numberOfRows() <= 1)
                    return false;
                // The grab is timed by the next turn of the loop.
                if (!grabbed) {
                    if (auto *view = qobject_cast<QAbstractItemView *>(list->focusView()))
                        view->viewport()->grab();
                    grabbed = true;
                    return false;
                }
                return true;
            },
            60000);
        if (!shown) {
            state.SkipWithError("the results were not shown");
            return;
        }
        longest = block.longestMs();
        total = block.totalMs();
        idleLongest = idle.longestMs();
        auto *list = dynamic_cast<KNVTSearchItemsOutlineViewController *>(window.currentTasksViewController());
        fallbackRows = list ? rowsShownInFallbackScripts(*list) : 0;
        if (fallbackRows == 0) {
            state.SkipWithError("no row on the screen is in a script of a fallback font");
            return;
        }
    }
    state.counters["longest_block_ms"] = longest;
    state.counters["results_ms"] = total;
    state.counters["idle_longest_block_ms"] = idleLongest;
    state.counters["rows_in_fallback_scripts"] = fallbackRows;
}
[[maybe_unused]] auto *const firstSearchKeystroke =
    knvt::bench::registerInOwnProcesses("BM_SearchFirstKeystrokeOfASession", &BM_SearchFirstKeystrokeOfASession)
        -> Unit(benchmark::kMillisecond) -> Iterations(1);

// The application's keychain answers over the session bus: every lookup of the password waits for a round trip to
// the Secret Service, which costs a few milliseconds. This one waits two before answering from memory.
class SessionBusKeychain final : public knvt::InMemoryKeychain
{
public:
    knvt::OSStatus copyMatching(const QVariantMap &query, QVariant *result) override
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        return InMemoryKeychain::copyMatching(query, result);
    }
};

// Runs the event loop until `done` answers true; false after `seconds`.
bool turnUntil(const std::function<bool()> &done, int seconds)
{
    QEventLoop loop;
    QElapsedTimer clock;
    clock.start();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done() || clock.elapsed() > qint64(seconds) * 1000)
            loop.quit();
    });
    poll.start(10);
    loop.exec();
    return done();
}

// The window of BM_SearchKeystrokeMatchingAll showing every result of "e" over 100,000 tasks, with the keyboard in the
// search field.
struct SearchShowingAll
{
    SearchShowingAll() : window(*large.window), field(window.searchField())
    {
        window.show();
        field->setFocus(Qt::OtherFocusReason);
        const knvt::TaskSections matches = knvt::TaskSections::byStatus(
            large.open.store->tasksForSearchTerm(QStringLiteral("e")), knvt::TaskSections::Archived::Kept);
        for (int group = 0; group < 4; ++group)
            if (const size_t size = matches.sortedGroup(group).size())
                rows += 1 + int(size);
        typeIntoSearchField(window, Qt::Key_E, QStringLiteral("e"));
        shown = turnUntil([this] { return searchListShowing(window, rows) != nullptr; }, 60);
        settle();
    }
    LargeApplication large;
    KNVTMainWindowController &window;
    QLineEdit *field;
    int rows = 0;
    bool shown = false;
};

// Escape pressed in the search field of the window showing every result of "e" over 100,000 tasks: the longest time
// the window answers nothing from the key until the list chosen in the home list is back and the idle return of what
// the results took has come and gone.
void BM_SearchClearedMatchingAll(benchmark::State &state)
{
    SearchShowingAll search;
    if (!search.shown) {
        state.SkipWithError("the results were not shown");
        return;
    }
    double longest = 0;
    double listBack = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        knvt::bench::LongestBlock block;
        const qint64 idleReturn = knvt::Timing::ms(knvt::freedMemoryIdleSeconds) + 500;
        const bool back = block.run(
            [&] {
                clock.start();
                typeIntoSearchField(search.window, Qt::Key_Escape, {});
            },
            [&] {
                const bool searching =
                    dynamic_cast<KNVTSearchItemsOutlineViewController *>(search.window.currentTasksViewController());
                if (!searching && listBack == 0)
                    listBack = double(clock.nsecsElapsed()) / 1e6;
                return !searching && clock.elapsed() > idleReturn;
            },
            60000);
        if (!back) {
            state.SkipWithError("the list of the home list did not come back");
            return;
        }
        longest = block.longestMs();
    }
    state.counters["longest_block_ms"] = longest;
    state.counters["list_back_ms"] = listBack;
}
[[maybe_unused]] auto *const searchCleared =
    knvt::bench::registerInOwnProcesses("BM_SearchClearedMatchingAll", &BM_SearchClearedMatchingAll)
        -> Unit(benchmark::kMillisecond) -> Iterations(1);

// A screen reader reading the centre list of the window while it changes, as a reader reads the list it is on: how many
// rows it has, the name and state of the rows a screen shows and of the row with the keyboard. It asks every few
// milliseconds, each time from the application's event loop, as the bridge to the accessibility bus hands a reader's
// questions to the application.
class ListReader : public QObject
{
public:
    explicit ListReader(KNVTMainWindowController &window) : m_window(window)
    {
        m_asking.setInterval(5);
        connect(&m_asking, &QTimer::timeout, this, &ListReader::read);
        m_asking.start();
    }
    int reads() const { return m_reads; }

private:
    void read()
    {
        QAccessibleInterface *list =
            m_window.currentListView() ? QAccessible::queryAccessibleInterface(m_window.currentListView()) : nullptr;
        if (!list)
            return;
        const int rows = list->childCount();
        for (int i = 0; i < std::min(rows, 40); ++i)
            if (QAccessibleInterface *row = list->child(i)) {
                benchmark::DoNotOptimize(row->text(QAccessible::Name));
                benchmark::DoNotOptimize(row->state());
            }
        if (QAccessibleInterface *focused = list->focusChild())
            benchmark::DoNotOptimize(focused->text(QAccessible::Name));
        ++m_reads;
    }

    KNVTMainWindowController &m_window;
    QTimer m_asking;
    int m_reads = 0;
};

// "e" typed into the search field over 100,000 tasks, as in BM_SearchKeystrokeMatchingAll, while a screen reader reads
// the list: the longest time the window answers nothing, from the key until the whole result list is there.
void BM_SearchKeystrokeMatchingAllWithAScreenReader(benchmark::State &state)
{
    LargeApplication large;
    KNVTMainWindowController &window = *large.window;
    window.show();
    QLineEdit *field = window.searchField();
    field->setFocus(Qt::OtherFocusReason);
    const knvt::TaskSections matches = knvt::TaskSections::byStatus(
        large.open.store->tasksForSearchTerm(QStringLiteral("e")), knvt::TaskSections::Archived::Kept);
    int rows = 0;
    for (int group = 0; group < 4; ++group)
        if (const size_t size = matches.sortedGroup(group).size())
            rows += 1 + int(size);
    ListReader reader(window);
    double longest = 0;
    int reads = 0;
    for (auto _ : state) {
        knvt::bench::LongestBlock block;
        const int readBefore = reader.reads();
        if (!block.run([&] { typeIntoSearchField(window, Qt::Key_E, QStringLiteral("e")); },
                       [&] { return searchListShowing(window, rows) != nullptr && reader.reads() > readBefore; },
                       60000)) {
            state.SkipWithError("the results were not shown");
            return;
        }
        longest = block.longestMs();
        reads = reader.reads() - readBefore;
    }
    state.counters["longest_block_ms"] = longest;
    state.counters["reads"] = reads;
}
[[maybe_unused]] auto *const searchKeystrokeRead =
    knvt::bench::registerInOwnProcesses("BM_SearchKeystrokeMatchingAllWithAScreenReader",
                                        &BM_SearchKeystrokeMatchingAllWithAScreenReader)
        -> Unit(benchmark::kMillisecond) -> Iterations(1);

// The main window of a user signed in to the fake service, whose first sync pulled 6,000 Inbox tasks.
struct SignedInApplication
{
    static constexpr int kTasks = 6000;

    // The tasks stand in the Inbox, or in one project.
    explicit SignedInApplication(bool inAProject = false)
    {
        service.enableState();
        QJsonValue project;
        if (inAProject)
            project = service.seed("task_lists", knvt::test::unwrap(knvt::test::taskList(0, QStringLiteral("Big"), 1)));
        for (int i = 0; i < kTasks; ++i) {
            QJsonObject task = knvt::test::unwrap(knvt::test::task(0, QStringLiteral("Task %1").arg(i), 2,
                                                                   {{"assignee_id", service.ownerId()},
                                                                    {"creator_id", service.ownerId()},
                                                                    {"task_list_order_index", i},
                                                                    {"task_list_id", project}}));
            task.remove("id");
            service.seed("tasks", task);
        }
        KNVTSetSyncServiceAPIURLString(service.baseURL());
        knvt::KeychainBackend::setShared(keychain);
        KNVTTaskStoreSyncCoordinator::registerWithTaskStore();
        KNVTTaskStore::setConfiguredLibraryOpenedHandler(&KNVTTaskStore::refreshAccountAfterOpening);
        large = std::make_unique<LargeApplication>(dir.filePath(KNVTTaskStore::kLibraryFolderName));
        // The service stamps its objects with the real time.
        knvt::Clock::setShared(nullptr);
        KNVTTaskStore &store = *large->open.store;
        QObject form;
        bool accepted = false;
        KNVTAccountCheck check(&form, true, [&store, &accepted](const KNVTAccountCheck::Result &result) {
            if (result.outcome != KNVTAccountCheck::Outcome::Accepted)
                return;
            knvt::configureAccount(store, result.account.root(), result.password);
            accepted = true;
            store.setAutoSyncEnabled(true);
        });
        check.start(QStringLiteral("ann"), QStringLiteral("secret1"));
        ready = turnUntil(
            [&] {
                return accepted && !store.isSyncing() && store.lastSuccessfullSyncDate().isValid()
                    && store.managedObjectContext()->count<KNVTCDTask>() >= kTasks;
            },
            300);
        settle();
    }
    ~SignedInApplication()
    {
        large.reset();
        service.stop();
        KNVTSetSyncServiceAPIURLString(QString());
        knvt::KeychainBackend::setShared(nullptr);
    }

    // Skips the benchmark when the first sync failed.
    bool readyFor(benchmark::State &state) const
    {
        if (!ready)
            state.SkipWithError("the first sync did not pull the tasks");
        return ready;
    }

    knvt::test::FakeSyncService service;
    std::shared_ptr<SessionBusKeychain> keychain = std::make_shared<SessionBusKeychain>();
    QTemporaryDir dir;
    std::unique_ptr<LargeApplication> large;
    bool ready = false;
};

// The 6,000 tasks of the Inbox changed and saved, then synced: the longest time the window answers nothing from the
// start of the push until its end, when every change has been pushed and the sync's first pull request goes out.
void BM_PushSixThousandChanges(benchmark::State &state)
{
    SignedInApplication signedIn;
    if (!signedIn.readyFor(state))
        return;
    KNVTTaskStore &store = *signedIn.large->open.store;
    knvt::test::FakeSyncService &service = signedIn.service;
    double longest = 0;
    double seconds = 0;
    int pushes = 0;
    int iteration = 0;
    for (auto _ : state) {
        for (KNVTCDTask *task : store.managedObjectContext()->fetch<KNVTCDTask>())
            task->setNotes(QStringLiteral("Changed %1").arg(iteration));
        ++iteration;
        store.saveUserChanges();
        settle();
        service.clearRequests();
        bool finished = false;
        knvt::bench::LongestBlock block;
        const bool pushed =
            block.run([&] { store.syncWithCompletionHandler([&finished](const knvt::Error &) { finished = true; }); },
                      [&] { return finished || service.hasRequest("GET", "/friendships.json"); }, 900000);
        longest = block.longestMs();
        seconds = block.totalMs() / 1000;
        pushes = 0;
        for (const knvt::test::FakeSyncService::Request &request : service.requests())
            pushes += request.method == "PUT" ? 1 : 0;
        turnUntil([&] { return finished && !store.isSyncing(); }, 900);
        if (!pushed || pushes < SignedInApplication::kTasks) {
            state.SkipWithError("the changes were not all pushed");
            return;
        }
    }
    state.counters["pushes"] = pushes;
    state.counters["seconds"] = seconds;
    state.counters["longest_block_ms"] = longest;
}
BENCHMARK(BM_PushSixThousandChanges)->Unit(benchmark::kMillisecond)->Iterations(1);

// The 6,000 tasks of the Inbox (or of one project) changed by another client, then synced: the longest time the window
// answers nothing from the start of the sync until its end, when the pulled changes are applied and saved.
void pullSixThousandChanges(benchmark::State &state, bool inAProject)
{
    SignedInApplication signedIn(inAProject);
    if (!signedIn.readyFor(state))
        return;
    KNVTTaskStore &store = *signedIn.large->open.store;
    knvt::test::FakeSyncService &service = signedIn.service;
    double longest = 0;
    double seconds = 0;
    int iteration = 0;
    for (auto _ : state) {
        const QString notes = QStringLiteral("Changed elsewhere %1").arg(iteration++);
        for (const QJsonObject &task : service.storedAll("tasks"))
            service.update("tasks", task.value("id").toInteger(), {{"description", notes}});
        bool finished = false;
        knvt::bench::LongestBlock block;
        const bool synced =
            block.run([&] { store.syncWithCompletionHandler([&finished](const knvt::Error &) { finished = true; }); },
                      [&] { return finished && !store.isSyncing(); }, 900000);
        longest = block.longestMs();
        seconds = block.totalMs() / 1000;
        int pulled = 0;
        for (KNVTCDTask *task : store.managedObjectContext()->fetch<KNVTCDTask>())
            pulled += task->notes() == notes ? 1 : 0;
        if (!synced || pulled < SignedInApplication::kTasks) {
            state.SkipWithError("the changes were not all pulled");
            return;
        }
    }
    state.counters["seconds"] = seconds;
    state.counters["longest_block_ms"] = longest;
}
void BM_PullSixThousandChanges(benchmark::State &state)
{
    pullSixThousandChanges(state, false);
}
BENCHMARK(BM_PullSixThousandChanges)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_PullSixThousandChangesOfAProject(benchmark::State &state)
{
    pullSixThousandChanges(state, true);
}
BENCHMARK(BM_PullSixThousandChangesOfAProject)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
