#include "uikit/KNVTAvatarView.h"

#include "uikit/FontAdditions.h"
#include "uikit/KNVTImageView.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

KNVTAvatarView::KNVTAvatarView(QWidget *parent) : QWidget(parent), m_tintColor(discColor()) {}

QColor KNVTAvatarView::discColor()
{
    return QColor::fromRgbF(0.0f, 122.0f / 255.0f, 1.0f, 1.0f);
}

QFont KNVTAvatarView::textFont()
{
    return knvt::rowFont(16);
}

void KNVTAvatarView::setImage(const QImage &image)
{
    m_image = image;
    emit imageChanged();
    if (!m_text.isNull()) {
        m_text = QString();
        emit textChanged();
    }
    reloadSubviews();
}

void KNVTAvatarView::setText(const QString &text)
{
    if (!m_image.isNull()) {
        m_image = QImage();
        emit imageChanged();
    }
    m_text = text;
    reloadSubviews();
    emit textChanged();
}

void KNVTAvatarView::reloadSubviews()
{
    if (!m_image.isNull()) {
        m_text = QString();
        m_showsText = false;
        m_showsImage = true;
    } else {
        m_showsImage = false;
        m_showsText = !m_text.isEmpty();
        if (!m_showsText)
            m_text = QString();
    }
    update();
}

QRectF KNVTAvatarView::textFrameForSize(const QSizeF &size, qreal lineHeight)
{
    // Measured from the bottom edge, as the avatar was first drawn, then turned into a top-left origin.
    const qreal fromBottom = std::abs(std::trunc((size.height() - lineHeight) * 0.5));
    return QRectF(0.0, size.height() - fromBottom - lineHeight, size.width(), lineHeight);
}

void KNVTAvatarView::layOut()
{
    m_cornerRadius = 0.5 * std::min(width(), height());
    if (m_showsImage || (m_showsText && !m_text.isNull())) {
        m_ringWidth = m_borderWidth;
        m_ringColor = m_tintColor;
    }
    if (m_showsText)
        m_textFrame = textFrameForSize(size(), std::ceil(QFontMetricsF(textFont()).height()));
    else
        m_textFrame = QRectF();
}

QSize KNVTAvatarView::sizeHint() const
{
    return QSize(32, 32);
}

void KNVTAvatarView::paintEvent(QPaintEvent *)
{
    layOut();
    QPainter painter(this);
    drawLayers(painter, QRectF(rect()), m_showsImage ? m_image : QImage(), m_showsText ? m_text : QString(),
               m_textFrame, m_cornerRadius, m_ringWidth, m_ringColor);
}

void KNVTAvatarView::draw(QPainter &painter, const QRectF &bounds, const QImage &image, const QString &text,
                          qreal borderWidth, const QColor &tintColor)
{
    const bool showsImage = !image.isNull();
    const bool showsText = !showsImage && !text.isEmpty();
    const QRectF textFrame = showsText
        ? textFrameForSize(bounds.size(), std::ceil(QFontMetricsF(textFont()).height())).translated(bounds.topLeft())
        : QRectF();
    const bool ring = showsImage || showsText;
    drawLayers(painter, bounds, showsImage ? image : QImage(), showsText ? text : QString(), textFrame,
               0.5 * std::min(bounds.width(), bounds.height()), ring ? borderWidth : 0.0, tintColor);
}

void KNVTAvatarView::drawLayers(QPainter &painter, const QRectF &bounds, const QImage &image, const QString &text,
                                const QRectF &textFrame, qreal cornerRadius, qreal ringWidth, const QColor &ringColor)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QPainterPath disc;
    disc.addRoundedRect(bounds, cornerRadius, cornerRadius);
    painter.setClipPath(disc, Qt::IntersectClip);
    painter.fillPath(disc, discColor());

    if (!image.isNull())
        KNVTImageView::draw(painter, bounds, image, 0.0, QColor(), 0.0, QColor());
    if (!text.isEmpty()) {
        painter.setFont(textFont());
        painter.setPen(Qt::white);
        painter.drawText(textFrame, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, text);
    }

    // The ring lies inside the edge and over the content.
    if (ringWidth > 0.0 && ringColor.isValid()) {
        const qreal inset = ringWidth / 2.0;
        const qreal radius = std::max(0.0, cornerRadius - inset);
        QPainterPath ring;
        ring.addRoundedRect(bounds.adjusted(inset, inset, -inset, -inset), radius, radius);
        painter.strokePath(ring, QPen(ringColor, ringWidth));
    }
    painter.restore();
}
