// Memory under use: the application driven through one round of what a user does all day, over and over, printing
// every KNVT_MEMORY_REPORT rounds (default 250) how much the process holds, so that what stays behind each round shows
// as growth per thousand rounds. A round makes a task in the Inbox, edits its notes, opens and closes its window,
// completes it, searches for it and clears the search, opens and closes the people window and the preferences,
// pulls a change another device made to a synced task, and deletes the task: the library ends every round as it
// began, so what grows is held by the program. Run it under heaptrack to see who holds it:
//   heaptrack build/tests/features/knvt_memory_under_use
// KNVT_MEMORY_ROUNDS (default 2000) sets the number of rounds; the first KNVT_MEMORY_REPORT rounds fill the caches
// and are not counted.
#include "AppDriver.h"

#include "app/KNVTTasksAppDelegate.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTask.h"

#include <QApplication>
#include <QFile>
#include <QHash>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include <malloc.h>
#include <unistd.h>

using knvt::features::AppDriver;

namespace {

int fromEnvironment(const char *name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok && value > 0 ? value : fallback;
}

double residentMegabytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * double(sysconf(_SC_PAGESIZE)) / 1e6 : 0;
}

// Bytes the program holds on the heap now (what malloc handed out and was not freed), free pages left out.
double heapMegabytes()
{
    return double(mallinfo2().uordblks + mallinfo2().hblkhd) / 1e6;
}

// How many objects of each class live now in the windows' trees (widgets, and the actions, timers, animations and
// models they own), and the application's own children.
QHash<QString, int> liveObjects()
{
    QHash<QString, int> counts;
    const auto count = [&counts](const QObject *object) {
        ++counts[QString::fromLatin1(object->metaObject()->className())];
    };
    QObjectList roots = QCoreApplication::instance()->children();
    for (QWidget *window : QApplication::topLevelWidgets())
        if (!window->parent())
            roots.append(window);
    for (const QObject *root : std::as_const(roots)) {
        count(root);
        for (const QObject *child : root->findChildren<QObject *>())
            count(child);
    }
    return counts;
}

// The classes of which more objects live than in `before`, most first: what a round leaves behind.
QStringList objectsGrownSince(const QHash<QString, int> &before)
{
    const QHash<QString, int> now = liveObjects();
    std::vector<std::pair<int, QString>> grown;
    for (auto it = now.cbegin(); it != now.cend(); ++it)
        if (it.value() > before.value(it.key()))
            grown.emplace_back(it.value() - before.value(it.key()), it.key());
    std::sort(grown.begin(), grown.end(), std::greater<>());
    QStringList lines;
    for (const auto &[count, name] : grown)
        lines << QStringLiteral("%1 +%2").arg(name).arg(count);
    return lines;
}

class MemoryUnderUse : public ::testing::Test
{
protected:
    void SetUp() override
    {
        app.givenSignedIn(QStringLiteral("ann"), QStringLiteral("secret1"), /*autoSync=*/true);
        app.service().enableState();
        const qint64 calls = app.service().seedProject(QStringLiteral("Calls"));
        m_synced = app.service().seedTask(QStringLiteral("Call Ann"), calls);
        app.launch();
        app.waitForService([this] { return app.taskTitled(QStringLiteral("Call Ann")) && !app.store().isSyncing(); });
        app.service().clearRequests();
        ASSERT_NE(app.taskTitled(QStringLiteral("Call Ann")), nullptr) << "the first sync pulled nothing";
        // Deleting asks once; the answer's box keeps it from asking again, so no alert piles up in the script.
        app.answerAlert(QStringLiteral("Delete"), {.suppress = true});
    }

    void sync()
    {
        app.clickToolbar(QStringLiteral("Sync"));
        // The service heard the session and the session ended, both of which last.
        app.waitForService([this] { return !app.service().requests().empty() && !app.store().isSyncing(); });
        app.service().clearRequests();
    }

    void closeVisible(const char *className)
    {
        for (QWidget *window : QApplication::topLevelWidgets())
            if (window->isVisible() && window->inherits(className))
                window->close();
        app.settle();
    }

    void round(int number)
    {
        const QString title = QStringLiteral("Errand %1").arg(number);
        app.selectHome(QStringLiteral("Inbox"));
        app.press(QStringLiteral("Ctrl+N"));
        app.typeWhereTheFocusIs(title);
        app.pressReturn();
        app.wait(1);

        app.selectRows({title});
        app.clickToolbar(QStringLiteral("Edit"));
        app.typeIn(QStringLiteral("notesTextView"), QStringLiteral("Bring the receipt"));
        app.clickButton(QStringLiteral("saveButton"));
        app.wait(1);

        app.doubleClickRow(title);
        closeVisible("KNVTTaskWindowController");

        app.clickCheckBox(title);
        app.wait(1);

        app.typeInSearch(QStringLiteral("Errand"));
        app.typeInSearch(QString());

        app.openPeopleWindow();
        closeVisible("KNVTUsersWindowController");
        app.openPreferences();
        app.closePreferences();

        app.service().update("tasks", m_synced, {{"description", QStringLiteral("Her number, take %1").arg(number)}});
        sync();

        app.selectHome(QStringLiteral("Inbox"));
        app.selectRows({title});
        app.press(QStringLiteral("Ctrl+Backspace"));
        app.wait(1);
        app.saves().advance(10);
    }

    AppDriver app;
    qint64 m_synced = 0;
};

TEST_F(MemoryUnderUse, RoundsOfUse)
{
    const int rounds = fromEnvironment("KNVT_MEMORY_ROUNDS", 2000);
    const int report = fromEnvironment("KNVT_MEMORY_REPORT", 250);
    QHash<QString, int> firstObjects;
    double firstHeap = 0;
    double firstResident = 0;
    std::printf("rounds  heap_MB  resident_MB  tasks\n");
    for (int number = 1; number <= rounds; ++number) {
        round(number);
        ASSERT_FALSE(HasFatalFailure()) << "round " << number;
        if (number % report != 0)
            continue;
        malloc_trim(0);
        const double heap = heapMegabytes();
        const double resident = residentMegabytes();
        std::printf("%6d  %7.2f  %11.2f  %5zu\n", number, heap, resident, app.store().tasks().size());
        std::fflush(stdout);
        if (number == report) {
            firstObjects = liveObjects();
            firstHeap = heap;
            firstResident = resident;
        }
    }
    const QStringList grown = objectsGrownSince(firstObjects);
    std::printf("objects left behind since the first report: %s\n",
                qPrintable(grown.isEmpty() ? QStringLiteral("none") : grown.mid(0, 12).join(QStringLiteral(", "))));
    const double counted = double(rounds - report) / 1000;
    if (counted > 0)
        std::printf("growth per 1,000 rounds after the first %d: heap %.2f MB, resident %.2f MB\n", report,
                    (heapMegabytes() - firstHeap) / counted, (residentMegabytes() - firstResident) / counted);
}

} // namespace
