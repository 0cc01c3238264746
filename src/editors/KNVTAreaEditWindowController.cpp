#include "editors/KNVTAreaEditWindowController.h"

KNVTAreaEditWindowController::KNVTAreaEditWindowController(KNVTCDTaskList *area, QWidget *parent)
    : knvt::TaskListEditSheet(area, parent)
{
    setObjectName(QStringLiteral("KNVTAreaEditWindowController"));
    setWindowTitle(tr("Edit Area"));
}
