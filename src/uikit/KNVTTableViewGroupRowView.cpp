#include "uikit/KNVTTableViewGroupRowView.h"

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
    QFont font = QApplication::font();
    font.setPixelSize(13);
    return font;
}

QColor KNVTTableViewGroupRowView::textColor()
{
    return QColor::fromRgbF(0.0f, 0.0f, 0.0f, 0.5f);
}

QColor KNVTTableViewGroupRowView::backgroundColor()
{
    return QColor::fromRgbF(0.99f, 0.99f, 0.99f, 0.8f);
}

QString KNVTTableViewGroupRowView::displayedText(const QString &text, qreal width)
{
    QString line = text;
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return QFontMetricsF(font()).elidedText(line, Qt::ElideRight, std::max(0.0, width - 2 * kTextInset));
}

void KNVTTableViewGroupRowView::drawRow(QPainter &painter, const QRectF &rect, const QString &text)
{
    painter.save();
    painter.fillRect(rect, backgroundColor());
    painter.setFont(font());
    painter.setPen(textColor());
    painter.drawText(rect.adjusted(kTextInset, 0, -kTextInset, 0), Qt::AlignCenter | Qt::TextSingleLine,
                     displayedText(text, rect.width()));
    painter.restore();
}

void KNVTTableViewGroupRowView::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                      const QModelIndex &index) const
{
    drawRow(*painter, QRectF(option.rect), index.data(Qt::DisplayRole).toString());
}

QSize KNVTTableViewGroupRowView::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    return QSize(option.rect.width(), rowHeight);
}
