#pragma once

#include <QObject>

namespace knvt {

// Shift+F10 opens the context menu of the control with the keyboard focus, as the Menu key does: keyboards without a
// Menu key have no other way to it. The window system turns only the Menu key itself into a context-menu request, so
// this filter, installed on the application while it lives, makes the same request, at the same place (the focused
// row of a list, the cursor of a field).
class ContextMenuKey : public QObject
{
    Q_OBJECT

public:
    explicit ContextMenuKey(QObject *parent = nullptr);
    ~ContextMenuKey() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

} // namespace knvt
