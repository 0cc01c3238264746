#pragma once

#include "accounts/KNVTUsersViewControllerDelegate.h"

#include "uikit/KNVTViewController.h"
#include "uikit/WeakDelegate.h"

#include <QPointer>

#include <vector>

namespace ostore {
struct ChangeSet;
}

class KNVTCDUser;
class KNVTTaskStore;
class KNVTUsersModel;
class QListView;

// The people window's middle pane: the people of the chosen group, sorted by display name. People can be dragged
// out of it (onto a project's sharing settings, for one).
class KNVTUsersViewController : public KNVTViewController
{
    Q_OBJECT

public:
    // `store`: nullptr means the shared store.
    explicit KNVTUsersViewController(KNVTTaskStore *store = nullptr, QObject *parent = nullptr);
    ~KNVTUsersViewController() override;

    // Keeps a sorted copy and reloads.
    void setUsers(const std::vector<KNVTCDUser *> &users);
    // The same after a change of the store, reading again only the people `changes` names (KNVTUsersModel::updateUsers).
    void updateUsers(const std::vector<KNVTCDUser *> &users, const ostore::ChangeSet &changes);
    KNVTUsersModel *model() const { return m_model; }
    // The person of the first selected row; nullptr when no row is selected.
    KNVTCDUser *selectedUser();
    // Selects the person's row, keeping what else is selected; a person not in the list changes nothing.
    void setSelectedUser(const KNVTCDUser *user);

    QListView *tableView();

    KNVTUsersViewControllerDelegate *usersViewControllerDelegate() const { return m_delegate.get(); }
    void setUsersViewControllerDelegate(KNVTUsersViewControllerDelegate *delegate) { m_delegate.set(delegate); }

protected:
    void loadView() override;

private:
    KNVTUsersModel *m_model;
    knvt::WeakDelegate<KNVTUsersViewControllerDelegate> m_delegate;
    QPointer<QListView> m_tableView;
};
