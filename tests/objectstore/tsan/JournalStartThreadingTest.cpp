// A library's write-ahead log is made ready on a thread of its own from the first turn of the event loop after the
// library opens, and a close that comes first leaves the connection to that thread. These tests close libraries at
// every point of that thread's work: under ThreadSanitizer a connection used after its close or a hand-over without order shows as a race,
// elsewhere as a crash or a library that lost what it held.
#include "TestModel.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

TEST(JournalStartThreading, LibrariesClosedAsTheyOpenStayWhole)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("TaskStoreData.sqlite3"));
    std::unique_ptr<testmodel::Library> elsewhere;
    int saved = 0;
    for (int round = 0; round < 120; ++round) {
        // Every other stretch of rounds another connection holds the log open, so that the thread only syncs it;
        // otherwise it writes the log's header first.
        if (round % 20 == 0)
            elsewhere.reset();
        else if (round % 20 == 10)
            elsewhere = std::make_unique<testmodel::Library>(file);
        auto library = std::make_unique<testmodel::Library>(file);
        ASSERT_TRUE(library->opened) << qPrintable(library->openError.description());
        // The log is made ready once the event loop turns, as in a window's process; a save that comes first makes
        // it ready itself.
        if (round % 4 != 3)
            QCoreApplication::processEvents();
        if (round % 3 == 0) {
            library->main->insert<Task>()->setTitle(QStringLiteral("round %1").arg(round));
            ASSERT_TRUE(library->main->save());
            ++saved;
        }
        if (round % 2)
            library->coordinator->close();
        library.reset();
    }
    elsewhere.reset();
    testmodel::Library last(file);
    ASSERT_TRUE(last.opened);
    EXPECT_EQ(last.main->count<Task>(), saved);
}
