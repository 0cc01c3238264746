#pragma once

#include "lists/ListSection.h"

#include "objectstore/ObjectID.h"

#include <QModelIndex>
#include <QUrl>

#include <optional>
#include <vector>

namespace knvt {

// The rows of an item list as its sections, changed in place: both item models (the table's flat rows and the
// outline's sections) are one, so that every list follows the store the same way. A change is carried out as the
// views' own row operations (rows inserted, removed and moved, a section appearing or going, a row's data changed),
// so that the selection, the current row, the scroll position and the expanded sections stay with their rows.
//
// Rows are told apart by their object (ItemRow::objectID), sections by their identifier; neither repeats in a list.
class ListRows
{
public:
    virtual ~ListRows() = default;

    virtual const std::vector<ListSection> &sections() const = 0;

    // ---- Rows as shown: header and item rows counted from the top, every section open ---------------------------
    virtual int numberOfRows() const = 0;
    // The header or item row at `row`; nullptr past the end.
    virtual const ItemRow *rowAt(int row) const = 0;
    // The views' index of `row`; invalid past the end.
    virtual QModelIndex indexForRow(int row) const = 0;
    // The shown row of an item row's index; -1 for a header's or an invalid index.
    virtual int itemRowForIndex(const QModelIndex &index) const = 0;
    // The shown row of the object with `uri`, or -1.
    virtual int rowForUri(const QUrl &uri) const = 0;

    // Turns the rows into `target` through the lists' one diff (KeyedRowDiff): rows no longer listed are removed, new
    // rows inserted, rows that changed place moved, rows whose contents changed updated, and sections that appear or
    // go inserted or removed. Rows or sections that repeat in `target` replace everything at once.
    void updateSections(std::vector<ListSection> target);

    struct Location
    {
        int section = -1;
        int row = -1;
    };
    // The row of the object `id`; nullopt when no row shows it.
    std::optional<Location> locate(const ostore::ObjectID &id) const;
    // The section with `identifier`, or -1.
    int sectionIndex(const QString &identifier) const;

    // ---- The operations a model carries out, each announced to its views ---------------------------------------
    // Replaces everything (one reset): only when nothing is known about what changed.
    virtual void resetSections(std::vector<ListSection> sections) = 0;
    // Inserts `section` (without rows) at `at`.
    virtual void insertSection(int at, ListSection section) = 0;
    // Removes the section at `at`, which has no rows.
    virtual void removeSection(int at) = 0;
    // Moves a section; `to` is its index once moved.
    virtual void moveSection(int from, int to) = 0;
    virtual void setSectionHeader(int at, const KNVTOutlineViewSection::Pointer &section, bool showsHeader) = 0;
    virtual void insertItemRows(int section, int at, std::vector<ItemRow> rows) = 0;
    virtual void removeItemRows(int section, int first, int count) = 0;
    // Moves a row, also into another section; `to` is its index in `toSection` once moved.
    virtual void moveItemRow(int fromSection, int from, int toSection, int to) = 0;
    // Replaces the row's contents; the views hear of it only when something shown differs.
    virtual void setItemRow(int section, int at, ItemRow row) = 0;
    // The same sections and rows in another arrangement (rows may change sections): one layout change.
    virtual void rearrange(std::vector<ListSection> arrangement) = 0;

protected:
    // A model's setItemRow reports each row whose contents it changed here. Outside a diff the views hear of it at
    // once; while the diff updates rows, neighbouring rows of a section are told as one run when the run ends. A view
    // works out where a single changed row stands by walking its rows, so a sync that changes thousands of rows told
    // one by one froze the window for the sum of those walks.
    void itemRowChanged(int section, int at);
    // Tells the views that rows `first` to `last` of `section` show something else.
    virtual void announceItemRowsChanged(int section, int first, int last) = 0;

private:
    friend struct ListRowsDiffHost;
    void announcePendingRun();

    bool m_collectingRuns = false;
    struct Run
    {
        int section = -1;
        int first = 0;
        int last = -1;
    };
    Run m_pendingRun;
};

} // namespace knvt
