#include "lists/RowTextField.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>

namespace knvt {

void RowTextField::draw(QPainter &painter) const
{
    if (hidden || text.isEmpty() || frame.width() <= 0 || frame.height() <= 0)
        return;
    painter.save();
    painter.setFont(font);
    painter.setPen(color);
    if (truncates) {
        const QString shown = QFontMetricsF(font).elidedText(text, Qt::ElideRight, frame.width());
        painter.drawText(frame, int(alignment | Qt::AlignVCenter | Qt::TextSingleLine), shown);
    } else {
        painter.setClipRect(frame);
        painter.drawText(frame, int(alignment | Qt::AlignTop | Qt::TextWordWrap), text);
    }
    painter.restore();
}

QFont rowFont(int pixelSize, bool bold)
{
    QFont font = QApplication::font();
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

} // namespace knvt
