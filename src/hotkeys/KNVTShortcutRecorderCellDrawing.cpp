#include "hotkeys/KNVTShortcutImageProvider.h"
#include "hotkeys/KNVTShortcutRecorderCell.h"
#include "hotkeys/ShortcutStrings.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

// Placeholder texts use a slightly smaller face than the combination, as labels do.
QFont labelFont(const QFont &font)
{
    QFont label = font;
    if (font.pointSizeF() > 0)
        label.setPointSizeF(font.pointSizeF() * 10.0 / 11.0);
    else
        label.setPixelSize(qMax(1, font.pixelSize() * 10 / 11));
    return label;
}

QColor withAlpha(QColor color, double alpha)
{
    color.setAlphaF(color.alphaF() * alpha);
    return color;
}

QPainterPath roundedRect(const QRectF &rect)
{
    QPainterPath path;
    path.addRoundedRect(rect, rect.height() * 0.5, rect.height() * 0.5);
    return path;
}

void drawImage(QPainter &painter, const QString &name, const QPointF &origin, double opacity = 1.0)
{
    painter.save();
    painter.setOpacity(painter.opacity() * opacity);
    painter.translate(origin);
    KNVTShortcutImageProvider::drawImageWithName(name, painter, KNVTShortcutImageProvider::sizeOfImageWithName(name));
    painter.restore();
}

void drawText(QPainter &painter, const QRectF &rect, const QString &text, const QFont &font, const QColor &color)
{
    painter.save();
    painter.setFont(font);
    painter.setPen(color);
    const QString shown = painter.fontMetrics().elidedText(text, Qt::ElideRight, int(rect.width()));
    painter.drawText(rect, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine, shown);
    painter.restore();
}

} // namespace

void KNVTShortcutRecorderCell::draw(QPainter &painter, const QRectF &frame, const QPalette &palette,
                                    const QFont &font) const
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (m_style == KNVTShortcutRecorderStyleTinted)
        drawTinted(painter, frame, palette, font);
    else
        drawSliding(painter, frame, palette, font);
    painter.restore();
}

void KNVTShortcutRecorderCell::drawTinted(QPainter &painter, const QRectF &frame, const QPalette &palette,
                                          const QFont &font) const
{
    const bool empty = isEmpty();
    const QRectF snapback = snapbackRectForFrame(frame);
    QRectF field = frame;
    if (m_isRecording) {
        const QPainterPath whole = roundedRect(frame);
        const QColor selected = palette.color(QPalette::Active, QPalette::Highlight);
        QLinearGradient gradient(frame.bottomLeft(), frame.topLeft());
        gradient.setColorAt(0, withAlpha(selected.darker(125), 0.9));
        gradient.setColorAt(1, withAlpha(selected.lighter(120), 0.9));
        painter.fillPath(whole, gradient);
        if (m_mouseInsideTrackingArea)
            painter.fillPath(whole, QColor::fromRgbF(0, 0, 0, m_mouseDown ? 0.4 : 0.2));
        drawImage(painter, QStringLiteral("KNVTSnapback"), snapback.topLeft());
        // The white field leaves room on the right for the snap-back button.
        field = frame.adjusted(9.5, 2, -9.5, -2).translated(-7.5, 0);
    }

    const QPainterPath fieldPath = roundedRect(field);
    painter.save();
    painter.setClipPath(fieldPath);
    painter.fillPath(fieldPath, palette.color(QPalette::Base));
    if (!m_isRecording) {
        painter.strokePath(fieldPath, QPen(palette.color(QPalette::Mid), 1));
        if (!empty && isEnabled())
            drawImage(painter, removeImageName(), removeButtonRectForFrame(frame).topLeft());
    }
    painter.restore();

    const bool placeholderLook = m_isRecording || empty;
    double reserved = 6;
    if (m_isRecording)
        reserved = snapback.width() + 6;
    else if (!empty)
        reserved = removeButtonRectForFrame(frame).width() + 6;
    const QRectF textRect(frame.x() + 6, frame.y(), frame.width() - 6 - reserved, frame.height());
    drawText(painter, textRect, m_isRecording ? recordingText() : idleText(), placeholderLook ? labelFont(font) : font,
             placeholderLook ? palette.color(QPalette::Disabled, QPalette::Text) : palette.color(QPalette::Text));
}

void KNVTShortcutRecorderCell::drawSliding(QPainter &painter, const QRectF &outer, const QPalette &palette,
                                           const QFont &font) const
{
    const QRectF frame = outer.adjusted(0.5, 0.5, -0.5, -0.5);
    const double h = frame.height();
    const double e = KNVTEaseInOut(m_transitionProgress);
    const bool empty = isEmpty();

    double recordingAlpha = 1;
    double idleAlpha = 1;
    bool recordingShown = m_isRecording;
    if (m_isAnimatingNow && m_isAnimatingTowardsRecording) {
        recordingAlpha = e;
        idleAlpha = 1 - e;
        recordingShown = true;
    } else if (m_isAnimatingNow) {
        recordingAlpha = 1 - e;
        idleAlpha = e;
        recordingShown = m_isRecording;
    }
    // The recording layer lies one frame height below the idle one; both slide up together.
    double shift = 0;
    if (recordingShown) {
        if (!m_isAnimatingNow)
            shift = -h;
        else
            shift = m_isAnimatingTowardsRecording ? -h * e : -h * (1 - e);
    }

    const QPainterPath field = roundedRect(frame);
    painter.fillPath(field, palette.color(QPalette::Base));
    painter.strokePath(field, QPen(palette.color(QPalette::Mid), 1));
    painter.save();
    painter.setClipPath(field);

    const QRectF snapback = snapbackRectForFrame(frame).translated(0, h);
    // The button's box fills the height of the recording layer at its right end.
    const QRectF box(snapback.x() - 1.5, frame.y() + h + shift, snapback.width() * 1.3, h);
    const bool pressed = m_mouseDown && m_mouseInsideTrackingArea;
    QLinearGradient gradient(box.bottomLeft(), box.topLeft());
    gradient.setColorAt(
        0,
        withAlpha(QColor::fromRgbF(pressed ? 0.6 : 0.75, pressed ? 0.6 : 0.75, pressed ? 0.6 : 0.75), recordingAlpha));
    gradient.setColorAt(
        1,
        withAlpha(QColor::fromRgbF(pressed ? 0.75 : 0.9, pressed ? 0.75 : 0.9, pressed ? 0.75 : 0.9), recordingAlpha));
    painter.fillRect(box.adjusted(0.5, 0.5, -0.5, -0.5), gradient);
    painter.setPen(QPen(withAlpha(palette.color(QPalette::Mid).darker(125), recordingAlpha), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(box);
    drawImage(painter, QStringLiteral("KNVTSnapback"), snapback.topLeft() + QPointF(-0.5, shift), recordingAlpha);

    if (!empty && isEnabled())
        drawImage(painter, removeImageName(), removeButtonRectForFrame(frame).topLeft() + QPointF(0, shift), idleAlpha);

    if (m_comboJustChanged) {
        // The new combination shows in place at once while the recording layer slides away.
        idleAlpha = 1;
        recordingAlpha = 0;
    }

    const bool recordingPlaceholder = recordingShown || empty;
    drawText(painter, frame.translated(0, h + shift), recordingText(), recordingPlaceholder ? labelFont(font) : font,
             withAlpha(recordingPlaceholder ? palette.color(QPalette::Disabled, QPalette::Text)
                                            : palette.color(QPalette::Text),
                       recordingAlpha));
    drawText(painter, frame.translated(0, m_comboJustChanged ? 0 : shift), idleText(), empty ? labelFont(font) : font,
             withAlpha(empty ? palette.color(QPalette::Disabled, QPalette::Text) : palette.color(QPalette::Text),
                       idleAlpha));
    painter.restore();
}
