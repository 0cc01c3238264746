#include "lists/KNVTTaskStoreItemsOutlineView.h"

#include "lists/ItemViewAccessible.h"
#include "lists/ItemViews.h"
#include "lists/KNVTTaskStoreItemsOutlineViewController.h"

#include "model/ObjectReferencePayload.h"

#include <QContextMenuEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>

KNVTTaskStoreItemsOutlineView::KNVTTaskStoreItemsOutlineView(QWidget *parent) : QTreeView(parent)
{
    setObjectName(QStringLiteral("outlineView"));
    knvt::setUpItemView(this);
    knvt::ItemViewAccessible::install();
    setExpandsOnDoubleClick(false);
    setIndentation(0);
    setAcceptDrops(true);
    // The view draws the retargeted drop itself.
    setDropIndicatorShown(false);
}

void KNVTTaskStoreItemsOutlineView::updateGeometries()
{
    if (!m_sectionRowsShareHeight || !model() || !itemDelegate()) {
        QTreeView::updateGeometries();
        return;
    }
    // What QTreeView does, with the heights of the rows read once per section. Its header is hidden, yet its width
    // is the column's, so it still follows the viewport.
    if (m_updatingGeometries)
        return;
    m_updatingGeometries = true;
    setViewportMargins(0, 0, 0, 0);
    const QRect area = viewport()->geometry();
    header()->setGeometry(area.left(), area.top(), area.width(), 0);
    QMetaObject::invokeMethod(header(), "updateGeometries");
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect.setWidth(-1);
    const auto heightOf = [this, &option](const QModelIndex &index) {
        return std::max(itemDelegateForIndex(index)->sizeHint(option, index).height(), 0);
    };
    struct Run
    {
        int height;
        qint64 count;
    };
    std::vector<Run> runs;
    qint64 contentsHeight = 0;
    const QModelIndex root = rootIndex();
    for (int section = 0, sections = model()->rowCount(root); section < sections; ++section) {
        const QModelIndex index = model()->index(section, 0, root);
        runs.push_back({heightOf(index), 1});
        const int rows = isExpanded(index) ? model()->rowCount(index) : 0;
        if (rows > 0)
            runs.push_back({heightOf(model()->index(0, 0, index)), rows});
    }
    for (const Run &run : runs)
        contentsHeight += run.height * run.count;
    // The rows that fit at the end of the list set the scroll step, as they do in QTreeView.
    const int viewportHeight = viewport()->height();
    qint64 filled = 0;
    qint64 itemsInViewport = 0;
    for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
        const qint64 fit = run->height > 0 ? std::min(run->count, (viewportHeight - filled) / run->height) : run->count;
        filled += fit * run->height;
        itemsInViewport += fit;
        if (fit < run->count)
            break;
    }
    verticalScrollBar()->setRange(0, int(std::max<qint64>(0, contentsHeight - viewportHeight)));
    verticalScrollBar()->setPageStep(viewportHeight);
    verticalScrollBar()->setSingleStep(std::max(viewportHeight / int(itemsInViewport + 1), 2));
    horizontalScrollBar()->setRange(0, std::max(0, header()->length() - area.width()));
    horizontalScrollBar()->setPageStep(area.width());
    m_updatingGeometries = false;
    QAbstractItemView::updateGeometries();
}

void KNVTTaskStoreItemsOutlineView::setTaskStoreItemsOutlineViewController(
    KNVTTaskStoreItemsOutlineViewController *controller)
{
    m_controller = controller;
}

QString KNVTTaskStoreItemsOutlineView::accessibleListName() const
{
    return m_controller ? m_controller->listTitle() : QString();
}

QStringList KNVTTaskStoreItemsOutlineView::accessibleActionNames(const QModelIndex &row) const
{
    return knvt::rowActionNames(row);
}

void KNVTTaskStoreItemsOutlineView::performAccessibleAction(const QModelIndex &row, const QString &name)
{
    knvt::performRowAction(m_controller, row, name);
}

QModelIndex KNVTTaskStoreItemsOutlineView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    const bool downwards = cursorAction == MoveDown || cursorAction == MovePageDown || cursorAction == MoveHome
        || cursorAction == MoveNext;
    return knvt::itemRowForCursor(this, downwards, QTreeView::moveCursor(cursorAction, modifiers));
}

void KNVTTaskStoreItemsOutlineView::dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                                                const QList<int> &roles)
{
    knvt::tellChangedRowsOnScreen(this, topLeft, bottomRight,
                                  [this, &roles](const QModelIndex &first, const QModelIndex &last) {
                                      QTreeView::dataChanged(first, last, roles);
                                  });
}

bool KNVTTaskStoreItemsOutlineView::focusNextPrevChild(bool next)
{
    // Tab never reaches keyPressEvent of an item view; the host decides where the focus goes.
    return knvt::moveFocusOutOfItemView(m_controller, next) || QTreeView::focusNextPrevChild(next);
}

void KNVTTaskStoreItemsOutlineView::keyPressEvent(QKeyEvent *event)
{
    if (knvt::handleItemViewKey(m_controller, event, this))
        return;
    QTreeView::keyPressEvent(event);
    knvt::selectRowAfterJump(this, event);
}

void KNVTTaskStoreItemsOutlineView::contextMenuEvent(QContextMenuEvent *event)
{
    knvt::showItemViewContextMenu(m_controller, this, event->globalPos());
}

// ---- Drops ----

void KNVTTaskStoreItemsOutlineView::proposedDrop(const QPoint &position, QModelIndex *item, int *childIndex) const
{
    *item = QModelIndex();
    *childIndex = -1;
    const QModelIndex index = indexAt(position);
    if (!index.isValid())
        return;
    const QRect rect = visualRect(index);
    // The band at the top and bottom of a row that means "between the rows", as item views measure it.
    const int margin = qBound(2, qRound(qreal(rect.height()) / 5.5), 12);
    const QModelIndex parentIndex = index.parent();
    if (!parentIndex.isValid() || (position.y() - rect.top() >= margin && rect.bottom() - position.y() >= margin)) {
        *item = index;
        return;
    }
    *item = parentIndex;
    *childIndex = position.y() - rect.top() < margin ? index.row() : index.row() + 1;
}

bool KNVTTaskStoreItemsOutlineView::validate(const QMimeData &mime, const QPoint &position, bool fromThisProcess,
                                             QModelIndex *item, int *childIndex)
{
    if (!m_controller)
        return false;
    QModelIndex proposed;
    int proposedChild = -1;
    proposedDrop(position, &proposed, &proposedChild);
    const KNVTTaskStoreItemsOutlineViewController::DropValidation validation =
        m_controller->validateDrop(mime, proposed, proposedChild, fromThisProcess);
    *item = validation.item;
    *childIndex = validation.childIndex;
    return validation.operation == Qt::MoveAction;
}

void KNVTTaskStoreItemsOutlineView::dragEnterEvent(QDragEnterEvent *event)
{
    // Only this program's object drags can change anything here.
    if (m_controller && knvt::ObjectReferencePayload::hasPayload(*event->mimeData()) && event->source() != nullptr)
        event->acceptProposedAction();
    else
        event->ignore();
}

void KNVTTaskStoreItemsOutlineView::dragMoveEvent(QDragMoveEvent *event)
{
    QModelIndex item;
    int childIndex = -1;
    const QPoint position = event->position().toPoint();
    if (validate(*event->mimeData(), position, event->source() != nullptr, &item, &childIndex)) {
        setDropIndicator(item, childIndex);
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        setDropIndicator(QModelIndex(), -1);
        event->ignore();
    }
    startAutoScroll();
}

void KNVTTaskStoreItemsOutlineView::dragLeaveEvent(QDragLeaveEvent *event)
{
    setDropIndicator(QModelIndex(), -1);
    stopAutoScroll();
    event->accept();
}

void KNVTTaskStoreItemsOutlineView::dropEvent(QDropEvent *event)
{
    setDropIndicator(QModelIndex(), -1);
    stopAutoScroll();
    QModelIndex item;
    int childIndex = -1;
    const bool fromThisProcess = event->source() != nullptr;
    if (m_controller && validate(*event->mimeData(), event->position().toPoint(), fromThisProcess, &item, &childIndex)
        && m_controller->acceptDrop(*event->mimeData(), item, childIndex, fromThisProcess)) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void KNVTTaskStoreItemsOutlineView::setDropIndicator(const QModelIndex &item, int childIndex)
{
    if (QPersistentModelIndex(item) == m_dropItem && childIndex == m_dropChildIndex)
        return;
    m_dropItem = item;
    m_dropChildIndex = childIndex;
    viewport()->update();
}

QRect KNVTTaskStoreItemsOutlineView::dropIndicatorRect() const
{
    if (!m_dropItem.isValid())
        return {};
    const QModelIndex item = m_dropItem;
    const int children = model()->rowCount(item);
    const QRect own = visualRect(item);
    if (m_dropChildIndex < 0) {
        // Onto a row, or onto a section with every row under it.
        QRect frame = own;
        if (children > 0)
            frame = frame.united(visualRect(model()->index(children - 1, 0, item)));
        return frame.adjusted(1, 1, -1, -1);
    }
    // Between rows: a line at the top of the child that would follow, or under the last one.
    int y = own.bottom() + 1;
    if (m_dropChildIndex < children)
        y = visualRect(model()->index(m_dropChildIndex, 0, item)).top();
    else if (children > 0)
        y = visualRect(model()->index(children - 1, 0, item)).bottom() + 1;
    return QRect(0, y - 1, viewport()->width(), 2);
}

void KNVTTaskStoreItemsOutlineView::paintEvent(QPaintEvent *event)
{
    QTreeView::paintEvent(event);
    const QRect rect = dropIndicatorRect();
    if (rect.isNull())
        return;
    QPainter painter(viewport());
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor color = palette().color(QPalette::Highlight);
    if (m_dropChildIndex < 0) {
        painter.setPen(QPen(color, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect), 4, 4);
    } else {
        painter.fillRect(rect, color);
        painter.setBrush(palette().color(QPalette::Base));
        painter.setPen(QPen(color, 2));
        painter.drawEllipse(QPointF(rect.left() + 6, rect.center().y() + 0.5), 3.5, 3.5);
    }
}

void KNVTTaskStoreItemsOutlineView::rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end)
{
    m_selectionAfterRemoval.rowsAboutToBeRemoved(*this, parent, start, end);
    QTreeView::rowsAboutToBeRemoved(parent, start, end);
}
