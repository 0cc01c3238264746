#include "foundation/Defaults.h"

#include <QApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quillvane"));
    QApplication::setOrganizationName(QStringLiteral("Hollowpine"));
    knvt::Defaults::jsonFormat();

    // The main window arrives with the application shell; until then the binary only proves that the libraries
    // link and start.
    QTextStream(stderr) << "Quillvane: the main window is not available in this build yet.\n";
    return 0;
}
