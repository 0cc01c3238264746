#pragma once

#include "editors/KNVTUserSelection.h"
#include "editors/KNVTUserSelectionDelegate.h"

#include <QListView>
#include <QUrl>

class QStandardItem;
class QStandardItemModel;

namespace knvt {

// The plainest user selection: one checkable row per person, titled with the person's display name and holding the
// person's object reference, so that the choice survives store changes. Serves the forms until the application
// installs the people windows' list.
class CheckableUserSelection : public QListView, public KNVTUserSelection
{
    Q_OBJECT

public:
    explicit CheckableUserSelection(KNVTUserSelectionDelegate *delegate, QWidget *parent = nullptr);

    QWidget *view() override { return this; }
    void setUsers(const std::vector<KNVTCDUser *> &users) override;
    void setSelectedUsers(const std::vector<KNVTCDUser *> &users) override;
    std::vector<KNVTCDUser *> selectedUsers() const override;

    // Ticks or unticks the row of `row`, as a click on its box does.
    void setRowChecked(int row, bool checked);

    QSize sizeHint() const override;

private:
    void itemChanged(QStandardItem *item);
    void reload();

    KNVTUserSelectionDelegate *m_delegate;
    QStandardItemModel *m_model;
    QList<QUrl> m_users;
    QList<QUrl> m_selected;
    bool m_reloading = false;
};

} // namespace knvt
