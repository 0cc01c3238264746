#include "uikit/KNVTSwitch.h"

#include "uikit/SwitchAccessible.h"

#include <QAccessible>
#include <QEasingCurve>
#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QVariantAnimation>

#include <algorithm>

namespace {

bool s_animationsEnabled = true;

constexpr int kSlideDurationMs = 400;
// The stretched knob covers this share of the track's inner width: (W - 2) / 1.38.
constexpr qreal kActiveKnobDivisor = 1.38;

// The slide overshoots its end and settles back, which reads as a spring.
QEasingCurve springCurve()
{
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(0.25, 1.5), QPointF(0.5, 1.0), QPointF(1.0, 1.0));
    return curve;
}

// While the knob follows the pointer a plain ease keeps it from bouncing back and forth.
QEasingCurve followCurve()
{
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(0.25, 0.1), QPointF(0.25, 1.0), QPointF(1.0, 1.0));
    return curve;
}

qreal mix(qreal from, qreal to, qreal t)
{
    return from + (to - from) * t;
}

QColor mixColor(const QColor &from, const QColor &to, qreal t)
{
    t = std::clamp(t, 0.0, 1.0);
    const QColor a = from.toRgb();
    const QColor b = to.toRgb();
    return QColor::fromRgbF(float(mix(a.redF(), b.redF(), t)), float(mix(a.greenF(), b.greenF(), t)),
                            float(mix(a.blueF(), b.blueF(), t)), float(mix(a.alphaF(), b.alphaF(), t)));
}

QPainterPath capsule(const QRectF &rect)
{
    QPainterPath path;
    const qreal radius = rect.height() / 2.0;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

// A soft shadow of `shape`: a few widening, faint copies add up to about `opacity` in the core.
void drawShadow(QPainter &painter, const QRectF &shape, const QPointF &offset, qreal blur, qreal opacity)
{
    constexpr int steps = 3;
    for (int i = steps; i >= 1; --i) {
        const qreal grow = blur * i / steps;
        QColor color(Qt::black);
        // Half the strength at the very edge, fading out over the blur, as a blurred edge does.
        color.setAlphaF(float(opacity / (2 * steps)));
        painter.fillPath(capsule(shape.translated(offset).adjusted(-grow, -grow, grow, grow)), color);
    }
}

} // namespace

KNVTSwitch::KNVTSwitch(QWidget *parent) : QAbstractButton(parent)
{
    knvt::SwitchAccessible::install();
    setFocusPolicy(Qt::StrongFocus);
    // The mouse is handled below without the button's own press and release; a click reaches here from Space and
    // from assistive technology, and turns the switch over as a click with the mouse does.
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (!isEnabled())
            return;
        setOn(!m_on);
        emit action(this);
    });
    m_animation = new QVariantAnimation(this);
    m_animation->setStartValue(0.0);
    m_animation->setEndValue(1.0);
    m_animation->setDuration(kSlideDurationMs);
    connect(m_animation, &QVariantAnimation::valueChanged, this,
            [this](const QVariant &value) { applyProgress(value.toReal()); });
    connect(m_animation, &QVariantAnimation::finished, this, [this] { applyProgress(1.0); });
    resize(sizeHint());
    reloadLayerSize();
    reloadLayer();
}

KNVTSwitch::~KNVTSwitch() = default;

bool KNVTSwitch::animationsEnabled()
{
    return s_animationsEnabled;
}

void KNVTSwitch::setAnimationsEnabled(bool enabled)
{
    s_animationsEnabled = enabled;
}

QColor KNVTSwitch::defaultTintColor()
{
    return QColor::fromRgbF(0.27f, 0.86f, 0.36f, 1.0f);
}

void KNVTSwitch::setOn(bool on)
{
    if (m_on != on) {
        m_on = on;
        emit onChanged(on);
        QAccessible::State changed;
        changed.checked = true;
        QAccessibleStateChangeEvent event(this, changed);
        QAccessible::updateAccessibility(&event);
    }
    reloadLayer();
}

QColor KNVTSwitch::tintColor() const
{
    return m_tintColor.isValid() ? m_tintColor : defaultTintColor();
}

void KNVTSwitch::setTintColor(const QColor &color)
{
    const QColor before = tintColor();
    m_tintColor = color;
    if (tintColor() != before)
        emit tintColorChanged(tintColor());
    reloadLayer();
}

qreal KNVTSwitch::knobHeightForSize(const QSizeF &size)
{
    return size.height() - 2.0;
}

QRectF KNVTSwitch::rectForKnob() const
{
    const qreal trackWidth = width();
    const qreal knobHeight = knobHeightForSize(size());
    const qreal knobWidth = m_active ? (trackWidth - 2.0) / kActiveKnobDivisor : knobHeight;
    const qreal x = displaysOn() ? trackWidth - knobWidth - 1.0 : 1.0;
    return QRectF(x, 1.0, knobWidth, knobHeight);
}

QSize KNVTSwitch::sizeHint() const
{
    return QSize(50, 30);
}

KNVTSwitch::Look KNVTSwitch::targetLook() const
{
    Look look;
    if (displaysOn()) {
        look.trackBorder = tintColor();
        look.trackFill = tintColor();
    } else {
        // A faint line in the text colour, so that the empty track shows on a light and on a dark window alike.
        look.trackBorder = palette().color(QPalette::WindowText);
        look.trackBorder.setAlphaF(0.25f);
        look.trackFill = QColor(Qt::transparent);
    }
    look.opacity = isEnabled() ? 1.0 : 0.5;
    look.knob = rectForKnob();
    return look;
}

// A new size moves the knob at once: sliding it would show it in a track it no longer fits.
void KNVTSwitch::reloadLayerSize()
{
    m_shown.knob = rectForKnob();
    m_from.knob = m_shown.knob;
    m_target.knob = m_shown.knob;
    update();
}

void KNVTSwitch::reloadLayer()
{
    m_animation->stop();
    m_from = m_shown;
    m_target = targetLook();
    if (!s_animationsEnabled || !isVisible()) {
        applyProgress(1.0);
        return;
    }
    m_animation->setEasingCurve(m_dragged ? followCurve() : springCurve());
    m_animation->start();
}

// `t` is the eased share of the way from the old look to the new one; the spring takes it past 1 for a moment.
void KNVTSwitch::applyProgress(qreal t)
{
    if (m_animation->state() != QAbstractAnimation::Running) {
        m_shown = m_target;
    } else {
        m_shown.knob = QRectF(mix(m_from.knob.x(), m_target.knob.x(), t), mix(m_from.knob.y(), m_target.knob.y(), t),
                              mix(m_from.knob.width(), m_target.knob.width(), t),
                              mix(m_from.knob.height(), m_target.knob.height(), t));
        m_shown.trackFill = mixColor(m_from.trackFill, m_target.trackFill, t);
        m_shown.trackBorder = mixColor(m_from.trackBorder, m_target.trackBorder, t);
        m_shown.opacity = mix(m_from.opacity, m_target.opacity, std::clamp(t, 0.0, 1.0));
    }
    update();
}

void KNVTSwitch::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (m_shown.opacity >= 1.0) {
        drawContents(painter);
    } else {
        // Faded as one picture, so that the knob's shadow does not show through its face.
        const qreal ratio = devicePixelRatioF();
        QImage picture(size() * ratio, QImage::Format_ARGB32_Premultiplied);
        picture.setDevicePixelRatio(ratio);
        picture.fill(Qt::transparent);
        {
            QPainter picturePainter(&picture);
            drawContents(picturePainter);
        }
        painter.setOpacity(m_shown.opacity);
        painter.drawImage(QPointF(0, 0), picture);
        painter.setOpacity(1.0);
    }
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.backgroundColor = palette().color(QPalette::Window);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

void KNVTSwitch::drawContents(QPainter &painter) const
{
    painter.setRenderHint(QPainter::Antialiasing);

    const QRectF track = QRectF(rect());
    painter.fillPath(capsule(track), m_shown.trackFill);
    // The border lies inside the track, as a layer border does.
    QPen border(m_shown.trackBorder, 1.0);
    painter.strokePath(capsule(track.adjusted(0.5, 0.5, -0.5, -0.5)), border);

    const QRectF knob = m_shown.knob;
    if (knob.isEmpty())
        return;
    // The knob casts a shadow downwards and the face a faint rim all round.
    drawShadow(painter, knob, QPointF(0.0, 2.0), 1.0, 0.3);
    drawShadow(painter, knob, QPointF(0.0, 0.0), 1.0, 0.35);
    painter.fillPath(capsule(knob), Qt::white);
}

void KNVTSwitch::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !isEnabled()) {
        event->ignore();
        return;
    }
    m_active = true;
    reloadLayer();
}

void KNVTSwitch::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_active || !isEnabled()) {
        event->ignore();
        return;
    }
    m_dragged = true;
    m_draggingTowardsOn = event->position().x() >= width() / 2.0;
    reloadLayer();
}

void KNVTSwitch::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_active || !isEnabled()) {
        event->ignore();
        return;
    }
    m_active = false;
    const bool before = m_on;
    const bool after = m_dragged ? m_draggingTowardsOn : !m_on;
    setOn(after);
    if (after != before)
        emit action(this);
    m_dragged = false;
    m_draggingTowardsOn = false;
    reloadLayer();
}

void KNVTSwitch::resizeEvent(QResizeEvent *event)
{
    QAbstractButton::resizeEvent(event);
    reloadLayerSize();
}

void KNVTSwitch::changeEvent(QEvent *event)
{
    QAbstractButton::changeEvent(event);
    if (event->type() == QEvent::EnabledChange || event->type() == QEvent::PaletteChange)
        reloadLayer();
}
