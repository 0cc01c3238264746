#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

class KNVTTokenField;

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
};
