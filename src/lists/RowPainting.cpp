#include "lists/RowPainting.h"

#include "uikit/KNVTCheckBox.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace knvt {

bool isEmphasized(const QStyleOptionViewItem &option)
{
    return option.state.testFlag(QStyle::State_Selected) && option.state.testFlag(QStyle::State_Active);
}

void drawRowBackground(QPainter &painter, const QStyleOptionViewItem &option, const QColor &backgroundColor)
{
    if (option.state.testFlag(QStyle::State_Selected)) {
        const QPalette::ColorGroup group =
            option.state.testFlag(QStyle::State_Active) ? QPalette::Active : QPalette::Inactive;
        painter.fillRect(option.rect, option.palette.brush(group, QPalette::Highlight));
    } else if (backgroundColor.isValid()) {
        painter.fillRect(option.rect, backgroundColor);
    }
}

void drawRowFocus(QPainter &painter, const QStyleOptionViewItem &option)
{
    if (!option.state.testFlag(QStyle::State_HasFocus))
        return;
    QStyleOptionFocusRect focus;
    focus.QStyleOption::operator=(option);
    focus.state |= QStyle::State_KeyboardFocusChange;
    const QPalette::ColorGroup group =
        option.state.testFlag(QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
    focus.backgroundColor = option.palette.color(
        group, option.state.testFlag(QStyle::State_Selected) ? QPalette::Highlight : QPalette::Base);
    const QWidget *widget = option.widget;
    QStyle *style = widget ? widget->style() : QApplication::style();
    style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, widget);
}

void drawRowCheckBox(QPainter &painter, const QStyleOptionViewItem &option, const QRectF &frame, int state,
                     const QColor &tintColor, bool enabled)
{
    if (!isEmphasized(option)) {
        KNVTCheckBox::draw(painter, frame, state, tintColor, !enabled);
        return;
    }
    QColor white(Qt::white);
    if (!enabled)
        white.setAlphaF(0.55f);
    KNVTCheckBox::draw(painter, frame, state, white, false,
                       option.palette.color(QPalette::Active, QPalette::Highlight));
}

bool handleRowButtonEvent(QEvent *event, const QRectF &buttonRect, const std::function<void()> &clicked)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease && type != QEvent::MouseButtonDblClick)
        return false;
    const auto *mouse = static_cast<QMouseEvent *>(event);
    if (mouse->button() != Qt::LeftButton || !buttonRect.contains(mouse->position()))
        return false;
    if (type == QEvent::MouseButtonRelease && clicked)
        clicked();
    return true;
}

} // namespace knvt
