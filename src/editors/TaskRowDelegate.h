#pragma once

#include "editors/KNVTTaskRowLayout.h"

#include <QPersistentModelIndex>
#include <QStyledItemDelegate>
#include <QUrl>

#include <functional>
#include <vector>

namespace knvt {

// Paints the rows of the task detail from the model's values through KNVTTaskRowLayout, and turns clicks on a row's
// check box and on an own comment's Edit and Delete into calls to its owner. One delegate for all rows: no row has a
// widget of its own.
class TaskRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    struct Actions
    {
        std::function<int()> rowWidth;                                             // W, the detail's width minus 2
        std::function<void()> toggleStatus;                                        // the title row's check box
        std::function<void(const QUrl &comment, const QRect &button)> editComment; // button in viewport coordinates
        std::function<void(const QUrl &comment)> deleteComment;
    };

    TaskRowDelegate(Actions actions, KNVTTaskRowLayout::TextHeightCache *cache, QObject *parent = nullptr);

    // The row's layout for the current width.
    KNVTTaskRowLayout layoutForIndex(const QModelIndex &index) const;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override;

    // The titles of an own comment's buttons.
    static QString editTitle();
    static QString deleteTitle();

    // What the row at `index`, whose top left is `rowOrigin` in the viewport, lets the user do with its painted
    // controls, each with the name assistive technology offers it by: the title row's enabled check box (the toggle
    // action), an own comment's Edit and Delete.
    struct RowAction
    {
        QString name;
        std::function<void()> perform;
    };
    std::vector<RowAction> rowActions(const QModelIndex &index, const QPoint &rowOrigin) const;

    // What a click at `point` (row coordinates) on the row at `index`, whose top left is `rowOrigin` in the
    // viewport, does; empty when it hits no control. A disabled check box swallows the click and does nothing.
    std::function<void()> actionForClick(const QModelIndex &index, const QPoint &point, const QPoint &rowOrigin) const;

    // The painted control at `point` (row coordinates) of the row: 0 none, 1 the check box, 2 Edit, 3 Delete.
    int controlAt(const QModelIndex &index, const QPoint &point) const;

private:
    Actions m_actions;
    KNVTTaskRowLayout::TextHeightCache *m_cache;
    // The control the left button went down on; a release acts only on it. The view's SecondClickGuard keeps the
    // second click of a double click from the controls, so a double click acts once, on what was under the first
    // click.
    QPersistentModelIndex m_pressedRow;
    int m_pressedControl = 0;
};

} // namespace knvt
