#include "uikit/ViewAdditions.h"

#include <QWidget>

namespace knvt {

namespace {

QList<QWidget *> childWidgets(const QWidget *view, const QWidget *except = nullptr)
{
    QList<QWidget *> widgets;
    for (QObject *child : view->children()) {
        auto *widget = qobject_cast<QWidget *>(child);
        if (widget != nullptr && widget != except && !widget->isWindow())
            widgets.append(widget);
    }
    return widgets;
}

void adopt(QWidget *view, QWidget *subview)
{
    if (subview->parentWidget() != view) {
        subview->setParent(view);
        subview->show();
    }
}

} // namespace

void removeSubviews(QWidget *view)
{
    for (QWidget *child : childWidgets(view)) {
        child->hide();
        child->setParent(nullptr);
        child->deleteLater();
    }
}

void bringSubviewToFront(QWidget *view, QWidget *subview)
{
    adopt(view, subview);
    subview->raise();
}

void sendSubviewToBack(QWidget *view, QWidget *subview)
{
    adopt(view, subview);
    subview->lower();
}

void insertSubview(QWidget *view, QWidget *subview, int index)
{
    adopt(view, subview);
    const QList<QWidget *> others = childWidgets(view, subview);
    if (index <= 0)
        subview->lower();
    else if (index >= others.size())
        subview->raise();
    else
        subview->stackUnder(others.at(index));
}

void frameAsSheet(QWidget *sheet)
{
    // Without CustomizeWindowHint the window manager is left to choose the buttons, and it offers all of them.
    sheet->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
}

} // namespace knvt
