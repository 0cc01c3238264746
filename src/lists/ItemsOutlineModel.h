#pragma once

#include "lists/ItemRow.h"
#include "lists/ListRows.h"
#include "lists/ListSection.h"

#include <QAbstractItemModel>
#include <QHash>
#include <QUrl>

#include <functional>
#include <vector>

class QMimeData;

namespace knvt {

// The model of an outline list: the sections at the top level (group rows: enabled, never selectable) and their item
// rows below them, changed in place (ListRows) so that the selection and the expanded sections stay with their rows.
// Rows answer what the table lists' rows answer (knvt::ItemRowRole, the object URI, title, accessible text); a
// section answers a header row of its name.
//
// Rows are also counted as the user sees them with every section expanded, each section's own row first: the row
// numbers of the selection commands and of cellIndexForObjectValue().
class ItemsOutlineModel : public QAbstractItemModel, public ListRows
{
    Q_OBJECT

public:
    explicit ItemsOutlineModel(QObject *parent = nullptr);

    const std::vector<ListSection> &sections() const override { return m_sections; }
    // Tells the views that every row's height may have changed.
    void relayout();

    // ---- Rows as shown (every section expanded) ----------------------------------------------------------------
    int numberOfRows() const override;
    const ItemRow *rowAt(int row) const override { return itemRowAt(indexForRow(row)); }
    QModelIndex indexForRow(int row) const override;
    // The shown row of `index` (a section's own row included), or -1 for an invalid index.
    int rowForIndex(const QModelIndex &index) const;
    int itemRowForIndex(const QModelIndex &index) const override { return isSection(index) ? -1 : rowForIndex(index); }
    int rowForUri(const QUrl &uri) const override;
    QModelIndex indexForUri(const QUrl &uri) const;
    QModelIndex indexForObject(const ostore::ObjectID &id) const;

    // ---- Items -------------------------------------------------------------------------------------------------
    // The header row of a section index, the item row of a row index; nullptr for anything else.
    const ItemRow *itemRowAt(const QModelIndex &index) const;
    bool isSection(const QModelIndex &index) const;
    // The section an index stands in (a section stands in itself); -1 for the root.
    int sectionNumber(const QModelIndex &index) const;
    QModelIndex indexForSection(int section) const;

    // How a list of many rows makes them when they are read: `row` fills an unfilled row (ItemRow::unfilledTask) from
    // its object, and `objectID` finds the object of a URI, by which rowForUri() finds unfilled rows.
    struct RowSource
    {
        std::function<ItemRow(const ostore::ObjectID &id)> row;
        std::function<ostore::ObjectID(const QUrl &uri)> objectID;
    };
    void setRowSource(RowSource source) { m_rowSource = std::move(source); }

    // The drag writer: the MIME data for the item rows being dragged (in shown order), or nullptr for no drag.
    using MimeWriter = std::function<QMimeData *(const QModelIndexList &rows)>;
    void setMimeWriter(MimeWriter writer) { m_mimeWriter = std::move(writer); }

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    Qt::DropActions supportedDragActions() const override;

    // ---- ListRows ----------------------------------------------------------------------------------------------
    void resetSections(std::vector<ListSection> sections) override;
    void insertSection(int at, ListSection section) override;
    void removeSection(int at) override;
    void moveSection(int from, int to) override;
    void setSectionHeader(int at, const KNVTOutlineViewSection::Pointer &section, bool showsHeader) override;
    void insertItemRows(int section, int at, std::vector<ItemRow> rows) override;
    void removeItemRows(int section, int first, int count) override;
    void moveItemRow(int fromSection, int from, int toSection, int to) override;
    void setItemRow(int section, int at, ItemRow row) override;
    void rearrange(std::vector<ListSection> arrangement) override;

protected:
    void announceItemRowsChanged(int section, int first, int last) override;

private:
    // Each section carries a number of its own for as long as it is shown: the item rows' indexes name their section
    // by it, so that an index kept by a view still finds its section when sections come and go before it.
    struct Shown
    {
        quintptr serial = 0;
        ItemRow header;
    };

    QModelIndex indexOf(int section, int row) const;
    int sectionOfSerial(quintptr serial) const;
    Shown makeShown(const ListSection &section);
    void ensureRowNumbers() const;
    void ensureRowsOfUris() const;
    void rowsChanged()
    {
        m_rowNumbersValid = false;
        m_rowsOfUrisValid = false;
    }

    std::vector<ListSection> m_sections;
    std::vector<Shown> m_shown;
    quintptr m_nextSerial = 1;
    // Rows as shown, made again on the first question after a change.
    mutable bool m_rowNumbersValid = false;
    mutable std::vector<int> m_firstRows;
    mutable int m_numberOfRows = 0;
    // Made only when a row is looked up by its URI: the walk reads every row, which a list of 100,000 rows made for
    // every question of its number of rows.
    mutable bool m_rowsOfUrisValid = false;
    mutable QHash<QUrl, int> m_rowForUri;
    MimeWriter m_mimeWriter;
    RowSource m_rowSource;
};

} // namespace knvt
