#include "editors/KNVTTagEditWindowController.h"

#include "editors/EditorObjects.h"
#include "editors/KNVTTagNewWindowController.h"
#include "editors/SaveScheduler.h"

#include "store/TaskStoreChanges.h"

#include "model/KNVTCDTag.h"

#include "uikit/GoneElsewhere.h"

#include "foundation/NotificationCenter.h"
#include "foundation/StringAdditions.h"

KNVTTagEditWindowController::KNVTTagEditWindowController(KNVTCDTag *tag, QWidget *parent)
    : knvt::TitleSheet(parent), m_tagURI(tag ? tag->uri() : QUrl())
{
    setObjectName(QStringLiteral("KNVTTagEditWindowController"));
    setWindowTitle(tr("Rename Tag"));
    if (tag)
        titleTextField()->setText(tag->title());
    m_loadedTitle = titleTextField()->text();
    updateSaveButton();
    knvt::NotificationCenter::defaultCenter().addObserver(
        QString::fromLatin1(KNVTTaskStoreWillChangeNotification), &knvt::taskStore(), this,
        [this](const knvt::Notification &notification) {
            if (this->tag())
                return;
            knvt::tellObjectWentAway(knvt::EditedObject::Tag, m_loadedTitle, this,
                                     knvt::whoseChange(knvt::TaskStoreChanges::madeElsewhere(notification)), true,
                                     typedTitle(m_loadedTitle));
            cancel();
        });
}

KNVTTagEditWindowController::~KNVTTagEditWindowController()
{
    knvt::NotificationCenter::defaultCenter().removeObservers(this);
}

KNVTCDTag *KNVTTagEditWindowController::tag() const
{
    return knvt::liveObject<KNVTCDTag>(m_tagURI);
}

bool KNVTTagEditWindowController::canSave() const
{
    const QString typed = titleTextField()->text();
    return knvt::trimmedString(typed) != knvt::trimmedString(m_loadedTitle)
        && KNVTTagNewWindowController::isFreeTagTitle(typed);
}

bool KNVTTagEditWindowController::performSave()
{
    if (KNVTCDTag *renamed = tag()) {
        // Stored as the uniqueness rule compares it, so that no second tag of the same look can be made later.
        renamed->setTitle(knvt::trimmedString(titleTextField()->text()));
        return knvt::saveFormNow();
    }
    return true;
}
