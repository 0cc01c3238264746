#include "uikit/KNVTImageView.h"

#include <QPainter>
#include <QPainterPath>

namespace {

QPainterPath roundedBounds(const QRectF &bounds, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(bounds, radius, radius);
    return path;
}

} // namespace

KNVTImageView::KNVTImageView(QWidget *parent) : QWidget(parent) {}

void KNVTImageView::setImage(const QImage &image)
{
    m_image = image;
    update();
}

void KNVTImageView::setCornerRadius(qreal radius)
{
    m_cornerRadius = radius;
    update();
}

void KNVTImageView::setBorderColor(const QColor &color)
{
    m_borderColor = color;
    update();
}

void KNVTImageView::setBorderWidth(qreal width)
{
    m_borderWidth = width;
    update();
}

QSize KNVTImageView::sizeHint() const
{
    return m_image.isNull() ? QSize(32, 32) : m_image.size();
}

void KNVTImageView::draw(QPainter &painter, const QRectF &bounds, const QImage &image, qreal cornerRadius,
                         const QColor &borderColor, qreal borderWidth, const QColor &backgroundColor)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);

    // The colour a stroke without a colour of its own takes.
    QColor current(Qt::black);
    if (backgroundColor.isValid()) {
        painter.fillPath(roundedBounds(bounds, cornerRadius), backgroundColor);
        current = QColor(Qt::transparent);
    }

    painter.setClipPath(roundedBounds(bounds, cornerRadius), Qt::IntersectClip);
    if (!image.isNull()) {
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.drawImage(bounds, image, QRectF(image.rect()));
    }

    if (borderColor.isValid())
        current = borderColor;
    // A width of 0 is a cosmetic hairline, as the thinnest line a path can be stroked with.
    QPen pen(current, borderWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.strokePath(roundedBounds(bounds, cornerRadius), pen);
    painter.restore();
}

void KNVTImageView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    draw(painter, QRectF(rect()), m_image, m_cornerRadius, m_borderColor, m_borderWidth, m_backgroundColor);
}
