#include "app/KNVTHomeOutlineView.h"

#include "app/HomeModel.h"
#include "app/KNVTHomeSectionType.h"
#include "app/KNVTHomeViewController.h"

#include "lists/ItemViewAccessible.h"
#include "lists/ItemViews.h"

#include "uikit/ActionSet.h"
#include "uikit/ItemDataRole.h"
#include "uikit/KNVTSourceListTableCellView.h"

#include <algorithm>

#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QDrag>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>

KNVTHomeOutlineView::KNVTHomeOutlineView(QWidget *parent) : QTreeView(parent)
{
    setObjectName(QStringLiteral("outlineView"));
    setHeaderHidden(true);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformRowHeights(true);
    setIndentation(12);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    setFrameShape(QFrame::NoFrame);
    setExpandsOnDoubleClick(false);
    setMouseTracking(true);
    knvt::ItemViewAccessible::install();
}

QString KNVTHomeOutlineView::accessibleListName() const
{
    return tr("Home");
}

bool KNVTHomeOutlineView::isRowCollapsible(const QModelIndex &index) const
{
    if (index.parent().isValid() || !m_controller)
        return true;
    const auto *section = m_controller->model()->sectionAt(index);
    return section == nullptr || section->isCollapsible();
}

QStringList KNVTHomeOutlineView::accessibleActionNames(const QModelIndex &row) const
{
    if (!row.data(KNVTSourceListTableCellView::ShowsSharedIconButtonRole).toBool())
        return {};
    return {knvt::ActionSet::title(knvt::Command::Share)};
}

void KNVTHomeOutlineView::performAccessibleAction(const QModelIndex &row, const QString &name)
{
    if (m_controller && accessibleActionNames(row).contains(name))
        m_controller->shareItem(row.data(knvt::ObjectUriRole).toUrl());
}

QModelIndex KNVTHomeOutlineView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex proposed = QTreeView::moveCursor(cursorAction, modifiers);
    switch (cursorAction) {
    case MoveUp:
    case MovePageUp:
    case MoveEnd: return knvt::itemRowForCursor(this, false, proposed);
    case MoveDown:
    case MovePageDown:
    case MoveHome: return knvt::itemRowForCursor(this, true, proposed);
    default: return proposed;
    }
}

bool KNVTHomeOutlineView::focusNextPrevChild(bool next)
{
    if (!m_controller)
        return QTreeView::focusNextPrevChild(next);
    m_controller->insertTab(next);
    return true;
}

void KNVTHomeOutlineView::mousePressEvent(QMouseEvent *event)
{
    // Decided before the press changes the selection.
    const QModelIndex index = indexAt(event->position().toPoint());
    const QModelIndexList selected = selectionModel()->selectedRows();
    m_pressedChosenEntry = index.isValid() && selected.size() == 1 && selected.front() == index;
    m_pressedUnchosenEntry = QPersistentModelIndex();
    m_pressPosition = event->position().toPoint();
    QTreeView::mousePressEvent(event);
}

void KNVTHomeOutlineView::mouseMoveEvent(QMouseEvent *event)
{
    // The view would start a drag only of what is chosen, and otherwise choose the rows the pointer sweeps over.
    if (!m_pressedUnchosenEntry.isValid() || !(event->buttons() & Qt::LeftButton)) {
        QTreeView::mouseMoveEvent(event);
        return;
    }
    if ((event->position().toPoint() - m_pressPosition).manhattanLength() < QApplication::startDragDistance())
        return;
    startDrag(model()->supportedDragActions());
    setState(NoState);
}

void KNVTHomeOutlineView::startDrag(Qt::DropActions supportedActions)
{
    const QModelIndex pressed = m_pressedUnchosenEntry;
    m_pressedUnchosenEntry = QPersistentModelIndex();
    if (!pressed.isValid()) {
        QTreeView::startDrag(supportedActions);
        return;
    }
    QMimeData *written = model()->mimeData({pressed});
    if (!written)
        return;
    auto *drag = new QDrag(this);
    drag->setMimeData(written);
    const QRect rect = visualRect(pressed);
    drag->setPixmap(viewport()->grab(rect));
    drag->setHotSpot(viewport()->mapFromGlobal(QCursor::pos()) - rect.topLeft());
    drag->exec(supportedActions, defaultDropAction());
}

void KNVTHomeOutlineView::keyPressEvent(QKeyEvent *event)
{
    if (!m_controller) {
        QTreeView::keyPressEvent(event);
        return;
    }
    // Get Info (Ctrl+I), Edit (Return) and Delete (Ctrl+Backspace) are the window's actions, which act on this list
    // while it has the focus.
    const bool ctrl = event->modifiers().testFlag(Qt::ControlModifier);
    switch (event->key()) {
    case Qt::Key_Backtab: m_controller->insertTab(false); return;
    case Qt::Key_Tab: m_controller->insertTab(!event->modifiers().testFlag(Qt::ShiftModifier)); return;
    case Qt::Key_Space:
        if (ctrl)
            return;
        break;
    default: break;
    }
    QTreeView::keyPressEvent(event);
}

void KNVTHomeOutlineView::contextMenuEvent(QContextMenuEvent *event)
{
    if (!m_controller)
        return;
    // The menu always describes the selected entry, not the row under the pointer.
    if (QMenu *menu = m_controller->menuForEvent(this)) {
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(event->globalPos());
    }
}

void KNVTHomeOutlineView::drawBranches(QPainter *painter, const QRect &rect, const QModelIndex &index) const
{
    // The Focus section cannot be collapsed, so it shows no disclosure control.
    if (!isRowCollapsible(index))
        return;
    QTreeView::drawBranches(painter, rect, index);
}

QItemSelectionModel::SelectionFlags KNVTHomeOutlineView::selectionCommand(const QModelIndex &index,
                                                                          const QEvent *event) const
{
    if (index.isValid() && !(model()->flags(index) & Qt::ItemIsSelectable))
        return QItemSelectionModel::NoUpdate;
    // One entry at a time, except tags: Shift or Control adds a tag to tags already chosen (their common tasks are
    // shown), and adds nothing to any other choice.
    if (event && event->isInputEvent()) {
        const auto *input = static_cast<const QInputEvent *>(event);
        if (input->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier)) {
            const QModelIndexList selected = selectionModel()->selectedRows();
            const bool tagsOnly = isTagRow(index)
                && std::all_of(selected.begin(), selected.end(),
                               [this](const QModelIndex &row) { return isTagRow(row); });
            if (!tagsOnly)
                return QItemSelectionModel::NoUpdate;
        }
    }
    if (event && (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease)) {
        const auto *mouse = static_cast<const QMouseEvent *>(event);
        const bool plainLeft =
            mouse->button() == Qt::LeftButton && !(mouse->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier));
        if (event->type() == QEvent::MouseButtonPress && plainLeft && index.isValid()
            && (model()->flags(index) & Qt::ItemIsDragEnabled) && !selectionModel()->isSelected(index)) {
            m_pressedUnchosenEntry = index;
            return QItemSelectionModel::NoUpdate;
        }
        if (event->type() == QEvent::MouseButtonRelease && m_pressedUnchosenEntry.isValid()) {
            const bool sameEntry = plainLeft && index == QModelIndex(m_pressedUnchosenEntry);
            m_pressedUnchosenEntry = QPersistentModelIndex();
            return sameEntry ? QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows
                             : QItemSelectionModel::NoUpdate;
        }
    }
    return QTreeView::selectionCommand(index, event);
}

bool KNVTHomeOutlineView::isTagRow(const QModelIndex &index) const
{
    const auto *home = qobject_cast<const knvt::HomeModel *>(model());
    if (!home)
        return false;
    const std::optional<knvt::HomeEntry> entry = home->entryAt(index);
    return entry && entry->kind == knvt::HomeEntry::Kind::Tag;
}

std::pair<QModelIndex, int> KNVTHomeOutlineView::dropTarget(const QPoint &position) const
{
    const QModelIndex index = indexAt(position);
    if (!index.isValid())
        return {QModelIndex(), -1};
    const QRect rect = visualRect(index);
    const bool isSection = !index.parent().isValid();
    if (isSection)
        return {index, -1};
    // Near the top or bottom edge of a row: between rows of its section; in the middle: onto the row.
    const int margin = rect.height() / 4;
    if (position.y() < rect.top() + margin)
        return {index.parent(), index.row()};
    if (position.y() > rect.bottom() - margin)
        return {index.parent(), index.row() + 1};
    return {index, -1};
}

void KNVTHomeOutlineView::dragEnterEvent(QDragEnterEvent *event)
{
    if (m_controller && event->mimeData()->hasFormat(QStringLiteral("KNVTTastStoreManagedObjectDragAndDropUTI")))
        event->acceptProposedAction();
    else
        event->ignore();
}

void KNVTHomeOutlineView::dragMoveEvent(QDragMoveEvent *event)
{
    if (!m_controller) {
        event->ignore();
        return;
    }
    const auto [target, childIndex] = dropTarget(event->position().toPoint());
    if (m_controller->validateDrop(*event->mimeData(), target, childIndex, event->source() != nullptr)
        == Qt::MoveAction) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void KNVTHomeOutlineView::dropEvent(QDropEvent *event)
{
    if (!m_controller) {
        event->ignore();
        return;
    }
    const auto [target, childIndex] = dropTarget(event->position().toPoint());
    if (m_controller->acceptDrop(*event->mimeData(), target, childIndex, event->source() != nullptr)) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void KNVTHomeOutlineView::rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end)
{
    m_selectionAfterRemoval.rowsAboutToBeRemoved(*this, parent, start, end);
    QTreeView::rowsAboutToBeRemoved(parent, start, end);
}
