#include "editors/KNVTTaskTableView.h"

#include "editors/KNVTTaskViewController.h"
#include "editors/KNVTTaskViewControllerDelegate.h"

#include <QResizeEvent>

KNVTTaskTableView::KNVTTaskTableView(QWidget *parent) : QListView(parent)
{
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFlow(QListView::TopToBottom);
    setWrapping(false);
    setUniformItemSizes(false);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFrameShape(QFrame::NoFrame);
    setMouseTracking(true);
}

bool KNVTTaskTableView::focusNextPrevChild(bool next)
{
    // Without a delegate (the task window) Tab and Back-Tab do nothing here.
    if (m_taskViewController) {
        if (KNVTTaskViewControllerDelegate *delegate = m_taskViewController->taskViewControllerDelegate()) {
            if (next)
                delegate->taskViewControllerShouldInsertTab(m_taskViewController);
            else
                delegate->taskViewControllerShouldInsertBacktab(m_taskViewController);
        }
    }
    return true;
}

void KNVTTaskTableView::resizeEvent(QResizeEvent *event)
{
    QListView::resizeEvent(event);
    // A list flowing top to bottom lays out again only when its height changes; the rows' heights follow the width.
    if (event->size().width() != event->oldSize().width())
        doItemsLayout();
}
