#pragma once

#include <QColor>
#include <QRectF>
#include <QStyleOptionViewItem>

#include <functional>

class QEvent;
class QPainter;

namespace knvt {

// A selected row in a focused list shows the emphasized look: its secondary texts in white on the highlight.
bool isEmphasized(const QStyleOptionViewItem &option);

// The highlight of a selected row, else the row's own background colour.
void drawRowBackground(QPainter &painter, const QStyleOptionViewItem &option, const QColor &backgroundColor);

// The keyboard's place in a focused list, drawn the style's way around the row (with the style's own colours), so
// that a painted row shows where the arrow keys stand as any other list does.
void drawRowFocus(QPainter &painter, const QStyleOptionViewItem &option);

// The completion box of a task or project row at `frame` (row coordinates). On the emphasized highlight the box is
// white, its tick or cross in the highlight's colour, so that neither the tint nor the grey of a box I may not use
// disappears into the highlight; a box I may not use is then a fainter white.
void drawRowCheckBox(QPainter &painter, const QStyleOptionViewItem &option, const QRectF &frame, int state,
                     const QColor &tintColor, bool enabled);

// A button painted in a row, at `buttonRect` (view coordinates): a left press on it is taken (so the row is not
// selected by it) and a release on it calls `clicked`. Answers whether the event was the button's.
bool handleRowButtonEvent(QEvent *event, const QRectF &buttonRect, const std::function<void()> &clicked);

} // namespace knvt
