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
class QListView;
class QPainter;
class QStyledItemDelegate;
class QTreeView;
class QWidget;

// Push buttons painted inside list rows (accept, decline, invite), so that a list of any length needs no widget per
// row. A delegate draws them with drawRowButton() and passes the view's mouse events to a RowButtonTracker, which
// shows the press and reports a click: a press and a release on the same button of the same row.
namespace knvt {

// A list of painted rows over `model`, named "tableView" for the tests: one column without header or expansion
// marks, rows as high as `delegate` says.
QTreeView *makeRowTreeView(QAbstractItemModel *model, QStyledItemDelegate *delegate);

// A list of people over `model`, painted by KNVTUserRowDelegate (with check boxes when `hasCheckBox`); several
// people can be chosen and dragged out.
QListView *makePeopleListView(QAbstractItemModel *model, bool hasCheckBox);

void drawRowButton(QPainter &painter, const QRectF &rect, const QString &title, bool pressed, const QWidget *widget);

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
