#pragma once

#include "uikit/FlatRowsModel.h"

#include <QIcon>
#include <QString>
#include <QVariant>

#include <vector>

namespace knvt {

// The rows of a form's pop-up button (the task form's List and Assignee): brought up to date in place, so that a
// change of the store (a sync included) keeps the chosen row, and an open pop-up stays open, showing the new rows.
class PopUpRowsModel : public FlatRowsModel<QAbstractListModel>
{
    Q_OBJECT

public:
    enum class Kind { Item, Header, Separator };
    struct Row
    {
        Kind kind = Kind::Item;
        QString text{};
        // What the row stands for (Qt::UserRole, the pop-up's currentData()): an object's URI, or none.
        QVariant value{};
        QIcon icon{};
        bool enabled = true;

        bool operator==(const Row &other) const
        {
            return kind == other.kind && text == other.text && value == other.value
                && icon.cacheKey() == other.icon.cacheKey() && enabled == other.enabled;
        }
    };

    explicit PopUpRowsModel(QObject *parent);

    // Items are told apart by their value, headers by their text; separators by the header that follows them, so
    // each row must be followed by its own header.
    void setRows(std::vector<Row> rows);
    // The row of the item whose value is `value`; -1 when none.
    int rowOf(const QVariant &value) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    std::vector<Row> m_rows;
};

} // namespace knvt
