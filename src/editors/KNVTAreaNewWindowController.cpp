#include "editors/KNVTAreaNewWindowController.h"

#include "editors/EditorObjects.h"
#include "editors/SaveScheduler.h"

KNVTAreaNewWindowController::KNVTAreaNewWindowController(QWidget *parent) : KNVTTaskListNewWindowController(parent)
{
    setObjectName(QStringLiteral("KNVTAreaNewWindowController"));
    setWindowTitle(tr("New Area"));
    titleTextField()->setPlaceholderText(tr("New Area"));
    updateSaveButton();
}

bool KNVTAreaNewWindowController::performSave()
{
    knvt::taskStore().areaWithTitle(titleTextField()->text());
    return knvt::saveFormNow();
}
