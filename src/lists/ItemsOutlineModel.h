#pragma once

#include "lists/ItemRow.h"

#include "uikit/KNVTOutlineViewSection.h"

#include <QAbstractItemModel>
#include <QHash>
#include <QUrl>

#include <functional>
#include <vector>

class QMimeData;

namespace knvt {

// One section of an outline list: the section (its identifier, the English title the drop handling tests, and its
// shown name) and the rows under it, in display order.
struct OutlineSection
{
    KNVTOutlineViewSection::Pointer section;
    std::vector<ItemRow> rows;

    const QString &identifier() const { return section->identifier(); }
};

// The model of an outline list: the sections at the top level (group rows: enabled, never selectable) and their item
// rows below them, replaced as a whole on every rebuild (one model reset). Rows answer what the table lists' rows
// answer (knvt::ItemRowRole, the object URI, title, accessible text); a section answers a header row of its name.
//
// Rows are also counted as the user sees them with every section expanded, each section's own row first: the row
// numbers of the selection commands and of cellIndexForObjectValue().
class ItemsOutlineModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    explicit ItemsOutlineModel(QObject *parent = nullptr);

    void setSections(std::vector<OutlineSection> sections);
    const std::vector<OutlineSection> &sections() const { return m_sections; }
    // Tells the views that every row's height may have changed.
    void relayout();

    // ---- Rows as shown (every section expanded) ----------------------------------------------------------------
    int numberOfRows() const { return m_numberOfRows; }
    QModelIndex indexForRow(int row) const;
    // The shown row of `index`, or -1 for an invalid index.
    int rowForIndex(const QModelIndex &index) const;
    // The shown row of the object with `uri`, or -1.
    int rowForUri(const QUrl &uri) const;
    QModelIndex indexForUri(const QUrl &uri) const;

    // ---- Items -------------------------------------------------------------------------------------------------
    // The header row of a section index, the item row of a row index; nullptr for anything else.
    const ItemRow *itemRowAt(const QModelIndex &index) const;
    bool isSection(const QModelIndex &index) const;
    // The section an index stands in (a section stands in itself); -1 for the root.
    int sectionNumber(const QModelIndex &index) const;
    QModelIndex indexForSection(int section) const;

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

private:
    std::vector<OutlineSection> m_sections;
    // The header row of each section, made from its name.
    std::vector<ItemRow> m_headers;
    // The shown row of each section's own row.
    std::vector<int> m_firstRows;
    int m_numberOfRows = 0;
    QHash<QUrl, int> m_rowForUri;
    MimeWriter m_mimeWriter;
};

} // namespace knvt
