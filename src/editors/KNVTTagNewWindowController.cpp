#include "editors/KNVTTagNewWindowController.h"

#include "editors/EditorObjects.h"
#include "editors/SaveScheduler.h"

KNVTTagNewWindowController::KNVTTagNewWindowController(QWidget *parent) : knvt::TitleSheet(parent)
{
    setObjectName(QStringLiteral("KNVTTagNewWindowController"));
    setWindowTitle(tr("New Tag"));
    titleTextField()->setPlaceholderText(tr("New Tag"));
    updateSaveButton();
}

bool KNVTTagNewWindowController::isFreeTagTitle(const QString &title)
{
    return hasVisibleCharacter(title) && knvt::taskStore().tagForTitle(title) == nullptr;
}

bool KNVTTagNewWindowController::canSave() const
{
    return isFreeTagTitle(titleTextField()->text());
}

bool KNVTTagNewWindowController::performSave()
{
    knvt::taskStore().tagWithTitle(titleTextField()->text());
    return knvt::saveFormNow();
}
