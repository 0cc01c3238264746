// The main of every test executable. Each process gets its own XDG folders, so no test reads or writes the
// developer's real settings or library, no session bus but a wrapper's own, the suite's fonts and no theme of the
// desktop, and a fixed platform, locale and time zone unless the environment already names one, so that no result
// depends on the machine.
#include <QApplication>
#include <QLocale>

#include <gtest/gtest.h>

#include "support/SuiteDesktop.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace {

void setDefault(const char *name, const char *value)
{
    setenv(name, value, 0);
}

std::filesystem::path makeScratchRoot()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "knvt-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
        perror("mkdtemp");
        std::exit(2);
    }
    return pattern;
}

} // namespace

int main(int argc, char **argv)
{
    setDefault("QT_QPA_PLATFORM", "offscreen");
    setDefault("LANG", "en_US.UTF-8");
    setDefault("TZ", "America/New_York");
    unsetenv("LC_ALL");
    tzset();

    const std::filesystem::path root = makeScratchRoot();
    for (const char *name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"}) {
        const std::filesystem::path folder = root / name;
        std::filesystem::create_directories(folder);
        chmod(folder.c_str(), 0700);
        setenv(name, folder.c_str(), 1);
    }

    knvt::test::useTheSuitesDesktop(root);

    // No test reaches a session bus of the machine (the desktop's keyring, dock or file manager, or a Quillvane the
    // user is running, which owns the single-instance name): only the wrappers that start a private bus for their
    // group let theirs through (scripts/with-keyring, scripts/with-atspi). An address that leads nowhere, not none:
    // without one the bus library would start a bus of its own for the X display.
    if (!std::getenv("KNVT_TEST_SESSION_BUS")) {
        char nowhere[4096];
        std::snprintf(nowhere, sizeof nowhere, "unix:path=%s/no-session-bus", root.c_str());
        setenv("DBUS_SESSION_BUS_ADDRESS", nowhere, 1);
    }

    ::testing::InitGoogleTest(&argc, argv);
    int result = 0;
    {
        QApplication application(argc, argv);
        QApplication::setApplicationName(QStringLiteral("Quillvane"));
        QApplication::setOrganizationName(QStringLiteral("Hollowpine"));
        knvt::test::useTheSuitesFont();
        QLocale::setDefault(QLocale(QStringLiteral("en_US")));
        result = RUN_ALL_TESTS();
    }
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
    return result;
}
