#include "uikit/KNVTAvatarView.h"

#include "uikit/KNVTImageView.h"

#include <QApplication>
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
    QFont font = QApplication::font();
    font.setPixelSize(16);
    return font;
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
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF bounds(rect());
    QPainterPath disc;
    disc.addRoundedRect(bounds, m_cornerRadius, m_cornerRadius);
    painter.setClipPath(disc);
    painter.fillPath(disc, discColor());

    if (m_showsImage)
        KNVTImageView::draw(painter, bounds, m_image, 0.0, QColor(), 0.0, QColor());
    if (m_showsText) {
        painter.setFont(textFont());
        painter.setPen(Qt::white);
        painter.drawText(m_textFrame, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, m_text);
    }

    // The ring lies inside the edge and over the content.
    if (m_ringWidth > 0.0 && m_ringColor.isValid()) {
        const qreal inset = m_ringWidth / 2.0;
        const qreal radius = std::max(0.0, m_cornerRadius - inset);
        QPainterPath ring;
        ring.addRoundedRect(bounds.adjusted(inset, inset, -inset, -inset), radius, radius);
        painter.strokePath(ring, QPen(m_ringColor, m_ringWidth));
    }
}
