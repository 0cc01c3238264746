#include "accounts/RowPainting.h"

#include "accounts/KNVTUserRowDelegate.h"

#include <QApplication>
#include <QListView>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTreeView>
#include <QWidget>

namespace knvt {

QTreeView *makeRowTreeView(QAbstractItemModel *model, QStyledItemDelegate *delegate)
{
    auto *view = new QTreeView;
    view->setObjectName(QStringLiteral("tableView"));
    view->setModel(model);
    view->setHeaderHidden(true);
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setUniformRowHeights(false);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setFrameShape(QFrame::NoFrame);
    delegate->setParent(view);
    view->setItemDelegate(delegate);
    return view;
}

QListView *makePeopleListView(QAbstractItemModel *model, bool hasCheckBox)
{
    auto *view = new QListView;
    view->setObjectName(QStringLiteral("tableView"));
    view->setModel(model);
    view->setItemDelegate(new KNVTUserRowDelegate(hasCheckBox, view));
    view->setUniformItemSizes(true);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setDragEnabled(true);
    view->setDragDropMode(QAbstractItemView::DragOnly);
    view->setDefaultDropAction(Qt::CopyAction);
    return view;
}

void drawRowButton(QPainter &painter, const QRectF &rect, const QString &title, bool pressed, const QWidget *widget)
{
    QStyleOptionButton option;
    option.rect = rect.toRect();
    option.text = title;
    option.state = QStyle::State_Enabled | (pressed ? QStyle::State_Sunken : QStyle::State_Raised);
    if (widget) {
        option.palette = widget->palette();
        option.fontMetrics = widget->fontMetrics();
    }
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_PushButton, &option, &painter, widget);
}

std::optional<int> RowButtonTracker::handle(const QEvent *event, const QModelIndex &index,
                                            const std::vector<QRectF> &rects, bool *consumed)
{
    *consumed = false;
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease && type != QEvent::MouseButtonDblClick)
        return std::nullopt;
    const auto *mouse = static_cast<const QMouseEvent *>(event);
    int hit = -1;
    for (size_t i = 0; i < rects.size(); ++i) {
        if (rects[i].contains(mouse->position()))
            hit = int(i);
    }
    if (type == QEvent::MouseButtonRelease) {
        const bool click = hit >= 0 && m_button == hit && m_index == QPersistentModelIndex(index);
        *consumed = m_button >= 0 || hit >= 0;
        m_index = QPersistentModelIndex();
        m_button = -1;
        return click ? std::optional<int>(hit) : std::nullopt;
    }
    if (hit < 0 || mouse->button() != Qt::LeftButton)
        return std::nullopt;
    *consumed = true;
    m_index = QPersistentModelIndex(index);
    m_button = hit;
    return std::nullopt;
}

bool RowButtonTracker::isPressed(const QModelIndex &index, int button) const
{
    return m_button == button && m_index.isValid() && m_index == QPersistentModelIndex(index);
}

} // namespace knvt
