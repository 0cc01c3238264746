#include "app/PeopleUserSelectionFactory.h"

#include "accounts/KNVTUserSelectionViewController.h"

#include "editors/KNVTUserSelection.h"
#include "editors/KNVTUserSelectionDelegate.h"

#include <QPointer>
#include <QWidget>

namespace knvt {

namespace {

// The list, kept by its view: closing the popover that holds the view releases both.
class PeopleUserSelection final : public QObject,
                                  public KNVTUserSelection,
                                  public KNVTUserSelectionViewControllerDelegate
{
public:
    explicit PeopleUserSelection(KNVTUserSelectionDelegate *delegate)
        : m_controller(new KNVTUserSelectionViewController(nullptr, this)), m_delegate(delegate)
    {
        m_controller->setUserSelectionViewControllerDelegate(this);
        setParent(m_controller->view());
    }

    QWidget *view() override { return m_controller->view(); }
    void setUsers(const std::vector<KNVTCDUser *> &users) override { m_controller->setUsers(users); }
    void setSelectedUsers(const std::vector<KNVTCDUser *> &users) override { m_controller->setSelectedUsers(users); }
    std::vector<KNVTCDUser *> selectedUsers() const override { return m_controller->selectedUsers(); }

    void userSelectionViewControllerDidSelectUser(KNVTUserSelectionViewController *, KNVTCDUser *user) override
    {
        if (m_delegate)
            m_delegate->userSelectionDidSelectUser(this, user);
    }
    void userSelectionViewControllerDidDeselectUser(KNVTUserSelectionViewController *, KNVTCDUser *user) override
    {
        if (m_delegate)
            m_delegate->userSelectionDidDeselectUser(this, user);
    }

private:
    KNVTUserSelectionViewController *m_controller;
    KNVTUserSelectionDelegate *m_delegate;
};

} // namespace

KNVTUserSelection *PeopleUserSelectionFactory::makeUserSelection(const std::vector<KNVTCDUser *> &users,
                                                                 const std::vector<KNVTCDUser *> &selectedUsers,
                                                                 KNVTUserSelectionDelegate *delegate)
{
    auto *selection = new PeopleUserSelection(delegate);
    selection->setUsers(users);
    selection->setSelectedUsers(selectedUsers);
    return selection;
}

} // namespace knvt
