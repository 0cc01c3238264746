#include "lists/KNVTTaskTableCellView.h"

#include "lists/RowPainting.h"

#include "foundation/Clock.h"
#include "foundation/KNVTMinimalDateFormatter.h"
#include "uikit/ColorAdditions.h"
#include "uikit/FontAdditions.h"
#include "uikit/KNVTAvatarView.h"
#include "uikit/KNVTCheckBox.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

using knvt::ItemRow;
using knvt::RowTextField;

KNVTTaskTableCellView::KNVTTaskTableCellView(QObject *parent) : QStyledItemDelegate(parent) {}

qreal KNVTTaskTableCellView::widthForString(const QString &string, const QFont &font)
{
    if (string.isEmpty())
        return 0.0;
    return QFontMetricsF(font).horizontalAdvance(string) + 10.0;
}

void KNVTTaskTableCellView::prepareFonts()
{
    ItemRow row;
    row.kind = knvt::ItemRowKind::Task;
    const Layout layout = layoutForTask(row, 400.0, QDateTime());
    QImage image(400, 90, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    layout.notes.draw(painter);
    knvt::prepareFallbackFontsInBackground({layout.title.font, layout.subtitle.font});
}

bool KNVTTaskTableCellView::prepareFallbackFontOfRow(const ItemRow &row, int height)
{
    // Laid out as paint() lays it out; the width does not change which fonts the texts need.
    const Layout layout = layoutForTask(row, 400.0, knvt::Clock::shared().now());
    for (const RowTextField *field :
         {&layout.title, &layout.subtitle, &layout.startDate, &layout.dueDate, &layout.completedDate, &layout.notes})
        if (!field->hidden && field->frame.bottom() <= height
            && knvt::prepareFallbackFontOnThisThread(field->text, field->font))
            return true;
    return !layout.avatarHidden && row.avatarImage.isNull()
        && knvt::prepareFallbackFontOnThisThread(row.avatarInitials, KNVTAvatarView::textFont());
}

QColor KNVTTaskTableCellView::todayTintColor()
{
    return QColor::fromRgbF(0.91f, 0.74f, 0.19f, 1.0f);
}

QColor KNVTTaskTableCellView::startDateColor(const QPalette &palette)
{
    return knvt::blendedColor(palette.color(QPalette::Link), palette.color(QPalette::Base), 0.4);
}

QColor KNVTTaskTableCellView::closedBackgroundColor(const QPalette &palette)
{
    return palette.color(QPalette::AlternateBase);
}

KNVTTaskTableCellView::Layout KNVTTaskTableCellView::layoutForTask(const ItemRow &row, qreal width,
                                                                   const QDateTime &now, bool emphasized,
                                                                   const QPalette &palette)
{
    const KNVTMinimalDateFormatter &formatter = KNVTMinimalDateFormatter::mainThreadFormatter();
    const qreal F = width;
    const bool open = !row.closed;
    const bool overdue = row.dueDate.isValid() && row.dueDate <= now;

    Layout layout;
    layout.checkBoxState = row.checkBoxState;
    layout.checkBoxEnabled = row.checkBoxEnabled;
    if (row.checkBoxState == KNVTCheckBoxStateNone) {
        if (overdue)
            layout.checkBoxTintColor = knvt::overdueColor(palette);
        else if (row.today)
            layout.checkBoxTintColor = todayTintColor();
        else
            layout.checkBoxTintColor = knvt::defaultTintColor();
    } else {
        layout.checkBoxTintColor = knvt::defaultTintColor();
    }

    layout.avatarHidden = row.avatarHidden;
    layout.avatarFrame = QRectF(F - 50.0, 5.0, 40.0, 40.0);

    layout.title.font = knvt::rowFont(14, true);
    layout.title.color = knvt::rowTextColor(palette, emphasized);
    layout.title.text = row.title;
    layout.subtitle.font = knvt::rowFont(12);
    layout.subtitle.text = row.subtitleText();
    for (RowTextField *field : {&layout.startDate, &layout.dueDate, &layout.completedDate})
        field->font = knvt::rowFont(12);
    layout.dueDate.alignment = Qt::AlignRight;

    // Dates: the due date of an open task; the day a closed one was closed; the start of an open task that has
    // neither started nor fallen due.
    const bool showsDueDate = row.dueDate.isValid() && open;
    layout.dueDate.text = showsDueDate ? formatter.stringFromDate(row.dueDate) : QString();
    layout.completedDate.text = row.closed ? formatter.stringFromDate(row.statusModifiedDate) : QString();
    const bool started = row.startDate.isValid() && row.startDate <= now;
    const bool due = row.dueDate.isValid() && row.dueDate <= now;
    if (open && (started || due))
        layout.startDate.text = QString();
    else
        layout.startDate.text = row.startDate.isValid() && open ? formatter.stringFromDate(row.startDate) : QString();

    if (row.notes.isEmpty()) {
        layout.notes.text = QCoreApplication::translate("KNVTTaskTableCellView", "No Notes");
        QFont font = knvt::rowFont(13);
        font.setItalic(true);
        layout.notes.font = font;
    } else {
        layout.notes.text = row.notes;
        layout.notes.font = knvt::rowFont(12);
    }
    layout.notes.truncates = false;

    const qreal sw = widthForString(layout.startDate.text, layout.startDate.font);
    const qreal dw = widthForString(layout.dueDate.text, layout.dueDate.font);
    const qreal cw = widthForString(layout.completedDate.text, layout.completedDate.font);
    const qreal m = row.avatarHidden ? 10.0 : 55.0;

    qreal x = sw + 34.0;
    qreal titleWidth = 0.0;
    layout.checkBoxFrame = QRectF(4.0, 14.0, 22.0, 22.0);
    if (!layout.startDate.text.isEmpty()) {
        x = 30.0 + sw + 8.0;
        // Room is also left for a due date shown at the right, so a long title never runs under it.
        titleWidth = F - sw - 35.0 - (dw > 0.0 ? dw + 4.0 : 0.0);
        layout.startDate.frame = QRectF(34.0, 15.0, sw, 20.0);
        layout.startDate.hidden = false;
        layout.completedDate.hidden = true;
    } else if (row.checkBoxState != KNVTCheckBoxStateNone) {
        x = 30.0 + cw + 8.0;
        titleWidth = F - cw - 35.0;
        layout.startDate.hidden = true;
        layout.completedDate.frame = QRectF(34.0, 15.0, cw, 20.0);
        layout.completedDate.hidden = false;
    } else {
        titleWidth = (F - 30.0) - sw - 4.0 - dw;
        layout.startDate.hidden = true;
        layout.completedDate.hidden = true;
    }
    titleWidth -= m;

    knvt::placeTitleAndSubtitle(layout.title, layout.subtitle, x, titleWidth, false);

    if (!layout.dueDate.text.isEmpty()) {
        layout.dueDate.frame = QRectF(F - dw - m, 17.0, dw, 28.0);
        layout.dueDate.hidden = false;
    }

    layout.notes.frame = QRectF(4.0, 48.0, F - 8.0, 34.0);
    layout.notes.hidden = false;

    // Colours of the moment of drawing, from the list's palette.
    const QColor text = knvt::rowTextColor(palette, false);
    if (!emphasized) {
        layout.startDate.color = startDateColor(palette);
        layout.subtitle.color = knvt::secondaryRowTextColor(palette);
        layout.completedDate.color = knvt::dimRowTextColor(palette);
        if (row.closed) {
            layout.dueDate.color = text;
            layout.backgroundColor = closedBackgroundColor(palette);
        } else {
            layout.dueDate.color = overdue ? knvt::overdueColor(palette) : text;
            layout.backgroundColor = palette.color(QPalette::Base);
        }
        layout.notes.color = knvt::secondaryRowTextColor(palette);
    } else {
        for (RowTextField *field :
             {&layout.subtitle, &layout.dueDate, &layout.completedDate, &layout.notes, &layout.startDate})
            field->color = knvt::rowTextColor(palette, true);
        layout.backgroundColor = palette.color(QPalette::Base);
    }
    return layout;
}

void KNVTTaskTableCellView::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const auto *row = index.data(knvt::ItemRowRole).value<const ItemRow *>();
    if (!row)
        return;
    const bool emphasized = knvt::isEmphasized(option);
    Layout layout = layoutForTask(*row, option.rect.width(), knvt::Clock::shared().now(), emphasized, option.palette);

    layout.startDate.color = knvt::ownColourOnRow(option, layout.startDate.color, layout.title.color);
    painter->save();
    knvt::drawRowBackground(*painter, option, layout.backgroundColor);
    painter->translate(option.rect.topLeft());
    painter->setClipRect(QRectF(0, 0, option.rect.width(), option.rect.height()));
    knvt::drawRowCheckBox(*painter, option, layout.checkBoxFrame, layout.checkBoxState, layout.checkBoxTintColor,
                          layout.checkBoxEnabled);
    for (const RowTextField *field : {&layout.subtitle, &layout.title, &layout.startDate, &layout.completedDate})
        field->draw(*painter);
    layout.dueDate.drawLevelWith(*painter, layout.title);
    // The notes stand below a short row's bottom; only tall rows show them.
    if (option.rect.height() >= layout.notes.frame.bottom())
        layout.notes.draw(*painter);
    if (!layout.avatarHidden)
        KNVTAvatarView::draw(*painter, layout.avatarFrame, row->avatarImage, row->avatarInitials, 1.0,
                             KNVTAvatarView::discColor());
    painter->restore();
}

QSize KNVTTaskTableCellView::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    return QSize(option.rect.width(), 50);
}

bool KNVTTaskTableCellView::editorEvent(QEvent *event, QAbstractItemModel *, const QStyleOptionViewItem &option,
                                        const QModelIndex &index)
{
    const auto *row = index.data(knvt::ItemRowRole).value<const ItemRow *>();
    if (!row || !row->checkBoxEnabled)
        return false;
    const QRectF box = QRectF(4.0, 14.0, 22.0, 22.0).translated(option.rect.topLeft());
    return knvt::handleRowButtonEvent(event, box, [this, uri = row->uri] { emit checkBoxClicked(uri); });
}
