#include "editors/KNVTTaskTableView.h"

#include "editors/KNVTTaskViewController.h"
#include "editors/KNVTTaskViewControllerDelegate.h"
#include "editors/TaskRowDelegate.h"

#include "uikit/RowListAccessible.h"
#include "uikit/SecondClickGuard.h"

#include <QResizeEvent>
#include <QScrollBar>
#include <QStyle>

KNVTTaskTableView::KNVTTaskTableView(QWidget *parent) : QListView(parent)
{
    knvt::RowListAccessible::install();
    setAccessibleName(tr("Task"));
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFlow(QListView::TopToBottom);
    setWrapping(false);
    setUniformItemSizes(false);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameShape(QFrame::NoFrame);
    setMouseTracking(true);
    // A comment's Edit or Delete may act and save at once, which can put another row under the pointer.
    knvt::SecondClickGuard::install(this, [this](const QModelIndex &row, const QPoint &position) {
        const auto *rows = qobject_cast<const knvt::TaskRowDelegate *>(itemDelegate());
        return rows && rows->controlAt(row, position - visualRect(row).topLeft()) != 0;
    });
}

bool KNVTTaskTableView::focusNextPrevChild(bool next)
{
    KNVTTaskViewControllerDelegate *delegate =
        m_taskViewController ? m_taskViewController->taskViewControllerDelegate() : nullptr;
    // Without a delegate (the task window) the focus moves on through the window, to its toolbar.
    if (!delegate)
        return QListView::focusNextPrevChild(next);
    if (next)
        delegate->taskViewControllerShouldInsertTab(m_taskViewController);
    else
        delegate->taskViewControllerShouldInsertBacktab(m_taskViewController);
    return true;
}

QStringList KNVTTaskTableView::accessibleActionNames(const QModelIndex &row) const
{
    QStringList names;
    if (const auto *rows = qobject_cast<const knvt::TaskRowDelegate *>(itemDelegate())) {
        for (const knvt::TaskRowDelegate::RowAction &action : rows->rowActions(row, visualRect(row).topLeft()))
            names.append(action.name);
    }
    return names;
}

void KNVTTaskTableView::performAccessibleAction(const QModelIndex &row, const QString &name)
{
    const auto *rows = qobject_cast<const knvt::TaskRowDelegate *>(itemDelegate());
    if (!rows)
        return;
    for (const knvt::TaskRowDelegate::RowAction &action : rows->rowActions(row, visualRect(row).topLeft())) {
        if (action.name == name && action.perform) {
            QMetaObject::invokeMethod(this, action.perform, Qt::QueuedConnection);
            return;
        }
    }
}

int KNVTTaskTableView::scrollBarWidthToCome() const
{
    const QScrollBar *bar = verticalScrollBar();
    if (verticalScrollBarPolicy() != Qt::ScrollBarAsNeeded
        || style()->styleHint(QStyle::SH_ScrollBar_Transient, nullptr, bar))
        return 0;
    // The viewport is as wide as the area inside the frame and margins only while the bar is away.
    const QMargins margins = viewportMargins();
    if (viewport()->width() < contentsRect().width() - margins.left() - margins.right())
        return 0;
    return bar->sizeHint().width();
}

void KNVTTaskTableView::resizeEvent(QResizeEvent *event)
{
    QListView::resizeEvent(event);
    // A list flowing top to bottom lays out again only when its height changes; the rows' heights follow the width.
    if (event->size().width() != event->oldSize().width())
        doItemsLayout();
}

void KNVTTaskTableView::rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end)
{
    m_selectionAfterRemoval.rowsAboutToBeRemoved(*this, parent, start, end);
    QListView::rowsAboutToBeRemoved(parent, start, end);
}
