// knvt_today_count: opens a library the way the application does and prints its Today count, so that the whole
// path from process start to a first badge can be timed as a command:
//
//   knvt_today_count [--create [--tasks N]] [--search TEXT] <library folder>
//
// With --create an empty or missing folder first receives a generated library of N tasks (100,000 unless given;
// seed 42) with text as a user writes it. With --search the program then searches the library for TEXT as the
// search field does, and prints how many tasks it found. Exits 3, its work done, when it did not start as the program
// does (its figures are then no budget's).
#include "store/KNVTTaskStore.h"

#include "model/KNVTCDModel.h"
#include "model/KNVTCDTaskStoreInformation.h"

#include "objectstore/Context.h"
#include "objectstore/Coordinator.h"

#include "foundation/Clock.h"
#include "foundation/Error.h"

#include "support/ProgramStart.h"
#include "support/TaskStoreBuilder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace {

constexpr int kDefaultTasks = 100000;

int usage()
{
    std::fprintf(stderr, "usage: knvt_today_count [--create [--tasks N]] [--search TEXT] <library folder>\n");
    return 2;
}

// The benchmarks' library of a user (tests/support/TaskStoreBuilder.h) with the store's own record, written before
// the store opens it, as a library that the application made and used would be.
bool createLibrary(const QString &folder, int tasks)
{
    QDir().mkpath(folder);
    ostore::Coordinator coordinator(KNVTCDModel());
    knvt::Error error;
    if (!coordinator.open(QDir(folder).filePath(KNVTTaskStore::kStoreFileName), nullptr, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error.description()));
        return false;
    }
    ostore::Context context(&coordinator);
    const QDateTime now = knvt::Clock::shared().now();
    auto *information = context.insert<KNVTCDTaskStoreInformation>();
    information->setEnvironmentType(KNVTTaskStore::environmentType());
    information->setCreatedDate(now);
    knvt::test::TaskStoreBuilder(&context).generateLibrary(
        {.tasks = tasks, .watchers = tasks / 5, .now = now, .text = knvt::test::LibraryText::UserWritten});
    if (!context.save(&error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error.description()));
        return false;
    }
    return true;
}

// The value following `option` in `arguments`, both removed; a null string when the option is absent, and false
// when it has no value.
bool takeOption(QStringList &arguments, const QString &option, QString *value)
{
    const qsizetype at = arguments.indexOf(option);
    if (at < 0)
        return true;
    if (at + 1 >= arguments.size())
        return false;
    *value = arguments.at(at + 1);
    arguments.remove(at, 2);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    knvt::bench::startAsTheProgram();
    QCoreApplication application(argc, argv);
    QStringList arguments = application.arguments().mid(1);
    const bool create = arguments.removeAll(QStringLiteral("--create")) > 0;
    QString taskCount;
    QString search;
    if (!takeOption(arguments, QStringLiteral("--tasks"), &taskCount)
        || !takeOption(arguments, QStringLiteral("--search"), &search))
        return usage();
    int tasks = kDefaultTasks;
    if (!taskCount.isNull()) {
        bool ok = false;
        tasks = taskCount.toInt(&ok);
        if (!ok || tasks < 0 || !create)
            return usage();
    }
    if (arguments.size() != 1)
        return usage();
    const QString folder = QFileInfo(arguments.front()).absoluteFilePath();
    if (!QFileInfo::exists(folder) || QDir(folder).isEmpty()) {
        if (!create) {
            std::fprintf(stderr, "%s holds no library; pass --create to make one\n", qPrintable(folder));
            return 1;
        }
        if (!createLibrary(folder, tasks))
            return 1;
    }

    KNVTTaskStore::Environment environment;
    environment.libraryPath = folder;
    environment.errorPresenter = [](const knvt::Error &error, knvt::Opener) {
        std::fprintf(stderr, "%s\n", qPrintable(error.description()));
    };
    KNVTTaskStore store(std::move(environment));
    if (!store.managedObjectContext())
        return 1;
    std::printf("%lld\n", static_cast<long long>(store.numberOfUncompletedDueAndTodayTasks()));
    if (!search.isNull())
        std::printf("%zu\n", store.tasksForSearchTerm(search).size());
    return knvt::bench::checkStartedAsTheProgram() ? 0 : 3;
}
