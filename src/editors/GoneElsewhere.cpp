#include "editors/GoneElsewhere.h"

#include "editors/Logging.h"

#include "uikit/AlertAdditions.h"

#include <QCoreApplication>

namespace knvt {

namespace {

QString wentAway(EditedObject object)
{
    switch (object) {
    case EditedObject::Task: return QCoreApplication::translate("GoneElsewhere", "The task was deleted elsewhere.");
    case EditedObject::Project:
        return QCoreApplication::translate("GoneElsewhere", "The project was deleted elsewhere.");
    case EditedObject::Area: return QCoreApplication::translate("GoneElsewhere", "The area was deleted elsewhere.");
    case EditedObject::Tag: return QCoreApplication::translate("GoneElsewhere", "The tag was deleted elsewhere.");
    }
    return {};
}

} // namespace

void tellObjectWentAway(EditedObject object, bool changesLost)
{
    const QString message =
        changesLost ? QCoreApplication::translate("GoneElsewhere", "Your changes were not saved.") : QString();
    qCInfo(lcEditors).noquote() << "tellObjectWentAway" << wentAway(object);
    // Later: the form closes from inside the store's change, where a modal alert must not run.
    runModalWithTitle(wentAway(object), message, {QCoreApplication::translate("GoneElsewhere", "OK")},
                      [](qsizetype) {});
}

} // namespace knvt
