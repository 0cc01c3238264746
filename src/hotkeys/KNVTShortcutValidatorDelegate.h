#pragma once

#include <QString>
#include <QtGlobal>

class KNVTShortcutValidator;

// Lets the owner of a validator reserve combinations. The default answer is "not taken".
class KNVTShortcutValidatorDelegate
{
public:
    virtual ~KNVTShortcutValidatorDelegate();

    // True when the combination (Cocoa flags) is taken; `reason` ends the sentence "... can't be used because %1."
    virtual bool shortcutValidator(KNVTShortcutValidator *validator, qint64 keyCode, quint64 cocoaFlags,
                                   QString *reason);
};
