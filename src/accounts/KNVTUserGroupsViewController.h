#pragma once

#include "accounts/KNVTUserGroupsViewControllerDelegate.h"

#include "store/KNVTUserGroup.h"

#include "uikit/KNVTViewController.h"
#include "uikit/WeakDelegate.h"

#include <QPointer>

#include <vector>

class KNVTTaskStore;
class QListView;
class QStringListModel;

// The people window's left pane: All, Collaborators, Friends and Pending, in that order. All is selected when the
// pane is first shown.
class KNVTUserGroupsViewController : public KNVTViewController
{
    Q_OBJECT

public:
    // `store` answers the groups' questions; nullptr means the shared store.
    explicit KNVTUserGroupsViewController(KNVTTaskStore *store = nullptr, QObject *parent = nullptr);
    ~KNVTUserGroupsViewController() override;

    const std::vector<KNVTUserGroup> &userGroups() const { return m_userGroups; }
    // The group of the selected row; nullptr when no row is selected.
    const KNVTUserGroup *selectedUserGroup();
    void selectUserGroupAtIndex(int index);

    QListView *tableView();

    KNVTUserGroupsViewControllerDelegate *userGroupsViewControllerDelegate() const { return m_delegate.get(); }
    void setUserGroupsViewControllerDelegate(KNVTUserGroupsViewControllerDelegate *delegate)
    {
        m_delegate.set(delegate);
    }

protected:
    void loadView() override;

private:
    std::vector<KNVTUserGroup> m_userGroups;
    knvt::WeakDelegate<KNVTUserGroupsViewControllerDelegate> m_delegate;
    QStringListModel *m_model;
    QPointer<QListView> m_tableView;
};
