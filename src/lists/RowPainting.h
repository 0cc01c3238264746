#pragma once

#include <QColor>
#include <QPalette>
#include <QRectF>
#include <QStyleOptionViewItem>

#include <functional>

class QEvent;
class QPainter;

namespace knvt {

// A selected row in a focused list shows the emphasized look: its texts in the highlighted text's colour on the
// highlight.
bool isEmphasized(const QStyleOptionViewItem &option);

// The colours of the painted rows, all taken from `palette` so that a light and a dark theme read alike: the main
// text (the highlighted text's colour on an emphasized row), and two fainter ones made of the text colour faded
// towards the background: the secondary texts (a task's list, a count, the notes) and the dates of closed items.
QColor rowTextColor(const QPalette &palette, bool emphasized);
QColor secondaryRowTextColor(const QPalette &palette);
QColor dimRowTextColor(const QPalette &palette);
// `from` moved `amount` (0 to 1) of the way towards `to`.
QColor blendedColor(const QColor &from, const QColor &to, qreal amount);

// A text of its own colour (a start date's blue) as painted on `option`'s row: on the highlight of a selected row, of a
// window in front or behind, where the blue would not read, the colour `onHighlight` of the row's title there.
QColor ownColourOnRow(const QStyleOptionViewItem &option, const QColor &own, const QColor &onHighlight);

// The highlight of a selected row, else the row's own background colour.
void drawRowBackground(QPainter &painter, const QStyleOptionViewItem &option, const QColor &backgroundColor);

// The keyboard's place in a focused list, so that a painted row shows where the arrow keys stand as any other list
// does: the style's focus frame around an unselected row; on the highlight of a selected one, where the style's frame
// would vanish, a frame in the highlighted text's colour. `selectedOnly`: the style has drawn the unselected case.
void drawRowFocus(QPainter &painter, const QStyleOptionViewItem &option, bool selectedOnly = false);

// The completion box of a task or project row at `frame` (row coordinates). On the emphasized highlight the box is in
// the highlighted text's colour, its tick or cross in the highlight's, so that neither the tint nor the grey of a box I
// may not use disappears into the highlight; a box I may not use is then fainter.
void drawRowCheckBox(QPainter &painter, const QStyleOptionViewItem &option, const QRectF &frame, int state,
                     const QColor &tintColor, bool enabled);

// A button painted in a row, at `buttonRect` (view coordinates): a left press on it is taken (so the row is not
// selected by it) and a release on it calls `clicked`. Answers whether the event was the button's.
bool handleRowButtonEvent(QEvent *event, const QRectF &buttonRect, const std::function<void()> &clicked);

} // namespace knvt
