// Printing that fails says so.

#include "AppDriver.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using knvt::features::AppDriver;

namespace {

class PrintFailureFeature : public ::testing::Test
{
protected:
    AppDriver app;
};

} // namespace

TEST_F(PrintFailureFeature, PrintingToAFileThatCannotBeWrittenShowsWhyInOneAlert)
{
    app.givenTask(QStringLiteral("Pay rent"));
    app.selectHome(QStringLiteral("Inbox"));
    // A place that cannot be written, whoever runs the test: a folder that is a file.
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("locked")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString pdf = blocker.fileName() + QStringLiteral("/tasks.pdf");
    qputenv("KNVT_PRINT_PDF", pdf.toLocal8Bit());
    app.answerAlert(QStringLiteral("OK"));
    app.chooseMenu(QStringLiteral("File"), QStringLiteral("Print"));
    qunsetenv("KNVT_PRINT_PDF");
    EXPECT_EQ(
        app.alertsShown(),
        QStringList{
            QStringLiteral("Printing Failed / The file \"%1\" could not be written: Not a directory. [OK]").arg(pdf)});
    EXPECT_FALSE(QFile::exists(pdf));
}
