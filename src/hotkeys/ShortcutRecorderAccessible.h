#pragma once

#include <QAccessibleWidget>

class KNVTShortcutRecorderControl;

namespace knvt {

// What assistive technology reads of the shortcut recorder: its name (the control's accessible name, else
// "Shortcut"), the recorded shortcut in the desktop's key names as its value and at the start of its description
// (Qt 6.4's AT-SPI bridge carries no value for a button), and whether it is recording as the checked state of a
// toggle button, described in words.
class ShortcutRecorderAccessible : public QAccessibleWidget
{
public:
    explicit ShortcutRecorderAccessible(KNVTShortcutRecorderControl *recorder);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;

    // Makes Qt's accessibility create this interface for every recorder; idempotent.
    static void install();

private:
    KNVTShortcutRecorderControl *recorder() const;
};

} // namespace knvt
