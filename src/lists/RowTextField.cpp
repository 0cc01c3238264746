#include "lists/RowTextField.h"

#include "lists/ItemRow.h"

#include "uikit/TextInItsDirection.h"

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
    // A title or note in a right-to-left script reads from the right, as its writer wrote it.
    if (truncates) {
        const QString shown = QFontMetricsF(font).elidedText(text, Qt::ElideRight, frame.width());
        drawTextInItsDirection(painter, frame, alignment | Qt::AlignVCenter, shown);
    } else {
        painter.setClipRect(frame, Qt::IntersectClip);
        drawWrappedText(painter, frame, text, alignment);
    }
    painter.restore();
}

void RowTextField::drawLevelWith(QPainter &painter, const RowTextField &line) const
{
    RowTextField level = *this;
    level.frame.setTop(line.frame.top());
    level.frame.setHeight(line.frame.height());
    level.draw(painter);
}

void placeTitleAndSubtitle(RowTextField &title, RowTextField &subtitle, qreal x, qreal width, bool titleAbove)
{
    if (!title.text.isEmpty() && !subtitle.text.isEmpty()) {
        title.frame = QRectF(x, titleAbove ? 5.0 : 24.0, width, 20.0);
        subtitle.frame = QRectF(x, titleAbove ? 24.0 : 5.0, width, 20.0);
        subtitle.hidden = false;
    } else {
        title.frame = QRectF(x, 15.0, width, 20.0);
        subtitle.frame = QRectF(x, 0.0, width, 20.0);
        subtitle.hidden = true;
    }
    title.hidden = false;
}

void setTaskListTitleAndCount(RowTextField &title, RowTextField &subtitle, const ItemRow &row)
{
    title.font = rowFont(14, true);
    title.text = row.title;
    title.hidden = false;
    subtitle.font = rowFont(12);
    subtitle.text = row.itemCountText();
}

} // namespace knvt
