#include "editors/KNVTAreaWindowController.h"

KNVTAreaWindowController::KNVTAreaWindowController(KNVTCDTaskList *area, QWidget *parent)
    : knvt::TaskListInfoSheet(area, parent)
{
    setObjectName(QStringLiteral("KNVTAreaWindowController"));
}
