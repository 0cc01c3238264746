#include "uikit/PopoverAccessible.h"

#include "uikit/AccessibleFactory.h"
#include "uikit/Popover.h"

namespace knvt {

namespace {

bool isContainer(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::NoRole:
    case QAccessible::Client:
    case QAccessible::Grouping:
    case QAccessible::Pane:
    case QAccessible::Window:
    case QAccessible::Dialog:
    case QAccessible::Border:
    case QAccessible::Separator: return true;
    default: return false;
    }
}

} // namespace

PopoverAccessible::PopoverAccessible(Popover *popover) : QAccessibleWidget(popover, QAccessible::Dialog) {}

Popover *PopoverAccessible::popover() const
{
    return static_cast<Popover *>(widget());
}

QAccessible::Role PopoverAccessible::role() const
{
    if (QWidget *content = popover()->contentWidget()) {
        if (QAccessibleInterface *inner = QAccessible::queryAccessibleInterface(content)) {
            if (!isContainer(inner->role()))
                return inner->role();
        }
    }
    return QAccessible::Dialog;
}

QString PopoverAccessible::text(QAccessible::Text t) const
{
    if (t != QAccessible::Name)
        return QAccessibleWidget::text(t);
    if (QWidget *content = popover()->contentWidget()) {
        if (!content->accessibleName().isEmpty())
            return content->accessibleName();
        if (!content->windowTitle().isEmpty())
            return content->windowTitle();
    }
    return QAccessibleWidget::text(t);
}

void PopoverAccessible::install()
{
    installAccessibleFactory<PopoverAccessible, Popover>();
}

} // namespace knvt
