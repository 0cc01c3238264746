#pragma once

// The application object of a benchmark of windows: a QApplication on the offscreen platform (unless the caller
// named another) whose preferences live in a folder of the benchmark's own, never the user's. Install it with
// knvt::bench::setApplicationFactory(&knvt::bench::makeOffscreenApplication); the executable links Qt6::Widgets.

#include <QApplication>
#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdlib>
#include <memory>

namespace knvt::bench {

inline std::unique_ptr<QCoreApplication> makeOffscreenApplication(int &argc, char **argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    static QTemporaryDir config;
    setenv("XDG_CONFIG_HOME", qPrintable(config.path()), 1);
    auto app = std::make_unique<QApplication>(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillvane"));
    return app;
}

} // namespace knvt::bench
