#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>

class KNVTTokenField;
class QMenu;
class QMimeData;

// What a KNVTTokenField asks about its represented objects. Only the display string must be answered.
class KNVTTokenFieldDelegate
{
public:
    virtual ~KNVTTokenFieldDelegate() = default;

    // The text of the token that shows `representedObject`.
    virtual QString tokenField(KNVTTokenField *tokenField, const QVariant &representedObject) = 0;

    // The object a token typed as `editingString` (already trimmed, never empty) stands for; an invalid QVariant,
    // as by default, keeps the string itself.
    virtual QVariant representedObjectForEditingString(KNVTTokenField *tokenField, const QString &editingString);

    // The texts offered while the user types `substring`; none by default.
    virtual QStringList completionsForSubstring(KNVTTokenField *tokenField, const QString &substring);

    // The objects that are really added when `objects` (typed or dropped tokens) are proposed at `index`; an empty
    // answer adds nothing. By default every proposed object.
    virtual QVariantList shouldAddObjects(KNVTTokenField *tokenField, const QVariantList &objects, qsizetype index);

    // Whether the token of `representedObject` offers a menu, and the menu (the caller owns it; nullptr for none).
    // None by default.
    virtual bool hasMenuForRepresentedObject(KNVTTokenField *tokenField, const QVariant &representedObject);
    virtual QMenu *menuForRepresentedObject(KNVTTokenField *tokenField, const QVariant &representedObject);

    // Puts dragged tokens' objects into `mime`; false refuses the drag. By default tokens cannot be dragged.
    virtual bool writeRepresentedObjects(KNVTTokenField *tokenField, const QVariantList &objects, QMimeData &mime);
    // The token texts that dropped data stands for; each then goes the way of a typed token. Nothing by default.
    virtual QStringList readFromPasteboard(KNVTTokenField *tokenField, const QMimeData &mime);
};
