#pragma once

#include "uikit/FontAdditions.h"

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>

class QPainter;

namespace knvt {

struct ItemRow;

// One text of a painted row, as its layout function placed it: where it stands, what it reads, in which font and
// colour, and whether it is shown.
struct RowTextField
{
    QRectF frame;
    QString text;
    QFont font;
    QColor color;
    bool hidden = true;
    // Cut at the tail when too long, on one line; otherwise wrapped inside the frame.
    bool truncates = true;
    Qt::Alignment alignment = Qt::AlignLeft;

    // Draws the text when it is shown, vertically centred in its frame (a wrapping text starts at the top).
    void draw(QPainter &painter) const;
    // Draws it as draw() does, on the line of `line` (a date beside a title, whose frame reaches lower).
    void drawLevelWith(QPainter &painter, const RowTextField &line) const;
};

// Places a row's title and the line that goes with it at `x`, `width` wide: both shown on two lines when both have
// text (the title on the upper line when `titleAbove`), else the title alone on the middle line.
void placeTitleAndSubtitle(RowTextField &title, RowTextField &subtitle, qreal x, qreal width, bool titleAbove);

// The title of a project or area row in bold and the count of its items below it in the smaller font; the colours
// are the caller's.
void setTaskListTitleAndCount(RowTextField &title, RowTextField &subtitle, const ItemRow &row);

} // namespace knvt
