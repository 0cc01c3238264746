#include "uikit/KNVTCheckBox.h"

#include "uikit/BezierPathAdditions.h"
#include "uikit/CheckBoxAccessible.h"
#include "uikit/ColorAdditions.h"

#include <QAccessible>
#include <QEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <numbers>

namespace {

// The icons are drawn on their side and turned a quarter of a right angle into place.
constexpr qreal kIconAngle = -std::numbers::pi / 4.0;

QPainterPath iconOutline(std::initializer_list<QPointF> points, qreal radius, qreal translateX, qreal translateY)
{
    QPainterPath outline;
    bool first = true;
    for (const QPointF &point : points) {
        if (first)
            outline.moveTo(point);
        else
            outline.lineTo(point);
        first = false;
    }
    outline.closeSubpath();
    const QTransform transform(std::cos(kIconAngle), std::sin(kIconAngle), -std::sin(kIconAngle), std::cos(kIconAngle),
                               translateX * radius, translateY * radius);
    return knvt::CGPath(transform.map(outline));
}

QPainterPath capsule(const QRectF &rect, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

} // namespace

KNVTCheckBox::KNVTCheckBox(QWidget *parent) : QAbstractButton(parent), m_tintColor(knvt::defaultTintColor())
{
    knvt::CheckBoxAccessible::install();
    setText(QString());
    resize(sizeHint());
    updateView();
}

QColor KNVTCheckBox::lightGrayColor()
{
    return QColor::fromRgbF(2.0f / 3.0f, 2.0f / 3.0f, 2.0f / 3.0f, 1.0f);
}

void KNVTCheckBox::setCheckBoxState(int state)
{
    const int before = m_state;
    m_state = state;
    updateView();
    if (before != state) {
        QAccessible::State changed;
        changed.checked = true;
        changed.checkStateMixed = true;
        QAccessibleStateChangeEvent event(this, changed);
        QAccessible::updateAccessibility(&event);
    }
}

void KNVTCheckBox::setTintColor(const QColor &color)
{
    m_tintColor = color;
    updateView();
}

void KNVTCheckBox::setContentEdgeInsets(const QMarginsF &insets)
{
    m_contentEdgeInsets = insets;
    updateView();
}

QSize KNVTCheckBox::sizeHint() const
{
    return QSize(20, 20);
}

QPainterPath KNVTCheckBox::tickPath(qreal radius)
{
    const qreal d = 0.3 * radius;
    // An L whose long arm becomes the rising stroke of the tick.
    return iconOutline({{0, 0}, {0, 2 * d}, {3 * d, 2 * d}, {3 * d, d}, {d, d}, {d, 0}}, radius, 0.46, 1.02);
}

QPainterPath KNVTCheckBox::crossPath(qreal radius)
{
    const qreal d = 0.3 * radius;
    // A plus sign with arms d wide in a 3d square, turned into an x.
    return iconOutline({{d, 0},
                        {d, d},
                        {0, d},
                        {0, 2 * d},
                        {d, 2 * d},
                        {d, 3 * d},
                        {2 * d, 3 * d},
                        {2 * d, 2 * d},
                        {3 * d, 2 * d},
                        {3 * d, d},
                        {2 * d, d},
                        {2 * d, 0}},
                       radius, 0.36, 1.02);
}

void KNVTCheckBox::updateLayers(Layers &layers, const QSizeF &size, int state, const QColor &tintColor, bool lightLook)
{
    const QColor color = lightLook ? lightGrayColor() : tintColor;
    layers.border = color;
    layers.iconStroke = color;
    const qreal radius = std::min(size.width(), size.height()) / 2.0;
    switch (state) {
    case KNVTCheckBoxStateNone:
        layers.background = QColor(Qt::transparent);
        layers.iconPath = QPainterPath();
        break;
    case KNVTCheckBoxStateTick:
        layers.background = color;
        layers.iconPath = tickPath(radius);
        break;
    case KNVTCheckBoxStateCross:
        layers.background = color;
        layers.iconPath = crossPath(radius);
        break;
    default: break;
    }
}

void KNVTCheckBox::drawLayers(QPainter &painter, const QRectF &bounds, const Layers &layers)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal radius = std::min(bounds.width(), bounds.height()) / 2.0;
    const QPainterPath circle = capsule(bounds, radius);
    painter.setClipPath(circle, Qt::IntersectClip);
    painter.fillPath(circle, layers.background);

    if (!layers.iconPath.isEmpty()) {
        QPainterPath icon = layers.iconPath.translated(bounds.topLeft());
        icon.setFillRule(Qt::WindingFill);
        painter.fillPath(icon, layers.iconFill);
        QPen outline(layers.iconStroke, 1.0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
        painter.strokePath(icon, outline);
    }

    // The border lies inside the edge and over the icon.
    const qreal inset = circleBorderWidth / 2.0;
    painter.strokePath(capsule(bounds.adjusted(inset, inset, -inset, -inset), std::max(0.0, radius - inset)),
                       QPen(layers.border, circleBorderWidth));
    painter.restore();
}

void KNVTCheckBox::draw(QPainter &painter, const QRectF &bounds, int state, const QColor &tintColor, bool lightLook,
                        const QColor &iconColor)
{
    Layers layers;
    layers.iconFill = iconColor;
    updateLayers(layers, bounds.size(), state, tintColor, lightLook);
    drawLayers(painter, bounds, layers);
}

void KNVTCheckBox::updateView()
{
    m_highlighted = isDown();
    updateLayers(m_layers, size(), m_state, m_tintColor, !isEnabled() || m_highlighted);
    update();
}

// Pressing and releasing reach the button through mouse, key and timer events (animateClick); whichever of them
// changed the pressed state, the look follows.
bool KNVTCheckBox::event(QEvent *event)
{
    const bool handled = QAbstractButton::event(event);
    if (isDown() != m_highlighted)
        updateView();
    return handled;
}

void KNVTCheckBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    drawLayers(painter, QRectF(rect()), m_layers);
    // The circle fills the box, so the focus is drawn the desktop's way around it.
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.backgroundColor = palette().color(QPalette::Window);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

void KNVTCheckBox::resizeEvent(QResizeEvent *event)
{
    QAbstractButton::resizeEvent(event);
    updateView();
}

void KNVTCheckBox::changeEvent(QEvent *event)
{
    QAbstractButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        updateView();
}
