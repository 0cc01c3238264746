#pragma once

#include <QAccessibleWidget>

namespace knvt {

class Popover;

// What assistive technology reads of a popover's window: the role and name of what it holds. A popover holding a
// form or another group of controls is a dialog; one holding a single element of its own kind (a list, a calendar)
// takes that element's role. The name is the content's accessible name, else its window title, else the popover's
// own name.
class PopoverAccessible : public QAccessibleWidget
{
public:
    explicit PopoverAccessible(Popover *popover);

    QAccessible::Role role() const override;
    QString text(QAccessible::Text t) const override;

    // Makes every knvt::Popover answer with this interface; the popover calls it when it is made.
    static void install();

private:
    Popover *popover() const;
};

} // namespace knvt
