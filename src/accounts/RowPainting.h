#pragma once

#include "uikit/FontAdditions.h"

#include <QPersistentModelIndex>
#include <QRectF>
#include <QString>

#include <optional>
#include <vector>

class QAbstractItemModel;
class QEvent;
class QFont;
class QPainter;
class QPalette;
class QStyleOptionViewItem;
class QStyledItemDelegate;
class QWidget;

// Push buttons painted inside list rows (accept, decline, invite), so that a list of any length needs no widget per
// row. A delegate draws them with drawRowButton() and passes the view's mouse events to a RowButtonTracker, which
// shows the press and reports a click: a press and a release on the same button of the same row.
namespace knvt {

class PaintedRowList;

// A list of painted rows over `model`, named "tableView" for the tests, rows as high as `delegate` says.
PaintedRowList *makeRowList(QAbstractItemModel *model, QStyledItemDelegate *delegate);

// A list of people over `model`, painted by KNVTUserRowDelegate (with check boxes when `hasCheckBox`); several
// people can be chosen and dragged out.
PaintedRowList *makePeopleListView(QAbstractItemModel *model, bool hasCheckBox);

// The colour of the second line of a row (a user name, an owner) and of other quiet text: the palette's placeholder
// grey, or the highlighted text on a selected row, so that it reads on a light and a dark theme alike.
QColor secondaryTextColor(const QPalette &palette, bool selected = false);

// The pill behind the "me" label: the palette's mid grey, faint, or the highlighted text's colour on a selected row.
QColor meLabelFill(const QPalette &palette, bool selected = false);

// A check box painted in a row, in the palette's colours so that it shows on the list's base in a light and a dark
// theme alike: a box ringed in mid grey (the disabled group's for a box that cannot change), filled with the
// highlight and marked in the highlighted text when ticked.
void drawRowCheckBox(QPainter &painter, const QRectF &rect, bool checked, bool enabled, const QPalette &palette);

// The focus frame of the row the keyboard is on, where the style draws it, for delegates that paint their rows
// whole.
void drawRowFocus(QPainter &painter, const QStyleOptionViewItem &option);

// A push button painted in a row; a disabled one is drawn greyed and takes no click (see the delegate's tracker).
void drawRowButton(QPainter &painter, const QRectF &rect, const QString &title, bool pressed, const QWidget *widget,
                   bool enabled = true);

class RowButtonTracker
{
public:
    // Handles a mouse event over the row `index` whose buttons stand at `rects`. Returns the position in `rects` of
    // the button clicked, when this event completes a click. `consumed` says whether the event was meant for a button
    // (the view then does not select the row for it).
    std::optional<int> handle(const QEvent *event, const QModelIndex &index, const std::vector<QRectF> &rects,
                              bool *consumed);
    // Whether the button at `button` of the row is held down now.
    bool isPressed(const QModelIndex &index, int button) const;

private:
    QPersistentModelIndex m_index;
    int m_button = -1;
};

} // namespace knvt
