#include "editors/KNVTAreaEditWindowController.h"

KNVTAreaEditWindowController::KNVTAreaEditWindowController(KNVTCDTaskList *area, QWidget *parent)
    : knvt::TaskListEditSheet(area, SaveDelay, parent)
{
    setObjectName(QStringLiteral("KNVTAreaEditWindowController"));
    setWindowTitle(tr("Edit Area"));
}
