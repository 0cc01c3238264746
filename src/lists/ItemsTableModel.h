#pragma once

#include "lists/ItemRow.h"

#include <QAbstractListModel>
#include <QHash>
#include <QUrl>

#include <functional>
#include <vector>

class QMimeData;

namespace knvt {

// The rows of a table list: one flat run of headers and item rows, replaced as a whole on every rebuild (one model
// reset). Rows answer their title, what assistive technology reads, their object's URI (knvt::ObjectUriRole) and the
// row itself (knvt::ItemRowRole); headers are not selectable.
class ItemsTableModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit ItemsTableModel(QObject *parent = nullptr);

    void setRows(std::vector<ItemRow> rows);
    const std::vector<ItemRow> &rows() const { return m_rows; }
    // Tells the views that every row's height may have changed.
    void relayout();
    const ItemRow *rowAt(int row) const;
    // The row of the object with `uri`, or -1.
    int rowForUri(const QUrl &uri) const;

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

private:
    std::vector<ItemRow> m_rows;
    QHash<QUrl, int> m_rowForUri;
    MimeWriter m_mimeWriter;
    bool m_acceptsDrops = false;
};

} // namespace knvt
