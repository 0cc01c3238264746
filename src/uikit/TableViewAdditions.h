#pragma once

#include <QRectF>
#include <QSizeF>
#include <QString>

class QAbstractItemView;
class QLabel;

// The empty-state label of a list: one large grey line ("No Tasks" and the like) drawn where the third row of the
// empty list would be. The label is a child of the view's viewport named "emptyListLabel", owned by the view, made on
// the first non-empty text and kept from then on; it is shown while it has text.
namespace knvt {

// Sets the label's text, making the label when there is none yet and the text is not empty. An empty text hides the
// label but keeps it; a non-empty text shows it, centred again for the new text.
void setLabelText(QAbstractItemView *view, const QString &text);

// The label's text; a null QString before the first label was made.
QString labelText(const QAbstractItemView *view);

// Makes a new label (zero geometry, 22 px system font, the palette's placeholder grey, no frame, transparent background),
// stores it as the view's label and returns it.
QLabel *makeLabel(QAbstractItemView *view);

// The view's label, or nullptr.
QLabel *label(const QAbstractItemView *view);

// Replaces the view's label (the old one is deleted); nullptr removes it.
void setLabel(QAbstractItemView *view, QLabel *label);

bool isLabelVisible(const QAbstractItemView *view);

// Shows the label sized to its text in the band of the third row (see emptyStateLabelFrame), keeping it centred
// while the view is resized, or hides it. While it shows, its text is also the view's accessible description (unless
// the view has a description of its own), so that a screen reader says why the list is empty.
void setLabelVisible(QAbstractItemView *view, bool visible);

// Row height the label is placed by: the view's "rowHeight" property when it holds a positive number (the lists
// set it to their row height), else the height of the first row, else the height of a line of the view's font.
int tableRowHeight(const QAbstractItemView *view);

// Where the label stands in a view `viewWidth` wide with rows `rowHeight` high, for a label of size `fitted`:
// horizontally centred, vertically centred in the third row and 5 px lower. Qt coordinates (y grows downwards).
QRectF emptyStateLabelFrame(qreal viewWidth, qreal rowHeight, const QSizeF &fitted);

} // namespace knvt
