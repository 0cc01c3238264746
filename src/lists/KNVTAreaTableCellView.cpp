#include "lists/KNVTAreaTableCellView.h"

#include "lists/KNVTTaskTableCellView.h"
#include "lists/RowPainting.h"

#include "foundation/KNVTMinimalDateFormatter.h"

#include <QPainter>

using knvt::ItemRow;
using knvt::RowTextField;

KNVTAreaTableCellView::KNVTAreaTableCellView(QObject *parent) : QStyledItemDelegate(parent) {}

KNVTAreaTableCellView::Layout KNVTAreaTableCellView::layoutForArea(const ItemRow &row, qreal width, bool emphasized,
                                                                   const QPalette &palette)
{
    const qreal F = width;
    Layout layout;
    knvt::setTaskListTitleAndCount(layout.title, layout.subtitle, row);
    layout.completedDate.font = knvt::rowFont(12);
    if (row.archived) {
        layout.completedDate.text =
            KNVTMinimalDateFormatter::mainThreadFormatter().stringFromDate(row.statusModifiedDate);
        layout.completedDate.hidden = false;
    }
    const qreal cw = KNVTTaskTableCellView::widthForString(layout.completedDate.text, layout.completedDate.font);
    // Archived, the area stands in the Archived list among closed projects and tasks: its day and title take the
    // columns theirs take after the box, so that the titles line up.
    const qreal x = row.archived ? 30.0 + cw + 8.0 : 8.0;
    layout.completedDate.frame = QRectF(row.archived ? 34.0 : 8.0, 15.0, cw, 20.0);
    const qreal titleWidth = F - x - 8.0;
    knvt::placeTitleAndSubtitle(layout.title, layout.subtitle, x, titleWidth, true);
    layout.title.color = knvt::rowTextColor(palette, emphasized);
    if (!emphasized) {
        layout.subtitle.color = knvt::secondaryRowTextColor(palette);
        layout.completedDate.color = knvt::dimRowTextColor(palette);
        layout.backgroundColor =
            row.archived ? KNVTTaskTableCellView::closedBackgroundColor(palette) : palette.color(QPalette::Base);
    } else {
        layout.subtitle.color = knvt::rowTextColor(palette, true);
        layout.completedDate.color = knvt::rowTextColor(palette, true);
        layout.backgroundColor = palette.color(QPalette::Base);
    }
    return layout;
}

void KNVTAreaTableCellView::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const auto *row = index.data(knvt::ItemRowRole).value<const ItemRow *>();
    if (!row)
        return;
    const Layout layout = layoutForArea(*row, option.rect.width(), knvt::isEmphasized(option), option.palette);
    painter->save();
    knvt::drawRowBackground(*painter, option, layout.backgroundColor);
    painter->translate(option.rect.topLeft());
    painter->setClipRect(QRectF(0, 0, option.rect.width(), option.rect.height()));
    for (const RowTextField *field : {&layout.title, &layout.subtitle, &layout.completedDate})
        field->draw(*painter);
    painter->restore();
}

QSize KNVTAreaTableCellView::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    return QSize(option.rect.width(), 50);
}
