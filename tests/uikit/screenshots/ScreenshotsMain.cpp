#include "Screenshots.h"

#include "support/AccessibleTreeAudit.h"
#include "support/ScreenshotPalette.h"
#include "support/SuiteDesktop.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QWidget>

#include <map>
#include <string>

namespace knvt::test {

namespace {

std::map<std::string, ScreenshotFunction> &registry()
{
    static std::map<std::string, ScreenshotFunction> functions;
    return functions;
}

} // namespace

ScreenshotRegistration::ScreenshotRegistration(const char *group, ScreenshotFunction function)
{
    registry().emplace(group, std::move(function));
}

void addFixtureTexts(std::initializer_list<QString> texts)
{
    for (const QString &text : texts)
        VisibleTextAudit::dataTexts().insert(text);
}

ScreenshotWriter::ScreenshotWriter(QString folder, QString group)
    : m_folder(std::move(folder)), m_group(std::move(group))
{}

void ScreenshotWriter::save(const QString &state, QWidget *widget, bool keepSize)
{
    if (!keepSize)
        widget->resize(widget->sizeHint().expandedTo(QSize(16, 16)));
    widget->show();
    QTest::qWait(50);
    auditScreenshot(m_group + QLatin1Char('-') + state, widget);
    const QString path = QDir(m_folder).filePath(m_group + QLatin1Char('-') + state + QStringLiteral(".png"));
    if (widget->grab().save(path))
        ++m_written;
    else
        QTextStream(stderr) << "screenshots: could not write " << path << '\n';
}

} // namespace knvt::test

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Windows that open a library or read preferences do so in folders of this run's own, never the user's.
    QTemporaryDir scratch;
    for (const char *name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"}) {
        const QString folder = scratch.filePath(QString::fromLatin1(name));
        QDir().mkpath(folder);
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv(name, QFile::encodeName(folder));
    }
    // Drawn as the tests draw, so that what the audit finds clipped is so on every machine.
    knvt::test::useTheSuitesDesktop(QFile::encodeName(scratch.path()).toStdString());
    QApplication application(argc, argv);
    knvt::test::useTheSuitesFont();
    if (knvt::test::screenshotAuditRequested())
        knvt::test::VisibleTextAudit::installMarkingTranslator();
    knvt::test::applyScreenshotPalette();
    // An audit without a folder to write to is the test suite's: its pictures go into a folder that goes with the run.
    QTemporaryDir pictures;
    const QString folder = argc > 1              ? QString::fromLocal8Bit(argv[1])
        : knvt::test::screenshotAuditRequested() ? pictures.path()
                                                 : QStringLiteral("screenshots");
    QDir().mkpath(folder);
    int total = 0;
    for (auto &[group, function] : knvt::test::registry()) {
        knvt::test::ScreenshotWriter writer(folder, QString::fromStdString(group));
        function(writer);
        total += writer.written();
    }
    QTextStream(stdout) << "screenshots: wrote " << total << " PNG files to " << QDir(folder).absolutePath() << '\n';
    if (knvt::test::screenshotAuditProblems() > 0) {
        QTextStream(stderr) << "screenshots: " << knvt::test::screenshotAuditProblems() << " accessibility problems\n";
        return 1;
    }
    return total > 0 ? 0 : 1;
}
