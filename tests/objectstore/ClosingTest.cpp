#include "TestModel.h"

#include "support/DiskHold.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>

using namespace ostore;

namespace {

QStringList taskTitles(Context &context)
{
    QStringList titles;
    for (Task *task : context.fetch<Task>())
        titles.append(task->title());
    titles.sort();
    return titles;
}

} // namespace

// The write-ahead log is made ready while a library opens, on a thread of its own that waits for the disk. A library
// closed, or its process ending, in that moment returns without waiting for it (a process that only counts the day's
// tasks waited for the disk at its end), whether the log was new (its header written) or made by another connection
// (only synced); and the library is whole after, the last save in it, and takes the next. The disk is held where
// that thread waits for it, for as long as each row needs, so that a close that waits for it would still be waiting.
TEST(OstoreClosingTest, AClosedLibraryDoesNotWaitForItsLogToBeMadeReadyAndStaysWhole)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("TaskStoreData.sqlite3"));
    {
        testmodel::Library first(file);
        ASSERT_TRUE(first.opened) << qPrintable(first.openError.description());
        first.main->insert<Task>()->setTitle(QStringLiteral("Pay rent"));
        ASSERT_TRUE(first.main->save());
    }

    const struct
    {
        const char *name;
        bool openElsewhere;
        bool endProcess;
    } cases[] = {
        {"the only connection, closed", false, false},
        {"the only connection, its process ending", false, true},
        {"beside another connection, closed", true, false},
        {"beside another connection, its process ending", true, true},
    };
    QStringList saved = {QStringLiteral("Pay rent")};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<testmodel::Library> elsewhere;
        if (c.openElsewhere) {
            elsewhere = std::make_unique<testmodel::Library>(file);
            ASSERT_TRUE(elsewhere->opened);
            elsewhere->coordinator->waitForJournal();
        }
        {
            knvt::test::DiskHold disk;
            auto library = std::make_unique<testmodel::Library>(file);
            ASSERT_TRUE(library->opened) << qPrintable(library->openError.description());
            QCoreApplication::processEvents(); // as a window's process turns its event loop
            ASSERT_TRUE(disk.waitUntilHolding());
            if (c.endProcess) {
                library.reset();
            } else {
                library->coordinator->close();
                EXPECT_FALSE(library->coordinator->isOpen());
                EXPECT_TRUE(library->main->fetch<Task>().empty());
            }
            ASSERT_TRUE(disk.holding()) << "the close waited for the log";
        }
        if (elsewhere) {
            EXPECT_EQ(taskTitles(*elsewhere->main), saved);
        }
        elsewhere.reset();

        testmodel::Library again(file);
        ASSERT_TRUE(again.opened) << qPrintable(again.openError.description());
        EXPECT_EQ(taskTitles(*again.main), saved);
        const QString title = QStringLiteral("Task after %1").arg(QLatin1String(c.name));
        again.main->insert<Task>()->setTitle(title);
        ASSERT_TRUE(again.main->save());
        saved.append(title);
        saved.sort();
    }
    testmodel::Library last(file);
    ASSERT_TRUE(last.opened);
    EXPECT_EQ(taskTitles(*last.main), saved);
}

// A process that opens a library, reads it and ends without turning its event loop (the count of the day's tasks)
// writes nothing: no thread waits for the disk to make a log ready that it never uses, and no file is left beside the
// library. (The close would otherwise fold the log's new header back into the library.)
TEST(OstoreClosingTest, AProcessThatOnlyReadsWaitsForNoDisk)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("TaskStoreData.sqlite3"));
    {
        testmodel::Library made(file);
        ASSERT_TRUE(made.opened) << qPrintable(made.openError.description());
        made.main->insert<Task>()->setTitle(QStringLiteral("Pay rent"));
        ASSERT_TRUE(made.main->save());
    }
    knvt::test::DiskHold disk;
    {
        testmodel::Library reader(file);
        ASSERT_TRUE(reader.opened);
        EXPECT_EQ(taskTitles(*reader.main), QStringList{QStringLiteral("Pay rent")});
        // Reading a user's library takes a while, time enough for a thread started at the open to be under way.
        QThread::msleep(200);
    }
    disk.release();
    ostore::JournalStart::waitForClosing(file);
    EXPECT_EQ(disk.calls(), 0);
    EXPECT_FALSE(QFileInfo::exists(file + QStringLiteral("-wal")));
}
