#include "uikit/KNVTLevelIndicator.h"

#include "uikit/AccessibilityEvents.h"
#include "uikit/ColorAdditions.h"
#include "uikit/LevelIndicatorAccessible.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace {

constexpr qreal MaximumSegmentHeight = 12.0;
constexpr qreal CornerRadius = 2.5;

} // namespace

KNVTLevelIndicator::KNVTLevelIndicator(QWidget *parent) : QWidget(parent)
{
    knvt::LevelIndicatorAccessible::install();
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void KNVTLevelIndicator::setValue(int value)
{
    value = std::clamp(value, 0, m_maximumValue);
    if (value == m_value)
        return;
    m_value = value;
    update();
    QAccessibleValueChangeEvent changed(this, m_value);
    QAccessible::updateAccessibility(&changed);
    // The level's word is also the description, which a reader keeps until it is told that it changed.
    if (knvt::AccessibilityEvents &events = knvt::AccessibilityEvents::shared();
        !m_levelNames.isEmpty() && events.isListening()) {
        QAccessibleEvent described(this, QAccessible::DescriptionChanged);
        events.post(&described);
    }
    emit valueChanged(m_value);
}

void KNVTLevelIndicator::setMaximumValue(int maximumValue)
{
    m_maximumValue = std::max(1, maximumValue);
    updateGeometry();
    if (m_value > m_maximumValue)
        setValue(m_maximumValue);
    update();
}

void KNVTLevelIndicator::userSetValue(int value)
{
    const int before = m_value;
    setValue(value);
    if (m_value != before)
        emit action(this);
}

QRectF KNVTLevelIndicator::segmentRect(const QSize &size, int count, int index)
{
    count = std::max(1, count);
    const qreal width = std::max(0.0, (size.width() - (count - 1) * qreal(SegmentGap)) / count);
    const qreal height = std::min<qreal>(MaximumSegmentHeight, size.height());
    return QRectF(index * (width + SegmentGap), (size.height() - height) / 2.0, width, height);
}

int KNVTLevelIndicator::valueForPosition(const QSize &size, int count, qreal x)
{
    if (x < 0)
        return 0;
    count = std::max(1, count);
    const qreal pitch = (size.width() + qreal(SegmentGap)) / count;
    if (pitch <= 0)
        return 0;
    return std::clamp(int(x / pitch) + 1, 1, count);
}

QColor KNVTLevelIndicator::litColor()
{
    return knvt::defaultTintColor();
}

QColor KNVTLevelIndicator::unlitColor(const QColor &text)
{
    QColor unlit = text;
    unlit.setAlpha(text.lightnessF() < 0.5 ? 30 : 60);
    return unlit;
}

QSize KNVTLevelIndicator::sizeHint() const
{
    return QSize(m_maximumValue * SegmentWidth + (m_maximumValue - 1) * SegmentGap, 16);
}

QSize KNVTLevelIndicator::minimumSizeHint() const
{
    return sizeHint();
}

void KNVTLevelIndicator::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor lit = isEnabled() ? litColor() : palette().color(QPalette::Disabled, QPalette::WindowText);
    const QColor unlit = unlitColor(palette().color(QPalette::WindowText));
    for (int index = 0; index < m_maximumValue; ++index) {
        QPainterPath path;
        path.addRoundedRect(segmentRect(size(), m_maximumValue, index).adjusted(0.5, 0.5, -0.5, -0.5), CornerRadius,
                            CornerRadius);
        painter.fillPath(path, index < m_value ? lit : unlit);
    }
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), CornerRadius, CornerRadius);
    }
}

void KNVTLevelIndicator::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const int asked = valueForPosition(size(), m_maximumValue, event->position().x());
    // The only way back to none with the mouse: a click on the last lit segment turns it off.
    userSetValue(asked == m_value && asked > 0 ? asked - 1 : asked);
    event->accept();
}

void KNVTLevelIndicator::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Right:
    case Qt::Key_Up: userSetValue(m_value + 1); break;
    case Qt::Key_Left:
    case Qt::Key_Down: userSetValue(m_value - 1); break;
    case Qt::Key_Home: userSetValue(0); break;
    case Qt::Key_End: userSetValue(m_maximumValue); break;
    default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
}
