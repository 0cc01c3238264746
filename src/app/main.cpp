#include "app/KNVTTasksAppDelegate.h"
#include "app/SingleInstance.h"

#include "foundation/Defaults.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillvane"));
    QApplication::setOrganizationName(QStringLiteral("Hollowpine"));
    QApplication::setDesktopFileName(QStringLiteral("quillvane"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/quillvane.svg")));
    knvt::Defaults::jsonFormat();

    KNVTTasksAppDelegate *delegate = nullptr;
    // A second launch hands over to the first and ends.
    knvt::SingleInstance instance([&delegate] {
        if (delegate)
            delegate->applicationShouldHandleReopen();
    });
    if (!instance.registerOrActivate())
        return 0;

    KNVTTasksAppDelegate appDelegate;
    delegate = &appDelegate;
    // Another environment's library, or one that cannot be opened: the user was told; nothing else happens.
    if (!appDelegate.applicationDidFinishLaunching())
        return 0;
    return QApplication::exec();
}
