#include "uikit/TextInItsDirection.h"

#include <algorithm>

#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextOption>

namespace knvt {

namespace {

// QTextLayout takes line separators; a typed text carries newlines.
QString withLineSeparators(QString text)
{
    text.replace(u'\n', QChar::LineSeparator);
    return text;
}

// Lays `layout` out in lines `width` wide from the top; answers the height they take.
qreal layOutLines(QTextLayout &layout, const QString &text, qreal width, Qt::Alignment alignment)
{
    const Qt::LayoutDirection direction = directionOfText(text);
    // The layout would keep a left alignment at the left whatever the direction: the start of a right-to-left text
    // is its right.
    if (direction == Qt::RightToLeft && (alignment & Qt::AlignLeft) && !(alignment & Qt::AlignAbsolute))
        alignment = (alignment & ~Qt::AlignLeft) | Qt::AlignRight | Qt::AlignAbsolute;
    QTextOption option(alignment);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setTextDirection(direction);
    layout.setTextOption(option);
    qreal height = 0.0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(std::max<qreal>(width, 1.0));
        line.setPosition(QPointF(0.0, height));
        height += line.height();
    }
    layout.endLayout();
    return height;
}

// Only a left alignment follows the text's direction.
Qt::Alignment startingAlignment(Qt::Alignment alignment)
{
    return alignment & (Qt::AlignRight | Qt::AlignHCenter) ? alignment | Qt::AlignAbsolute : alignment;
}

void layOutFieldFor(QWidget *field, const QString &text)
{
    const Qt::LayoutDirection direction = text.isEmpty() ? QGuiApplication::layoutDirection() : directionOfText(text);
    if (field->layoutDirection() != direction)
        field->setLayoutDirection(direction);
}

} // namespace

Qt::LayoutDirection directionOfText(const QString &text)
{
    return text.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight;
}

void drawTextInItsDirection(QPainter &painter, const QRectF &rect, Qt::Alignment alignment, const QString &text)
{
    const Qt::LayoutDirection before = painter.layoutDirection();
    painter.setLayoutDirection(directionOfText(text));
    painter.drawText(rect, int(startingAlignment(alignment) | Qt::TextSingleLine), text);
    painter.setLayoutDirection(before);
}

qreal wrappedTextHeight(const QFont &font, const QString &text, qreal width)
{
    if (text.isEmpty())
        return 0.0;
    const QString shown = withLineSeparators(text);
    QTextLayout layout(shown, font);
    return layOutLines(layout, shown, width, Qt::AlignLeft);
}

void drawWrappedText(QPainter &painter, const QRectF &rect, const QString &text, Qt::Alignment alignment)
{
    if (text.isEmpty())
        return;
    const QString shown = withLineSeparators(text);
    QTextLayout layout(shown, painter.font());
    layOutLines(layout, shown, rect.width(), startingAlignment(alignment & Qt::AlignHorizontal_Mask));
    layout.draw(&painter, rect.topLeft());
}

void followDirectionOfTypedText(QPlainTextEdit *field)
{
    // The text's lines follow the document's own option, which the widget's direction leaves as it is.
    const auto layOut = [field] {
        const QString text = field->toPlainText();
        layOutFieldFor(field, text);
        const Qt::LayoutDirection direction = field->layoutDirection();
        QTextOption option = field->document()->defaultTextOption();
        const Qt::Alignment alignment =
            direction == Qt::RightToLeft ? Qt::AlignRight | Qt::AlignAbsolute : Qt::Alignment(Qt::AlignLeft);
        if (option.textDirection() == direction && option.alignment() == alignment)
            return;
        option.setTextDirection(direction);
        option.setAlignment(alignment);
        field->document()->setDefaultTextOption(option);
    };
    layOut();
    QObject::connect(field, &QPlainTextEdit::textChanged, field, layOut);
}

QString isolatedText(const QString &text)
{
    // Only a text with something of right-to-left (letters, Arabic digits, marks of direction) can reorder what stands
    // around it in a left-to-right sentence; any other is left as it is, so that window titles and readers that show
    // the marks see none.
    const bool reorders = std::any_of(text.cbegin(), text.cend(), [](QChar c) {
        switch (c.direction()) {
        case QChar::DirR:
        case QChar::DirAL:
        case QChar::DirAN:
        case QChar::DirRLE:
        case QChar::DirRLO:
        case QChar::DirRLI:
        case QChar::DirLRE:
        case QChar::DirLRO:
        case QChar::DirLRI:
        case QChar::DirFSI:
        case QChar::DirPDF:
        case QChar::DirPDI: return true;
        default: return false;
        }
    });
    // FIRST STRONG ISOLATE ... POP DIRECTIONAL ISOLATE: the isolate takes the direction of its own first letter.
    return reorders ? QChar(0x2068) + text + QChar(0x2069) : text;
}

} // namespace knvt
