#pragma once

#include "lists/ItemRow.h"
#include "lists/RowTextField.h"

#include <QGuiApplication>
#include <QPalette>
#include <QStyledItemDelegate>

// The row of an area: its title over the item count and, once archived, the day it was archived before them on a
// grey band. A delegate over the model's knvt::ItemRow; layoutForArea() is the pure layout.
class KNVTAreaTableCellView : public QStyledItemDelegate
{
    Q_OBJECT

public:
    struct Layout
    {
        knvt::RowTextField title;
        knvt::RowTextField subtitle;
        knvt::RowTextField completedDate;
        QColor backgroundColor;
    };

    explicit KNVTAreaTableCellView(QObject *parent = nullptr);

    // The colours come from `palette` (the list's).
    static Layout layoutForArea(const knvt::ItemRow &row, qreal width, bool emphasized = false,
                                const QPalette &palette = QGuiApplication::palette());

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
