#include "accounts/RowPainting.h"

#include "accounts/KNVTUserRowDelegate.h"
#include "accounts/PaintedRowList.h"

#include "uikit/SecondClickGuard.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QPen>
#include <QPolygonF>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>
#include <QStyleOptionViewItem>
#include <QWidget>

namespace knvt {

PaintedRowList *makeRowList(QAbstractItemModel *model, QStyledItemDelegate *delegate)
{
    auto *view = new PaintedRowList;
    view->setModel(model);
    view->setFrameShape(QFrame::NoFrame);
    delegate->setParent(view);
    view->setItemDelegate(delegate);
    // An answered invitation's row goes at once; the next row must not take the second click of a double click.
    SecondClickGuard::install(view);
    return view;
}

PaintedRowList *makePeopleListView(QAbstractItemModel *model, bool hasCheckBox)
{
    auto *view = new PaintedRowList;
    view->setModel(model);
    view->setItemDelegate(new KNVTUserRowDelegate(hasCheckBox, view));
    view->setUniformItemSizes(true);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setDragEnabled(true);
    view->setDragDropMode(QAbstractItemView::DragOnly);
    view->setDefaultDropAction(Qt::CopyAction);
    return view;
}

QColor secondaryTextColor(const QPalette &palette, bool selected)
{
    return palette.color(selected ? QPalette::HighlightedText : QPalette::PlaceholderText);
}

QColor meLabelFill(const QPalette &palette, bool selected)
{
    QColor fill = palette.color(selected ? QPalette::HighlightedText : QPalette::Mid);
    fill.setAlpha(selected ? 70 : 90);
    return fill;
}

void drawRowCheckBox(QPainter &painter, const QRectF &rect, bool checked, bool enabled, const QPalette &palette)
{
    const QPalette::ColorGroup group = enabled ? QPalette::Active : QPalette::Disabled;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = rect.adjusted(1.5, 1.5, -1.5, -1.5);
    if (checked) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(palette.color(group, enabled ? QPalette::Highlight : QPalette::Mid));
    } else {
        painter.setPen(QPen(palette.color(group, enabled ? QPalette::Mid : QPalette::Text), 1.5));
        painter.setBrush(palette.color(group, QPalette::Base));
    }
    painter.drawRoundedRect(box, 3.0, 3.0);
    if (checked) {
        QPen mark(palette.color(group, enabled ? QPalette::HighlightedText : QPalette::Base), 2.0);
        mark.setCapStyle(Qt::RoundCap);
        mark.setJoinStyle(Qt::RoundJoin);
        painter.setPen(mark);
        painter.setBrush(Qt::NoBrush);
        const QPolygonF tick{QPointF(box.left() + box.width() * 0.25, box.top() + box.height() * 0.52),
                             QPointF(box.left() + box.width() * 0.43, box.top() + box.height() * 0.72),
                             QPointF(box.left() + box.width() * 0.76, box.top() + box.height() * 0.30)};
        painter.drawPolyline(tick);
    }
    painter.restore();
}

void drawRowFocus(QPainter &painter, const QStyleOptionViewItem &option)
{
    if (!option.state.testFlag(QStyle::State_HasFocus))
        return;
    QStyleOptionFocusRect focus;
    focus.QStyleOption::operator=(option);
    focus.rect = option.rect.adjusted(1, 1, -1, -1);
    focus.state |= QStyle::State_KeyboardFocusChange | QStyle::State_Item;
    focus.backgroundColor = option.palette.color(QPalette::Base);
    QStyle *style = option.widget ? option.widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, option.widget);
}

void drawRowButton(QPainter &painter, const QRectF &rect, const QString &title, bool pressed, const QWidget *widget,
                   bool enabled)
{
    QStyleOptionButton option;
    option.rect = rect.toRect();
    option.text = title;
    option.state = (enabled ? QStyle::State_Enabled : QStyle::State_None)
        | (pressed && enabled ? QStyle::State_Sunken : QStyle::State_Raised);
    if (widget) {
        option.palette = widget->palette();
        option.fontMetrics = widget->fontMetrics();
    }
    if (!enabled)
        option.palette.setCurrentColorGroup(QPalette::Disabled);
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
