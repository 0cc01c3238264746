#pragma once

#include "lists/ItemListRows.h"
#include "lists/ItemsOutlineModel.h"
#include "lists/KNVTHTMLPrinter.h"
#include "lists/KNVTTaskStoreItemsViewController.h"
#include "lists/ListMembership.h"

#include <QModelIndex>
#include <QPointer>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class KNVTCDTag;
class KNVTTaskStoreItemsOutlineView;
class QMimeData;

namespace knvt {
class ItemRowDelegate;
} // namespace knvt

// The common part of the lists shown as an outline of titled sections (the tasks of one project or area, of the
// chosen tags, of a search, and the projects and areas): the view and its model, row heights, the row buttons,
// double click, the selection commands, and the one mechanism every such list shares for store changes, drags,
// drops and printing. A list says what it shows (its sections), when it shows anything at all, which objects it
// reselects, and how it takes drops; everything else happens here.
//
// A store change is applied in place: the rows of the tasks it touched move, appear, change or go (when the list can
// place a task on its own, knvt::ListMembership), or else every row is computed again and only the differences are
// applied. The selection, the current row, the scroll position and the expanded sections stay with their rows; the
// host is told once when a selected row went.
class KNVTTaskStoreItemsOutlineViewController : public KNVTTaskStoreItemsViewController
{
    Q_OBJECT

public:
    // Where a drop goes once validated: its operation, and the row or section it lands on (child index -1) or the
    // section it goes into at a child index.
    struct DropValidation
    {
        Qt::DropAction operation = Qt::IgnoreAction;
        QModelIndex item;
        int childIndex = -1;
    };

    explicit KNVTTaskStoreItemsOutlineViewController(KNVTTaskStoreItemsViewControllerDelegate *delegate,
                                                     QObject *parent = nullptr);
    ~KNVTTaskStoreItemsOutlineViewController() override;

    KNVTTaskStoreItemsOutlineView *outlineView();
    knvt::ItemsOutlineModel *outlineModel() const { return m_model; }
    QWidget *focusView() override;
    // The height of item rows; section rows are 20 high.
    int rowHeight() const { return m_rowHeight; }

    // ---- Content -----------------------------------------------------------------------------------------------
    Items items() const override;
    Items selectedItems() const override;
    Tasks tasks() const override;
    Tasks selectedTasks() const override;
    TaskLists taskLists() const override;
    TaskLists selectedTaskLists() const override;

    // The identifiers of the sections shown, in order.
    QStringList sectionIdentifiers() const;
    // Rows are counted as shown with every section expanded, each section's own row included.
    int numberOfRows() const override { return m_rows.numberOfRows(); }
    // The section's header row or the item row at `row`; nullptr past the end.
    const knvt::ItemRow *rowAt(int row) const override { return m_rows.rowAt(row); }
    std::optional<int> cellIndexForObjectValue(const QUrl &uri) const override { return m_rows.rowForUri(uri); }
    const knvt::ListRows *listRows() const override { return &m_rows.model(); }
    QModelIndex indexForRow(int row) const override { return m_rows.indexForRow(row); }
    // The selected item rows, in row order.
    QModelIndexList selectedCells() const;
    QList<int> selectedRows() const override { return m_rows.selectedRows(); }
    // Selects exactly the item rows among `rows` (section rows are skipped).
    void selectRows(const QList<int> &rows) override;

    // ---- Selection commands ------------------------------------------------------------------------------------
    void selectAllItems() override;
    void deselectAllItems() override;
    void selectNextItem() override { m_rows.selectNeighbour(true); }
    void selectPreviousItem() override { m_rows.selectNeighbour(false); }

    // Shows the rows as the store has them now, changing only those that differ.
    void reloadData() override;
    void numberOfPreviewLinesForTaskNotesDidChangeNotification() override;
    void taskStoreWillChangeNotification() override;
    void taskStoreDidChangeNotification(const std::optional<ostore::ChangeSet> &changes) override;

    // ---- Drag and drop -----------------------------------------------------------------------------------------
    // The drag of `items` (item rows; when none of them gives an object, the selection): the objects' URIs and their
    // text, or nullptr when there is nothing this list lets go of.
    QMimeData *writeItems(const QModelIndexList &items) const;
    // What a drop of `mime` proposed onto `proposed` (child index -1) or into it at `childIndex` would do, and where
    // it would land. Drags from another process are never taken.
    DropValidation validateDrop(const QMimeData &mime, const QModelIndex &proposed, int childIndex,
                                bool fromThisProcess);
    // Carries out a drop that validateDrop() retargeted to `target` and `childIndex`; true when it was taken. The
    // question a drop on Completed asks comes on the next pass, after the drop has been answered.
    bool acceptDrop(const QMimeData &mime, const QModelIndex &target, int childIndex, bool fromThisProcess);

    // ---- Printing ----------------------------------------------------------------------------------------------
    // The printed page: the selected tasks, or what the list prints of itself when none is selected.
    QString HTMLStringForPrinting() const;
    // Prints the page through the print dialog (or into KNVT_PRINT_PDF) under printJobTitle().
    void print() override;
    // The printer of a print still running; nullptr once its completion has run.
    KNVTHTMLPrinter *printer() const { return m_printer; }

protected:
    void loadView() override;

    // The objects a list selects and reselects: tasks, or projects and areas.
    enum class ItemKind { Tasks, TaskLists };
    virtual ItemKind itemKind() const { return ItemKind::Tasks; }

    // Whether the list has something to show (its tags, search text, project or area were set). Without it a store
    // change only refreshes the empty label.
    virtual bool hasContent() const = 0;
    // Whether what the list shows still exists; false makes the list forget it (and show nothing) before a store
    // change is handled. `willChange`: asked before the store saves, else after.
    virtual bool contentStillExists(bool willChange);
    // Forgets what the list shows, so that hasContent() answers false.
    virtual void forgetContent() {}
    // The sections, as the store has them now.
    virtual std::vector<knvt::ListSection> sectionsForContent() = 0;
    // Where one task stands in the list, for a store change that touched only a few tasks; nullptr when the list
    // cannot tell on its own and computes every row again instead.
    virtual std::unique_ptr<knvt::ListMembership> membership() { return nullptr; }
    // Shows what the list has now been given to show: every row replaced (one reset).
    void resetContent();
    virtual QString emptyLabelText() const;
    // The height of item rows: 90 while notes are previewed, else 50.
    virtual int itemRowHeightForList() const { return itemRowHeight(); }

    // Drops. A list that takes none refuses them all when they land.
    virtual bool acceptsDrops() const { return true; }
    // Whether a drop of tasks or task lists onto the sections may happen at all; `fromThisView`: the drag began in
    // this list.
    virtual bool dropOfTasksQualifies(const Tasks &tasks, const TaskLists &taskLists, bool fromThisView) const;
    // Gives the tasks of Incomplete their order indexes after a drop: `before` is the section before the drop and
    // `after` the same tasks (and those dropped in) in their new order. By default each task list keeps the indexes
    // its tasks held in the section, handed out again in the new order; tasks without a list count as one list.
    virtual void renumberIncompleteTasks(const Tasks &before, const Tasks &after);

    // Printing: the page body when nothing is selected, and the job's name.
    virtual QString HTMLStringForPrintingWithoutSelection() const { return {}; }
    virtual QString printJobTitle() const;

    // What the rows of this list's rebuilds share; sectionsForContent() builds its rows with it.
    knvt::ItemRowCache *rowCache() { return &m_rowCache; }
    // Empties the sections and shows the empty label: what the list shows is gone.
    void showNothing();
    void updateTableViewLabel();
    // The objects a list reselects, selected now.
    std::vector<KNVTCDTaskStoreObject *> selectedObjectsOfKind() const;

private:
    void ensureView();
    void expandSections();
    // The item rows of `indexes` resolved, in the given order.
    template <class T>
    std::vector<T *> objectsAt(const QModelIndexList &indexes) const;
    QModelIndexList allItemIndexes() const;
    bool isFromThisList(const QMimeData &mime) const;
    void acceptDropOnIncomplete(const Tasks &tasks, const QModelIndex &section, int childIndex);
    void askToCompleteOrCancel(const QList<QUrl> &openTasks);

    QPointer<KNVTTaskStoreItemsOutlineView> m_outlineView;
    knvt::ItemsOutlineModel *m_model;
    knvt::ItemRowDelegate *m_delegate = nullptr;
    knvt::ItemRowCache m_rowCache;
    // Every change of the rows expands every section.
    knvt::ItemListRows m_rows;
    int m_rowHeight = 50;
    // Marks this list's own drags.
    quint64 m_dragSource;
    QPointer<KNVTHTMLPrinter> m_printer;
};
