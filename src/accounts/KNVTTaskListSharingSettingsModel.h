#pragma once

#include "uikit/FlatRowsModel.h"

#include <QAbstractTableModel>

#include <vector>

class KNVTCDTaskList;
class KNVTCDTaskListCollaborator;
class KNVTCDUser;

// The table of the sharing settings: one row per person the list is to be shared with, the person's name, the
// status of their invitation and their role, "-" for a person added and not saved yet.
class KNVTTaskListSharingSettingsModel : public knvt::FlatRowsModel<QAbstractTableModel>
{
    Q_OBJECT

public:
    enum Column { UserColumn = 0, StatusColumn = 1, RoleColumn = 2 };

    explicit KNVTTaskListSharingSettingsModel(QObject *parent = nullptr);

    // Shows these people, in place; each person's record in `taskList` is looked up once here.
    void reload(const std::vector<KNVTCDUser *> &users, KNVTCDTaskList *taskList);
    KNVTCDUser *userAtRow(int row) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    Qt::DropActions supportedDragActions() const override;
    Qt::DropActions supportedDropActions() const override;

private:
    // What a row shows, read once per reload, so that a reload reports only the rows that show something else.
    struct Row
    {
        KNVTCDUser *user = nullptr;
        QString name;
        QString status;
        QString role;

        bool operator==(const Row &other) const = default;
    };

    std::vector<Row> m_rows;
};
