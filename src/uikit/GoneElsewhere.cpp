#include "uikit/GoneElsewhere.h"

#include "uikit/AlertAdditions.h"
#include "uikit/Logging.h"

#include <QCoreApplication>

#include <utility>
#include <vector>

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
    case EditedObject::Comment:
        return QCoreApplication::translate("GoneElsewhere", "The comment was deleted elsewhere.");
    }
    return {};
}

QString becameReadOnly()
{
    return QCoreApplication::translate("GoneElsewhere", "The task can no longer be changed.");
}

struct Telling
{
    EditedObject object;
    bool changesLost;
    QStringList typed;
    // The object is still there but may no longer be changed.
    bool readOnly = false;
};

// The tellings not shown yet: one change closes a window and the forms in it, each of which tells.
std::vector<Telling> &pending()
{
    static std::vector<Telling> tellings;
    return tellings;
}

void tell(const Telling &telling)
{
    QString message;
    if (telling.readOnly)
        message = QCoreApplication::translate("GoneElsewhere",
                                              "Its project or area was archived or made read-only elsewhere.")
            + QLatin1Char(' ');
    if (telling.changesLost)
        message += QCoreApplication::translate("GoneElsewhere", "Your changes were not saved.");
    if (!telling.typed.isEmpty())
        message += QLatin1Char(' ') + QCoreApplication::translate("GoneElsewhere", "What you typed:");
    // Synchronously: this already runs after the store's change, on a later pass.
    runModal({.title = telling.readOnly ? becameReadOnly() : wentAway(telling.object),
              .message = message,
              .typed = telling.typed.join(QStringLiteral("\n\n")),
              .buttonTitles = {QCoreApplication::translate("GoneElsewhere", "OK")},
              .opener = Opener::Application});
}

void tellLater(const Telling &told)
{
    std::vector<Telling> &tellings = pending();
    for (Telling &telling : tellings) {
        if (telling.object == told.object && telling.readOnly == told.readOnly) {
            telling.changesLost = telling.changesLost || told.changesLost;
            telling.typed += told.typed;
            return;
        }
    }
    tellings.push_back(told);
    if (tellings.size() > 1)
        return;
    // Later: the form closes from inside the store's change, where a modal alert must not run.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [] {
            const std::vector<Telling> shown = std::exchange(pending(), {});
            for (const Telling &telling : shown)
                tell(telling);
        },
        Qt::QueuedConnection);
}

} // namespace

void tellObjectWentAway(EditedObject object, bool changesLost, const QStringList &typed)
{
    qCInfo(lcUikit).noquote() << "tellObjectWentAway" << wentAway(object);
    tellLater({object, changesLost, typed});
}

void tellTaskBecameReadOnly(const QStringList &typed)
{
    qCInfo(lcUikit).noquote() << "tellTaskBecameReadOnly" << becameReadOnly();
    tellLater({EditedObject::Task, true, typed, true});
}

} // namespace knvt
