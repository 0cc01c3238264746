// knvt_today_count: opens a library the way the application does and prints its Today count, so that the whole
// path from process start to a first badge can be timed as a command:
//
//   knvt_today_count [--create [--tasks N]] <library folder>
//
// With --create an empty or missing folder first receives a generated library of N tasks (100,000 unless given;
// seed 42).
#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDTaskListCollaborator.h"
#include "model/KNVTCDUser.h"

#include "foundation/Clock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <random>

namespace {

constexpr int kDefaultTasks = 100000;
constexpr int kLists = 200;

int usage()
{
    std::fprintf(stderr, "usage: knvt_today_count [--create [--tasks N]] <library folder>\n");
    return 2;
}

// Roughly the engine benchmark's mix: 60 % in a list, status 2/1/4/5 = 25/5/60/10 %, a due date on 40 %, a start
// date on 20 %, 40 % archived, 90 % assigned to the local user and 95 % known to the service.
bool createLibrary(KNVTTaskStore &store, int tasks)
{
    ostore::Context *context = store.managedObjectContext();
    if (!context)
        return false;
    std::mt19937 random(42);
    auto percent = [&] { return int(random() % 100); };
    const QDateTime now = knvt::Clock::shared().now();

    KNVTCDUser *me = store.me();
    auto *other = context->insert<KNVTCDUser>();
    other->setFullName(QStringLiteral("Another User"));
    other->setFriendshipStatus(3);

    std::vector<KNVTCDTaskList *> lists;
    for (int i = 0; i < kLists; ++i) {
        KNVTCDTaskList *list = i % 2 ? store.areaWithTitle(QStringLiteral("Area %1").arg(i))
                                     : store.projectWithTitle(QStringLiteral("Project %1").arg(i));
        list->setNumericIdentifier(1000000 + i);
        lists.push_back(list);
    }
    for (int i = 0; i < tasks; ++i) {
        auto *task = context->insert<KNVTCDTask>();
        task->setTitle(QStringLiteral("Task %1").arg(i));
        task->setCreator(me);
        task->setAssignee(percent() < 90 ? me : other);
        if (percent() < 60)
            task->setTaskList(lists[random() % lists.size()]);
        const int status = percent();
        task->setStatus(status < 25 ? 2 : status < 30 ? 1 : status < 90 ? 4 : 5);
        if (percent() < 40)
            task->setDueDate(now.addSecs(qint64(random() % (60 * 86400)) - 30 * 86400));
        if (percent() < 20)
            task->setStartDate(now.addSecs(qint64(random() % (60 * 86400)) - 30 * 86400));
        if (percent() < 40)
            task->setArchivedDate(now.addDays(-1));
        if (percent() < 95)
            task->setNumericIdentifier(i + 1);
    }
    knvt::Error error;
    if (!store.save(&error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error.description()));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    QStringList arguments = application.arguments().mid(1);
    const bool create = arguments.removeAll(QStringLiteral("--create")) > 0;
    int tasks = kDefaultTasks;
    if (const qsizetype at = arguments.indexOf(QStringLiteral("--tasks")); at >= 0) {
        bool ok = false;
        tasks = arguments.value(at + 1).toInt(&ok);
        if (!ok || tasks < 0 || !create)
            return usage();
        arguments.remove(at, 2);
    }
    if (arguments.size() != 1)
        return usage();
    const QString folder = QFileInfo(arguments.front()).absoluteFilePath();
    const bool empty = !QFileInfo::exists(folder) || QDir(folder).isEmpty();

    KNVTTaskStore::Environment environment;
    environment.libraryPath = folder;
    environment.errorPresenter = [](const knvt::Error &error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.description()));
    };
    KNVTTaskStore store(std::move(environment));

    if (empty) {
        if (!create) {
            std::fprintf(stderr, "%s holds no library; pass --create to make one\n", qPrintable(folder));
            return 1;
        }
        if (!createLibrary(store, tasks))
            return 1;
    } else if (!store.managedObjectContext()) {
        return 1;
    }
    std::printf("%lld\n", static_cast<long long>(store.numberOfUncompletedDueAndTodayTasks()));
    return 0;
}
