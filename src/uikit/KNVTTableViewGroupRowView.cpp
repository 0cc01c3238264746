#include "uikit/KNVTTableViewGroupRowView.h"

#include "uikit/FontAdditions.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>

#include <algorithm>

namespace {

// The text keeps this distance from both ends, as a text field's cell does.
constexpr qreal kTextInset = 2.0;

} // namespace

KNVTTableViewGroupRowView::KNVTTableViewGroupRowView(QObject *parent) : QStyledItemDelegate(parent) {}

KNVTTableViewGroupRowView *KNVTTableViewGroupRowView::tableViewGroupRowView(QObject *parent)
{
    return new KNVTTableViewGroupRowView(parent);
}

QFont KNVTTableViewGroupRowView::font()
{
    return knvt::rowFont(13);
}

QColor KNVTTableViewGroupRowView::textColor(const QPalette &palette)
{
    QColor color = palette.color(QPalette::Text);
    color.setAlphaF(0.5f);
    return color;
}

QColor KNVTTableViewGroupRowView::backgroundColor(const QPalette &palette)
{
    QColor color = palette.color(QPalette::Base);
    color.setAlphaF(0.8f);
    return color;
}

QColor KNVTTableViewGroupRowView::textColor()
{
    return textColor(QApplication::palette());
}

QColor KNVTTableViewGroupRowView::backgroundColor()
{
    return backgroundColor(QApplication::palette());
}

QString KNVTTableViewGroupRowView::displayedText(const QString &text, qreal width)
{
    QString line = text;
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return QFontMetricsF(font()).elidedText(line, Qt::ElideRight, std::max(0.0, width - 2 * kTextInset));
}

void KNVTTableViewGroupRowView::drawRow(QPainter &painter, const QRectF &rect, const QString &text)
{
    drawRow(painter, rect, text, QApplication::palette());
}

void KNVTTableViewGroupRowView::drawRow(QPainter &painter, const QRectF &rect, const QString &text,
                                        const QPalette &palette)
{
    painter.save();
    painter.fillRect(rect, backgroundColor(palette));
    painter.setFont(font());
    painter.setPen(textColor(palette));
    painter.drawText(rect.adjusted(kTextInset, 0, -kTextInset, 0), Qt::AlignCenter | Qt::TextSingleLine,
                     displayedText(text, rect.width()));
    painter.restore();
}

void KNVTTableViewGroupRowView::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                      const QModelIndex &index) const
{
    drawRow(*painter, QRectF(option.rect), index.data(Qt::DisplayRole).toString(), option.palette);
}

QSize KNVTTableViewGroupRowView::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    return QSize(option.rect.width(), rowHeight);
}
