#pragma once

#include <QAccessibleWidget>
#include <QHash>
#include <QPersistentModelIndex>
#include <QPointer>

#include <memory>
#include <vector>

class QAbstractItemModel;
class QTreeView;

namespace knvt {

class AccessibleItemView;

// What assistive technology reads of a tree view of painted rows that implements knvt::AccessibleItemView: a list (or
// tree) named by the view's accessible name, else by the list's name, and described by the view's accessible
// description, else by the empty-list text while it shows ("No Tasks"). Its elements are the rows as the view shows
// them, top to bottom: each is named by the model's accessible text, described by its accessible description,
// checkable with its state where the model gives one (a cancelled item is "mixed"), selected and focused as in the
// view, and offers the view's actions for the row's painted buttons. A row a reader has read whose box changes,
// however it was changed, tells assistive technology of its new state, also when the change moved it into a section
// the view opens only afterwards (a task ticked into a new Completed section of a project, a tag list or the search
// results). Reading the list reads the contents of no row a reader did not ask for.
//
// The elements are numbered as Qt's own tree views number them in the focus and selection events they send (the
// hidden column header first, then the shown rows), so that an event names the row it is about.
class ItemViewAccessible : public QAccessibleWidget
{
public:
    explicit ItemViewAccessible(QTreeView *view);
    ~ItemViewAccessible() override;

    QAccessible::Role role() const override;
    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *focusChild() const override;

    // The element of the row at `index`, or nullptr when the view does not show it.
    QAccessibleInterface *rowInterface(const QModelIndex &index) const;

    // Makes every tree view that implements AccessibleItemView answer with this interface; such a view calls it when it
    // is made.
    static void install();

private:
    // Shown rows of one parent that follow one another, top to bottom: `count` rows from `firstRow`, the first of them
    // the `position`th row shown.
    struct Run
    {
        QPersistentModelIndex parent;
        int firstRow = 0;
        int count = 0;
        int position = 0;
    };

    QTreeView *view() const;
    AccessibleItemView *itemView() const;
    // The shown rows, as runs, computed again after the model or the open sections changed, from the rows that have
    // rows of their own and never from what a row shows: a list of very many rows fills a row only when something
    // reads it.
    void update() const;
    void layOut(const QModelIndex &parent) const;
    // The row shown at `position`, or an invalid index; the position of a shown row, or -1.
    QModelIndex rowAt(int position) const;
    int positionOf(const QModelIndex &index) const;
    void watch(QAbstractItemModel *model) const;
    // Tells assistive technology of each row in [first, last] under `parent` whose box changed since a reader last
    // saw it, once the row shows: ticking a task reads "checked" whichever way it was ticked (its box, a key, a menu,
    // a sync).
    void announceCheckChanges(const QModelIndex &parent, int first, int last) const;

    mutable bool m_stale = true;
    mutable QPointer<QAbstractItemModel> m_model;
    mutable std::vector<Run> m_runs;
    mutable int m_shownRows = 0;
    // The elements made for the rows a reader asked for, and which shown row each stands for.
    mutable std::vector<QAccessible::Id> m_elements;
    mutable QHash<int, QAccessible::Id> m_elementAt;
    // The box (Qt::CheckState, -1 for none) of each row as a reader last saw it, kept with the row when it moves, also
    // while it stands in a section the view has not opened yet.
    mutable QHash<QPersistentModelIndex, int> m_seenBoxes;
    mutable QAccessible::Id m_header = 0;
    // The context of the connections that mark the rows stale; it goes with this interface.
    mutable std::unique_ptr<QObject> m_watcher;
};

} // namespace knvt
