#include "uikit/ContextMenuKey.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QWidget>

namespace knvt {

ContextMenuKey::ContextMenuKey(QObject *parent) : QObject(parent)
{
    if (qApp)
        qApp->installEventFilter(this);
}

ContextMenuKey::~ContextMenuKey()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

bool ContextMenuKey::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() != Qt::Key_F10 || (key->modifiers() & ~Qt::KeypadModifier) != Qt::ShiftModifier)
        return false;
    // A key goes first to the widget with the focus, then up its parents; only that first delivery asks.
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget != QApplication::focusWidget() || !widget->isEnabled())
        return false;
    // Where the window system puts the Menu key's request: the widget's cursor, which an item view answers with
    // its current row.
    QPoint at = widget->inputMethodQuery(Qt::ImCursorRectangle).toRect().center();
    if (!widget->rect().contains(at))
        at = widget->rect().center();
    QContextMenuEvent request(QContextMenuEvent::Keyboard, at, widget->mapToGlobal(at), key->modifiers());
    QCoreApplication::sendEvent(widget, &request);
    return true;
}

} // namespace knvt
