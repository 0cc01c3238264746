#include "uikit/KNVTProgressIndicator.h"

#include <QPainter>
#include <QTimer>

#include <algorithm>

namespace {

constexpr int kSpokes = 12;
// One turn a second.
constexpr int kStepMs = 1000 / kSpokes;

} // namespace

KNVTProgressIndicator::KNVTProgressIndicator(QWidget *parent) : QWidget(parent), m_timer(new QTimer(this))
{
    m_timer->setInterval(kStepMs);
    connect(m_timer, &QTimer::timeout, this, [this] {
        m_phase = (m_phase + 1) % kSpokes;
        update();
    });
}

bool KNVTProgressIndicator::isAnimating() const
{
    return m_timer->isActive();
}

void KNVTProgressIndicator::startAnimation()
{
    if (!m_timer->isActive())
        m_timer->start();
}

void KNVTProgressIndicator::stopAnimation()
{
    m_timer->stop();
    update();
}

QSize KNVTProgressIndicator::sizeHint() const
{
    return QSize(16, 16);
}

void KNVTProgressIndicator::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal side = std::min(width(), height());
    painter.translate(width() / 2.0, height() / 2.0);
    const qreal outer = side / 2.0;
    const qreal inner = outer * 0.45;
    // Spokes in the text colour, so that they show on a light and on a dark window alike.
    const QColor ink = palette().color(QPalette::WindowText);
    QPen pen(ink, std::max(1.0, side / 10.0), Qt::SolidLine, Qt::RoundCap);
    for (int i = 0; i < kSpokes; ++i) {
        // The spoke at the phase is the strongest; the ones behind it fade out.
        const int age = (m_phase - i + kSpokes) % kSpokes;
        QColor color = ink;
        color.setAlphaF(isAnimating() ? float(0.85 - 0.06 * age) : 0.35f);
        pen.setColor(color);
        painter.setPen(pen);
        painter.save();
        painter.rotate(360.0 * i / kSpokes);
        painter.drawLine(QPointF(0.0, -inner), QPointF(0.0, -outer + pen.widthF() / 2.0));
        painter.restore();
    }
}
