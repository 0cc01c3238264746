#pragma once

#include "accounts/UserRow.h"
#include "uikit/FlatRowsModel.h"

#include <QAbstractListModel>

#include <vector>

class KNVTTaskStore;

// What waits for the user's answer, as rows: the friendship invitations, the pending projects and the pending areas,
// each section under its header and left out when it is empty. Item rows carry the object reference of the person
// or list they show, and their accept and decline buttons under knvt::PaintedRowList::RowActionsRole.
class KNVTNotificationsModel : public knvt::FlatRowsModel<QAbstractListModel>
{
    Q_OBJECT

public:
    enum class RowKind { Header, Friendship, TaskList };
    static constexpr int RowKindRole = Qt::UserRole + 300;
    // The owner's name on a list row.
    static constexpr int OwnerNameRole = Qt::UserRole + 301;

    struct Row
    {
        RowKind kind = RowKind::Header;
        QString title; // the header's text, or the list's title
        QString ownerName;
        knvt::UserRow user; // friendship rows
        QUrl uri;
        bool isArea = false; // list rows

        bool operator==(const Row &other) const = default;
    };

    // `store`: nullptr means the shared store.
    explicit KNVTNotificationsModel(KNVTTaskStore *store = nullptr, QObject *parent = nullptr);

    // Brings every row up to the store, in place.
    void updateCells();
    const std::vector<Row> &cells() const { return m_rows; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    // What a screen reader reads of a row: what the row shows, in one line.
    static QString accessibleText(const Row &row);

    KNVTTaskStore *m_store;
    std::vector<Row> m_rows;
};
