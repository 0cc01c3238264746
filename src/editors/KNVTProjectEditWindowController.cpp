#include "editors/KNVTProjectEditWindowController.h"

KNVTProjectEditWindowController::KNVTProjectEditWindowController(KNVTCDTaskList *project, QWidget *parent)
    : knvt::TaskListEditSheet(project, parent)
{
    setObjectName(QStringLiteral("KNVTProjectEditWindowController"));
    setWindowTitle(tr("Edit Project"));
}
