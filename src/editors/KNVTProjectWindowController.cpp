#include "editors/KNVTProjectWindowController.h"

KNVTProjectWindowController::KNVTProjectWindowController(KNVTCDTaskList *project, QWidget *parent)
    : knvt::TaskListInfoSheet(project, parent)
{
    setObjectName(QStringLiteral("KNVTProjectWindowController"));
}
