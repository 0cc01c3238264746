#pragma once

#include "lists/ItemRow.h"
#include "lists/ListRows.h"
#include "lists/ListSection.h"

#include <QAbstractListModel>
#include <QHash>
#include <QUrl>

#include <functional>
#include <vector>

class QMimeData;

namespace knvt {

// The rows of a table list: one flat run of header rows and item rows, kept as the list's sections and changed in
// place (ListRows), each section's header (when it shows one) right before its rows. Rows answer their title, what
// assistive technology reads, their object's URI (knvt::ObjectUriRole) and the row itself (knvt::ItemRowRole);
// headers are not selectable.
class ItemsTableModel : public QAbstractListModel, public ListRows
{
    Q_OBJECT

public:
    explicit ItemsTableModel(QObject *parent = nullptr);

    const std::vector<ListSection> &sections() const override { return m_sections; }
    // Replaces everything with a flat run of rows: each header row starts a section, rows before the first header
    // form one section without a header.
    void setRows(const std::vector<ItemRow> &rows);
    // Every row, headers included, in shown order.
    std::vector<ItemRow> rows() const;
    // Tells the views that every row's height may have changed.
    void relayout();
    int numberOfRows() const override { return m_rowCount; }
    const ItemRow *rowAt(int row) const override;
    QModelIndex indexForRow(int row) const override { return index(row); }
    int itemRowForIndex(const QModelIndex &index) const override;
    int rowForUri(const QUrl &uri) const override;

    // The drag writer: the MIME data for the rows being dragged (ascending), or nullptr for no drag.
    using MimeWriter = std::function<QMimeData *(const QList<int> &rows)>;
    void setMimeWriter(MimeWriter writer) { m_mimeWriter = std::move(writer); }
    void setAcceptsDrops(bool accepts) { m_acceptsDrops = accepts; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    Qt::DropActions supportedDragActions() const override;
    Qt::DropActions supportedDropActions() const override;

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
    // The flat row of the section's header (or of its first row, when it shows no header).
    int start(int section) const { return m_starts[size_t(section)]; }
    int headerRows(int section) const { return m_sections[size_t(section)].showsHeader ? 1 : 0; }
    int length(int section) const { return headerRows(section) + int(m_sections[size_t(section)].rows.size()); }
    int flatRow(int section, int row) const { return start(section) + headerRows(section) + row; }
    void recount();

    std::vector<ListSection> m_sections;
    std::vector<ItemRow> m_headers;
    std::vector<int> m_starts;
    int m_rowCount = 0;
    mutable bool m_rowForUriValid = false;
    mutable QHash<QUrl, int> m_rowForUri;
    MimeWriter m_mimeWriter;
    bool m_acceptsDrops = false;
};

} // namespace knvt
