#pragma once

#include <QAccessibleWidget>

class QAbstractButton;

namespace knvt {

// What assistive technology reads of a painted button that is on or off: a check box named by its accessible name,
// its label or its tool tip, else by what the kind of button is called; toggling it clicks it, as the mouse does, so
// that its owner hears the change. Nothing can be done with a disabled one.
class ToggleButtonAccessible : public QAccessibleWidget
{
public:
    explicit ToggleButtonAccessible(QAbstractButton *button);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;

protected:
    QAbstractButton *button() const;
    // The name read when the button has no accessible name, label or tool tip.
    virtual QString fallbackName() const = 0;
};

} // namespace knvt
