// A second process for the engine tests: it opens the same library and does one thing, so that tests see what
// another writer (or a writer killed mid-save) leaves behind.
//   crash <file>                     loop: stamp all tasks' titles with k, save, print k
//   set <file> <numericId> <key> <value>   set one string attribute of one task and save
//   insert <file> <count> <prefix>   insert tasks titled <prefix><i>, numericIdentifier 5000 + i, and save
//   remove <file> <numericId>        remove one task and save
//   open <file>                      open (creating or migrating) and print "created", "migrated" or "opened"
//   hold <file> <ms>                 take the write lock for <ms> milliseconds
#include "TestModel.h"

#include <QCoreApplication>
#include <QThread>

#include <sqlite3.h>

#include <cstdio>

using namespace ostore;
using namespace ostore::where;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3)
        return 2;
    const QString mode = args[1];
    const QString file = args[2];

    if (mode == QLatin1String("hold")) {
        sqlite3 *db = nullptr;
        sqlite3_open(file.toUtf8().constData(), &db);
        sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
        std::printf("locked\n");
        std::fflush(stdout);
        QThread::msleep(args.value(3).toULong());
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        return 0;
    }

    Coordinator coordinator(testmodel::makeModel());
    OpenResult result;
    knvt::Error error;
    if (!coordinator.open(file, &result, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error.description()));
        return int(error.code());
    }
    int status = 0;
    {
        Context context(&coordinator);
        if (mode == QLatin1String("open")) {
            std::printf("%s\n", result.created ? "created" : result.migrated ? "migrated" : "opened");
        } else if (mode == QLatin1String("crash")) {
            for (int k = 1;; ++k) {
                const std::vector<Task *> tasks = context.fetch<Task>();
                for (Task *t : tasks)
                    t->setTitle(QString::number(k));
                if (!context.save(&error)) {
                    std::fprintf(stderr, "%s\n", qPrintable(error.description()));
                    status = 3;
                    break;
                }
                std::printf("%d\n", k);
                std::fflush(stdout);
            }
        } else if (mode == QLatin1String("set")) {
            Task *t = context.firstObject<Task>(key(QStringLiteral("numericIdentifier")) == args[3].toLongLong());
            if (t) {
                t->setValue(args[4], args[5]);
                status = context.save(&error) ? 0 : 3;
            } else {
                status = 4;
            }
        } else if (mode == QLatin1String("insert")) {
            for (int i = 0; i < args[3].toInt(); ++i) {
                Task *t = context.insert<Task>();
                t->setTitle(args[4] + QString::number(i));
                t->setNumericIdentifier(5000 + i);
            }
            status = context.save(&error) ? 0 : 3;
        } else if (mode == QLatin1String("remove")) {
            Task *t = context.firstObject<Task>(key(QStringLiteral("numericIdentifier")) == args[3].toLongLong());
            if (t) {
                context.remove(t);
                status = context.save(&error) ? 0 : 3;
            } else {
                status = 4;
            }
        }
    }
    coordinator.close();
    return status;
}
