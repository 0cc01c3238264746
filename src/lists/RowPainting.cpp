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

QColor blendedColor(const QColor &from, const QColor &to, qreal amount)
{
    auto mix = [amount](int a, int b) { return qRound(a + (b - a) * amount); };
    return QColor(mix(from.red(), to.red()), mix(from.green(), to.green()), mix(from.blue(), to.blue()),
                  mix(from.alpha(), to.alpha()));
}

QColor rowTextColor(const QPalette &palette, bool emphasized)
{
    return palette.color(emphasized ? QPalette::HighlightedText : QPalette::Text);
}

QColor secondaryRowTextColor(const QPalette &palette)
{
    return blendedColor(palette.color(QPalette::Text), palette.color(QPalette::Base), 0.55);
}

QColor dimRowTextColor(const QPalette &palette)
{
    return blendedColor(palette.color(QPalette::Text), palette.color(QPalette::Base), 0.5);
}

QColor ownColourOnRow(const QStyleOptionViewItem &option, const QColor &own, const QColor &onHighlight)
{
    return option.state.testFlag(QStyle::State_Selected) ? onHighlight : own;
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

void drawRowFocus(QPainter &painter, const QStyleOptionViewItem &option, bool selectedOnly)
{
    if (!option.state.testFlag(QStyle::State_HasFocus))
        return;
    if (option.state.testFlag(QStyle::State_Selected)) {
        QColor frame = option.palette.color(QPalette::HighlightedText);
        frame.setAlphaF(0.8f);
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(frame, 1.0, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(option.rect).adjusted(2.5, 2.5, -2.5, -2.5), 2.0, 2.0);
        painter.restore();
        return;
    }
    if (selectedOnly)
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
    QColor onHighlight = option.palette.color(QPalette::Active, QPalette::HighlightedText);
    if (!enabled)
        onHighlight.setAlphaF(0.55f);
    KNVTCheckBox::draw(painter, frame, state, onHighlight, false,
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
