#pragma once

#include "accounts/KNVTUserSelectionViewControllerDelegate.h"

#include "uikit/KNVTViewController.h"
#include "uikit/WeakDelegate.h"

#include <QPointer>

#include <vector>

class KNVTCDUser;
class KNVTTaskStore;
class KNVTUserSelectionModel;
class QLineEdit;
class QListView;

// A searchable list of people with a check box each, shown in a popover wherever a set of people is chosen (the
// members of a project or area, the watchers of a task). The owner gives the people to offer, in its order, those
// already chosen and those whose box must not change, and hears of every tick. Searching hides rows, never choices.
class KNVTUserSelectionViewController : public KNVTViewController
{
    Q_OBJECT

public:
    // `store`: nullptr means the shared store.
    explicit KNVTUserSelectionViewController(KNVTTaskStore *store = nullptr, QObject *parent = nullptr);
    ~KNVTUserSelectionViewController() override;

    const std::vector<KNVTCDUser *> &users() const { return m_users; }
    void setUsers(const std::vector<KNVTCDUser *> &users);
    // The chosen people that still exist; in no particular order.
    std::vector<KNVTCDUser *> selectedUsers() const;
    // Replaces the choice.
    void setSelectedUsers(const std::vector<KNVTCDUser *> &users);
    const std::vector<KNVTCDUser *> &unselectableUsers() const { return m_unselectableUsers; }
    void setUnselectableUsers(const std::vector<KNVTCDUser *> &users);

    // The rows shown now.
    const std::vector<KNVTCDUser *> &filteredUsers() const { return m_filteredUsers; }
    KNVTUserSelectionModel *model() const { return m_model; }
    QLineEdit *searchField();
    QListView *tableView();

    KNVTUserSelectionViewControllerDelegate *userSelectionViewControllerDelegate() const { return m_delegate.get(); }
    void setUserSelectionViewControllerDelegate(KNVTUserSelectionViewControllerDelegate *delegate)
    {
        m_delegate.set(delegate);
    }

protected:
    void loadView() override;

private:
    void controlTextDidChange();
    void reloadRows();
    void userWasToggled(const QUrl &uri, bool selected);

    KNVTTaskStore *m_store;
    KNVTUserSelectionModel *m_model;
    knvt::WeakDelegate<KNVTUserSelectionViewControllerDelegate> m_delegate;
    std::vector<KNVTCDUser *> m_users;
    std::vector<KNVTCDUser *> m_filteredUsers;
    std::vector<KNVTCDUser *> m_unselectableUsers;
    QPointer<QLineEdit> m_searchField;
    QPointer<QListView> m_tableView;
};
