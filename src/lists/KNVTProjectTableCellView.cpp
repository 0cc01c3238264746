#include "lists/KNVTProjectTableCellView.h"

#include "lists/KNVTTaskTableCellView.h"
#include "lists/RowPainting.h"

#include "foundation/Clock.h"
#include "foundation/DateAdditions.h"
#include "foundation/KNVTMinimalDateFormatter.h"
#include "uikit/ColorAdditions.h"
#include "uikit/ImageAdditions.h"
#include "uikit/KNVTCheckBox.h"

#include <QLocale>
#include <QPainter>

using knvt::ItemRow;
using knvt::RowTextField;

KNVTProjectTableCellView::KNVTProjectTableCellView(QObject *parent) : QStyledItemDelegate(parent) {}

QString KNVTProjectTableCellView::mediumDateString(const QDateTime &date)
{
    return QLocale().toString(knvt::dayForDate(date), QLocale::ShortFormat);
}

bool KNVTProjectTableCellView::showsArchiveButton(const ItemRow &row)
{
    return row.kind == knvt::ItemRowKind::Project && row.closed && !row.archived && row.canEdit;
}

KNVTProjectTableCellView::Layout KNVTProjectTableCellView::layoutForProject(const ItemRow &row, qreal width,
                                                                            const QDateTime &now, bool emphasized,
                                                                            const QPalette &palette)
{
    const qreal F = width;
    const bool open = !row.closed;
    Layout layout;
    layout.checkBoxState = row.checkBoxState;
    layout.checkBoxEnabled = row.checkBoxEnabled;

    knvt::setTaskListTitleAndCount(layout.title, layout.subtitle, row);
    for (RowTextField *field : {&layout.startDate, &layout.dueDate, &layout.completedDate})
        field->font = knvt::rowFont(12);
    layout.dueDate.alignment = Qt::AlignRight;

    // A cancelled project keeps showing when it was due; a completed one does not.
    layout.dueDate.text = row.dueDate.isValid() && !row.completed ? mediumDateString(row.dueDate) : QString();
    layout.completedDate.text =
        row.closed ? KNVTMinimalDateFormatter::mainThreadFormatter().stringFromDate(row.statusModifiedDate) : QString();

    layout.archiveButtonHidden = !showsArchiveButton(row);
    const bool started = row.startDate.isValid() && row.startDate <= now;
    const bool due = row.dueDate.isValid() && row.dueDate <= now;
    if (open && (started || due)) {
        layout.startDate.text = QString();
    } else if (open && row.startDate.isValid()) {
        layout.startDate.text = mediumDateString(row.startDate);
    } else {
        layout.startDate.text = QString();
    }

    const qreal sw = KNVTTaskTableCellView::widthForString(layout.startDate.text, layout.startDate.font);
    const qreal dw = KNVTTaskTableCellView::widthForString(layout.dueDate.text, layout.dueDate.font);
    const qreal cw = KNVTTaskTableCellView::widthForString(layout.completedDate.text, layout.completedDate.font);
    const qreal m = layout.archiveButtonHidden ? 26.0 : 46.0;

    qreal x = sw + 34.0;
    layout.checkBoxFrame = QRectF(4.0 + sw, 14.0, 22.0, 22.0);
    if (!layout.startDate.text.isEmpty()) {
        layout.startDate.frame = QRectF(4.0, 17.0, sw, 28.0);
        layout.startDate.hidden = false;
    }
    qreal titleWidth = 0.0;
    if (row.closed) {
        x = 30.0 + cw + 8.0;
        titleWidth = F - cw - 35.0;
        layout.completedDate.frame = QRectF(34.0, 15.0, cw, 20.0);
        layout.completedDate.hidden = false;
    } else {
        titleWidth = F - sw - dw - 15.0 - m;
        layout.completedDate.hidden = true;
    }

    // The title stands above the count, the reverse of a task's title and list.
    knvt::placeTitleAndSubtitle(layout.title, layout.subtitle, x, titleWidth, true);
    if (!layout.dueDate.text.isEmpty()) {
        layout.dueDate.frame = QRectF(F - dw - m, 17.0, dw, 28.0);
        layout.dueDate.hidden = false;
    }
    layout.archiveButtonFrame = QRectF(F - 26.0, 14.0, 16.0, 16.0);

    layout.title.color = knvt::rowTextColor(palette, emphasized);
    // On the highlight the start date takes the highlighted text's colour as the other texts do: its own blue would
    // not read on a blue highlight.
    layout.startDate.color =
        emphasized ? knvt::rowTextColor(palette, true) : KNVTTaskTableCellView::startDateColor(palette);
    if (!emphasized) {
        layout.subtitle.color = knvt::secondaryRowTextColor(palette);
        layout.dueDate.color = knvt::rowTextColor(palette, false);
        layout.completedDate.color = knvt::dimRowTextColor(palette);
        layout.backgroundColor =
            row.closed ? KNVTTaskTableCellView::closedBackgroundColor(palette) : palette.color(QPalette::Base);
    } else {
        for (RowTextField *field : {&layout.subtitle, &layout.dueDate, &layout.completedDate})
            field->color = knvt::rowTextColor(palette, true);
        layout.backgroundColor = palette.color(QPalette::Base);
    }
    return layout;
}

void KNVTProjectTableCellView::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                     const QModelIndex &index) const
{
    const auto *row = index.data(knvt::ItemRowRole).value<const ItemRow *>();
    if (!row)
        return;
    const bool emphasized = knvt::isEmphasized(option);
    Layout layout =
        layoutForProject(*row, option.rect.width(), knvt::Clock::shared().now(), emphasized, option.palette);
    layout.startDate.color = knvt::ownColourOnRow(option, layout.startDate.color, layout.title.color);
    painter->save();
    knvt::drawRowBackground(*painter, option, layout.backgroundColor);
    painter->translate(option.rect.topLeft());
    painter->setClipRect(QRectF(0, 0, option.rect.width(), option.rect.height()));
    knvt::drawRowCheckBox(*painter, option, layout.checkBoxFrame, layout.checkBoxState, knvt::defaultTintColor(),
                          layout.checkBoxEnabled);
    for (const RowTextField *field : {&layout.title, &layout.subtitle, &layout.startDate, &layout.completedDate})
        field->draw(*painter);
    layout.dueDate.drawLevelWith(*painter, layout.title);
    if (!layout.archiveButtonHidden) {
        const QIcon icon = knvt::templateImageFromMainBundleWithName(QStringLiteral("SL_ArchiveTemplate"));
        knvt::drawIcon(*painter, icon, layout.archiveButtonFrame, knvt::rowTextColor(option.palette, emphasized),
                       emphasized ? QIcon::Selected : QIcon::Normal);
    }
    painter->restore();
}

QSize KNVTProjectTableCellView::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    return QSize(option.rect.width(), 50);
}

bool KNVTProjectTableCellView::editorEvent(QEvent *event, QAbstractItemModel *, const QStyleOptionViewItem &option,
                                           const QModelIndex &index)
{
    const auto *row = index.data(knvt::ItemRowRole).value<const ItemRow *>();
    if (!row)
        return false;
    const Layout layout = layoutForProject(*row, option.rect.width(), knvt::Clock::shared().now());
    const QPointF origin = option.rect.topLeft();
    if (layout.checkBoxEnabled
        && knvt::handleRowButtonEvent(event, layout.checkBoxFrame.translated(origin),
                                      [this, uri = row->uri] { emit checkBoxClicked(uri); }))
        return true;
    if (!layout.archiveButtonHidden
        && knvt::handleRowButtonEvent(event, layout.archiveButtonFrame.translated(origin),
                                      [this, uri = row->uri] { emit archiveButtonClicked(uri); }))
        return true;
    return false;
}
