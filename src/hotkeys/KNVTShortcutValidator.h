#pragma once

#include "hotkeys/KNVTShortcutError.h"

#include <QList>

class KNVTShortcutValidatorDelegate;
class QAction;

// Decides whether a key combination may become a shortcut: not when the delegate reserves it, when another program
// holds it system-wide, or when an item of the main menu uses it. Flags are Carbon modifier masks.
class KNVTShortcutValidator
{
public:
    explicit KNVTShortcutValidator(KNVTShortcutValidatorDelegate *delegate = nullptr);

    KNVTShortcutValidatorDelegate *delegate() const { return m_delegate; }

    // True when taken; `error`, when given, receives the explanation (some refusals come without one).
    bool isKeyCodeTaken(qint64 keyCode, quint64 carbonFlags, KNVTShortcutError *error = nullptr);
    // True when an item of `menu` or of any of its submenus, depth first, uses the combination; the first such item
    // is the one named.
    bool isKeyCodeTakenInMenu(qint64 keyCode, quint64 carbonFlags, const QList<QAction *> &menu,
                              KNVTShortcutError *error = nullptr);

private:
    KNVTShortcutValidatorDelegate *m_delegate;
};
