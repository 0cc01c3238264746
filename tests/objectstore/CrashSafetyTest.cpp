#include "StoreTest.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QThread>

#include <signal.h>
#include <sqlite3.h>

using namespace ostore;

// A writer killed at any instruction leaves the file at its last COMMIT: consistent, with all 100 rows stamped by
// one save, the last one reported or the one after it.
using OstoreCrashSafetyTest = StoreTest;

TEST_F(OstoreCrashSafetyTest, AWriterKilledMidSaveLosesNoCommittedRow)
{
    QStringList zeros;
    for (int i = 0; i < 100; ++i)
        zeros.append(QStringLiteral("0"));
    saveTasks(zeros);
    QRandomGenerator random(42);
    int lastSeen = 0;
    for (int round = 0; round < 50; ++round) {
        QProcess child;
        child.start(QStringLiteral(OSTORE_TEST_CHILD), {QStringLiteral("crash"), path()});
        ASSERT_TRUE(child.waitForStarted());
        child.waitForReadyRead(5000);
        QThread::msleep(random.bounded(1, 40));
        ::kill(pid_t(child.processId()), SIGKILL);
        child.waitForFinished();
        const QStringList reported =
            QString::fromUtf8(child.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        const int k = reported.isEmpty() ? 0 : reported.last().toInt();

        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open(path().toUtf8().constData(), &db), SQLITE_OK);
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &s, nullptr);
        ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
        EXPECT_STREQ(reinterpret_cast<const char *>(sqlite3_column_text(s, 0)), "ok");
        sqlite3_finalize(s);
        sqlite3_prepare_v2(db, "SELECT count(*), count(DISTINCT title), min(title) FROM Task", -1, &s, nullptr);
        ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
        EXPECT_EQ(sqlite3_column_int(s, 0), 100);
        EXPECT_EQ(sqlite3_column_int(s, 1), 1) << "round " << round;
        const int stamp = sqlite3_column_int(s, 2);
        sqlite3_finalize(s);
        sqlite3_close(db);
        if (k > 0)
            EXPECT_TRUE(stamp == k || stamp == k + 1) << "reported " << k << ", found " << stamp;
        else
            EXPECT_TRUE(stamp == lastSeen || stamp == 1) << "found " << stamp;
        lastSeen = stamp;
    }
}
