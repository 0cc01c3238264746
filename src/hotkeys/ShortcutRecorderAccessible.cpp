#include "hotkeys/ShortcutRecorderAccessible.h"

#include "hotkeys/KNVTShortcutRecorderControl.h"

#include "uikit/AccessibleFactory.h"

#include <QCoreApplication>

namespace knvt {

ShortcutRecorderAccessible::ShortcutRecorderAccessible(KNVTShortcutRecorderControl *recorder)
    : QAccessibleWidget(recorder, QAccessible::Button)
{}

KNVTShortcutRecorderControl *ShortcutRecorderAccessible::recorder() const
{
    return static_cast<KNVTShortcutRecorderControl *>(widget());
}

QString ShortcutRecorderAccessible::text(QAccessible::Text t) const
{
    switch (t) {
    case QAccessible::Name: {
        const QString name = widget()->accessibleName();
        return name.isEmpty() ? QCoreApplication::translate("KNVTShortcuts", "Shortcut") : name;
    }
    case QAccessible::Value: return recorder()->keyComboString();
    case QAccessible::Description: {
        // Qt 6.4's bridge to AT-SPI carries no value for a button: the shortcut is said in the description, first.
        const QString shortcut = recorder()->keyComboString();
        const QString current = shortcut.isEmpty()
            ? QCoreApplication::translate("KNVTShortcuts", "No shortcut.")
            : QCoreApplication::translate("KNVTShortcuts", "Shortcut %1.").arg(shortcut);
        QString description = widget()->accessibleDescription();
        if (description.isEmpty())
            description = recorder()->isRecording()
                ? QCoreApplication::translate("KNVTShortcuts",
                                              "Recording: type the new shortcut, or Escape to keep the "
                                              "old one.")
                : QCoreApplication::translate("KNVTShortcuts", "Press Space to record a new shortcut.");
        return current + QLatin1Char(' ') + description;
    }
    default: return QAccessibleWidget::text(t);
    }
}

QAccessible::State ShortcutRecorderAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.checkable = true;
    state.checked = recorder()->isRecording();
    return state;
}

void ShortcutRecorderAccessible::install()
{
    installAccessibleFactory<ShortcutRecorderAccessible, KNVTShortcutRecorderControl>();
}

} // namespace knvt
