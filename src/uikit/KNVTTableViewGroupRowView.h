#pragma once

#include <QColor>
#include <QFont>
#include <QStyledItemDelegate>

// The header of a section or group in the item lists: the section's name, centred in small type of the palette's
// text colour at half strength on a band of the list's background colour, which reads under a light and a dark
// palette alike. A delegate, so that a list of thousands of rows paints its headers without a widget each; it paints the
// row's display text.
class KNVTTableViewGroupRowView : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit KNVTTableViewGroupRowView(QObject *parent = nullptr);

    static KNVTTableViewGroupRowView *tableViewGroupRowView(QObject *parent = nullptr);

    // Section headers are this high in every list.
    static constexpr int rowHeight = 20;

    static QFont font();
    // The colours under `palette`; the application's palette when none is given.
    static QColor textColor(const QPalette &palette);
    static QColor backgroundColor(const QPalette &palette);
    static QColor textColor();
    static QColor backgroundColor();

    // One header with `text` into `rect`: the band, then the text centred on one line, cut at the tail when too
    // long. The colours come from `palette`, the application's when none is given.
    static void drawRow(QPainter &painter, const QRectF &rect, const QString &text, const QPalette &palette);
    static void drawRow(QPainter &painter, const QRectF &rect, const QString &text);
    // The text as it fits into a header `width` wide.
    static QString displayedText(const QString &text, qreal width);

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
