#pragma once

#include <QRectF>
#include <QString>
#include <Qt>

class QFont;
class QPainter;
class QPlainTextEdit;

// Texts that people wrote (titles, notes, comments) are painted in their own writing direction, whatever the
// interface's: a Hebrew or Arabic title starts at the right and keeps its punctuation where its reader expects it,
// beside an English one that starts at the left. Qt::AlignLeft stands for the text's own start; a right or centred
// alignment (a date at the end of a row) stays where it is.
namespace knvt {

// Right to left when the text's first letter with a direction is of a right-to-left script.
Qt::LayoutDirection directionOfText(const QString &text);

// `text` set apart from the interface's sentence it stands in (a heading such as "Schedule "%1""): its own direction
// then orders its letters and punctuation, and never the words and marks around it.
QString isolatedText(const QString &text);

// Draws `text` on one line in `rect` in the painter's pen and font, in its own direction.
void drawTextInItsDirection(QPainter &painter, const QRectF &rect, Qt::Alignment alignment, const QString &text);

// Lines of `text` at most `width` wide: broken between words, and inside a word only when it is wider than a whole
// line (a long address or link), so that nothing is cut at the edge. The height they take in `font`; nothing for no
// text.
qreal wrappedTextHeight(const QFont &font, const QString &text, qreal width);
// Draws those lines from the top of `rect`, in the painter's pen and font and the text's own direction.
void drawWrappedText(QPainter &painter, const QRectF &rect, const QString &text,
                     Qt::Alignment alignment = Qt::AlignLeft);

// Keeps a text view laid out in the direction of the text typed in it, as the rows show that text: Hebrew notes start
// at the right. An empty view takes the interface's direction. (A line edit does so by itself.)
void followDirectionOfTypedText(QPlainTextEdit *field);

} // namespace knvt
