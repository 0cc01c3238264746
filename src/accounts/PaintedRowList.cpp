#include "accounts/PaintedRowList.h"

#include "uikit/AccessibilityEvents.h"
#include "uikit/RowListAccessible.h"

#include <QAccessible>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMenu>

namespace knvt {

namespace {

bool isChecked(const QModelIndex &index)
{
    return index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
}

bool showsCheckBox(const QModelIndex &index)
{
    return index.data(Qt::CheckStateRole).isValid();
}

bool canTick(const QModelIndex &index)
{
    return showsCheckBox(index) && index.flags().testFlag(Qt::ItemIsUserCheckable)
        && index.flags().testFlag(Qt::ItemIsEnabled);
}

} // namespace

PaintedRowList::PaintedRowList(QWidget *parent) : QListView(parent)
{
    RowListAccessible::install();
    setObjectName(QStringLiteral("tableView"));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

PaintedRowList::~PaintedRowList() = default;

void PaintedRowList::setModel(QAbstractItemModel *model)
{
    if (QAbstractItemModel *old = this->model())
        disconnect(old, &QAbstractItemModel::dataChanged, this, &PaintedRowList::announceCheckStates);
    QListView::setModel(model);
    if (model)
        connect(model, &QAbstractItemModel::dataChanged, this, &PaintedRowList::announceCheckStates);
}

QStringList PaintedRowList::accessibleActionNames(const QModelIndex &row) const
{
    QStringList names;
    if (canTick(row))
        names << QAccessibleActionInterface::toggleAction();
    names << rowActions(row);
    return names;
}

void PaintedRowList::performAccessibleAction(const QModelIndex &row, const QString &name)
{
    if (name == QAccessibleActionInterface::toggleAction()) {
        if (canTick(row))
            model()->setData(row, isChecked(row) ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
        return;
    }
    const qsizetype action = rowActions(row).indexOf(name);
    if (action >= 0)
        triggerRowAction(row, int(action));
}

QStringList PaintedRowList::rowActions(const QModelIndex &index)
{
    return index.isValid() ? index.data(RowActionsRole).toStringList() : QStringList();
}

void PaintedRowList::triggerRowAction(const QModelIndex &index, int action)
{
    if (action < 0 || action >= rowActions(index).size() || !index.flags().testFlag(Qt::ItemIsEnabled))
        return;
    emit rowActionTriggered(index, action);
}

QMenu *PaintedRowList::makeRowActionMenu(const QModelIndex &index)
{
    const QStringList titles = rowActions(index);
    if (titles.isEmpty())
        return nullptr;
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("rowActionMenu"));
    const QPersistentModelIndex row(index);
    for (qsizetype i = 0; i < titles.size(); ++i) {
        QAction *action = menu->addAction(titles.at(i));
        connect(action, &QAction::triggered, this, [this, row, i] {
            if (row.isValid())
                triggerRowAction(row, int(i));
        });
    }
    return menu;
}

void PaintedRowList::openRowActionMenu(const QModelIndex &index, const QPoint &globalPosition)
{
    QMenu *menu = makeRowActionMenu(index);
    if (!menu)
        return;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(globalPosition);
}

void PaintedRowList::focusInEvent(QFocusEvent *event)
{
    // Marks the first row when none is, unless a click chose another.
    QListView::focusInEvent(event);
    // After the list's own focus event, which Qt sends once this returns.
    QMetaObject::invokeMethod(this, &PaintedRowList::announceCurrentRow, Qt::QueuedConnection);
}

void PaintedRowList::announceCurrentRow()
{
    AccessibilityEvents &events = AccessibilityEvents::shared();
    const QModelIndex current = currentIndex();
    if (!hasFocus() || !current.isValid() || !events.isListening())
        return;
    QAccessibleEvent focus(this, QAccessible::Focus);
    focus.setChild(current.row());
    events.post(&focus);
}

void PaintedRowList::keyPressEvent(QKeyEvent *event)
{
    const QModelIndex current = currentIndex();
    const QStringList actions = rowActions(current);
    const int key = event->key();
    const bool press = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
    if (!actions.isEmpty() && event->modifiers() == Qt::NoModifier && press) {
        if (actions.size() == 1)
            triggerRowAction(current, 0);
        else
            openRowActionMenu(current, viewport()->mapToGlobal(visualRect(current).center()));
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

void PaintedRowList::contextMenuEvent(QContextMenuEvent *event)
{
    // From the keyboard the menu belongs to the focused row; from the mouse to the row under the pointer.
    const QModelIndex index = event->reason() == QContextMenuEvent::Mouse ? indexAt(event->pos()) : currentIndex();
    if (rowActions(index).isEmpty()) {
        QListView::contextMenuEvent(event);
        return;
    }
    const QPoint at = event->reason() == QContextMenuEvent::Mouse ? event->globalPos()
                                                                  : viewport()->mapToGlobal(visualRect(index).center());
    openRowActionMenu(index, at);
    event->accept();
}

void PaintedRowList::announceCheckStates(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                                         const QList<int> &roles)
{
    AccessibilityEvents &events = AccessibilityEvents::shared();
    if (!events.isListening() || (!roles.isEmpty() && !roles.contains(Qt::CheckStateRole)))
        return;
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(this);
    for (int row = topLeft.row(); list && row <= bottomRight.row(); ++row) {
        QAccessibleInterface *interface = list->child(row);
        if (!interface || !showsCheckBox(model()->index(row, 0, rootIndex())))
            continue;
        QAccessible::State changed;
        changed.checked = true;
        QAccessibleStateChangeEvent event(interface, changed);
        events.post(&event);
    }
}

void PaintedRowList::rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end)
{
    m_selectionAfterRemoval.rowsAboutToBeRemoved(*this, parent, start, end);
    QListView::rowsAboutToBeRemoved(parent, start, end);
}

} // namespace knvt
