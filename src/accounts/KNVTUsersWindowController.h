#pragma once

#include "accounts/KNVTUserGroupsViewControllerDelegate.h"
#include "accounts/KNVTUserViewControllerDelegate.h"
#include "accounts/KNVTUsersViewControllerDelegate.h"

#include <QList>
#include <QPointer>
#include <QWidget>

#include <optional>
#include <vector>

namespace ostore {
struct ChangeSet;
}

class KNVTCDUser;
class KNVTFriendshipNewWindowController;
class KNVTTaskStore;
class KNVTUserGroupsViewController;
class KNVTUserViewController;
class KNVTUsersViewController;
class QLabel;
class QLineEdit;
class QPushButton;
class QSplitter;

// The people window: the groups of people on the left, the people of the chosen group in the middle (with a search
// field above and the count below), the chosen person's detail on the right. It invites people, answers their
// invitations and opens the sheet that invites somebody by user name; every answer is saved at once, and the window
// follows every change of the store, keeping the chosen person when they are still in the group. New Task, Close and
// Quit (Ctrl+N, Ctrl+W, Ctrl+Q) work here as in every window.
class KNVTUsersWindowController : public QWidget,
                                  public KNVTUserGroupsViewControllerDelegate,
                                  public KNVTUsersViewControllerDelegate,
                                  public KNVTUserViewControllerDelegate
{
    Q_OBJECT

public:
    // The panes' narrowest widths, as positions of the two dividers.
    static constexpr int MinimumGroupsDividerPosition = 200;
    static constexpr int MaximumGroupsDividerPosition = 300;
    static constexpr int MinimumUsersDividerPosition = 400;
    static constexpr int MinimumDetailWidth = 300;

    // `store`: nullptr means the shared store.
    explicit KNVTUsersWindowController(KNVTTaskStore *store = nullptr, QWidget *parent = nullptr);
    ~KNVTUsersWindowController() override;

    KNVTUserGroupsViewController *userGroupsViewController() const { return m_userGroupsViewController; }
    KNVTUsersViewController *usersViewController() const { return m_usersViewController; }
    KNVTUserViewController *userViewController() const { return m_userViewController; }
    // The new-friendship sheet while it is open.
    KNVTFriendshipNewWindowController *friendshipNewWindowController() const;
    QSplitter *splitView() const { return m_splitView; }

    // Shows `users` in the middle pane and counts them below it.
    void setUsers(const std::vector<KNVTCDUser *> &users);

    void inviteUser(KNVTCDUser *user);
    void acceptInviteFromUser(KNVTCDUser *user);
    void declineInviteFromUser(KNVTCDUser *user);

    // The pane widths after the user dragged a divider, clamped: the first divider between 200 and 300 pixels from
    // the left, the second at least 400 from the left and 300 from the right edge. `handleWidth` is the width of a
    // divider, `totalWidth` the splitter's.
    static QList<int> clampedSplitterSizes(const QList<int> &sizes, int handleWidth, int totalWidth);

    void userGroupsViewControllerSelectionDidChange(KNVTUserGroupsViewController *controller) override;
    void usersViewControllerSelectionDidChange(KNVTUsersViewController *controller) override;
    void userViewControllerDidSelectInvite(KNVTUserViewController *controller) override;
    void userViewControllerDidSelectAcceptInvite(KNVTUserViewController *controller) override;
    void userViewControllerDidSelectDeclineInvite(KNVTUserViewController *controller) override;

public slots:
    void addUser();

protected:
    void showEvent(QShowEvent *event) override;

private:
    std::vector<KNVTCDUser *> usersOfSelectedGroup();
    void controlTextDidChange();
    // Without an account Add Friend and the detail's Invite, Accept and Decline are disabled and send nothing.
    bool invitationsAvailable() const;
    void updateInvitationControls();
    // `changes` is what the store says changed; without it every person is read again.
    void taskStoreDidChangeNotification(const std::optional<ostore::ChangeSet> &changes);
    void showUsers(const std::vector<KNVTCDUser *> &users, const ostore::ChangeSet *changes);
    void splitterMoved();

    KNVTTaskStore *m_store;
    KNVTUserGroupsViewController *m_userGroupsViewController;
    KNVTUsersViewController *m_usersViewController;
    KNVTUserViewController *m_userViewController;
    QPointer<KNVTFriendshipNewWindowController> m_friendshipNewWindowController;
    QLineEdit *m_searchField = nullptr;
    QSplitter *m_splitView = nullptr;
    QPushButton *m_addUserButton = nullptr;
    QLabel *m_footerTextLabel = nullptr;
    bool m_reloading = false;
    bool m_placed = false;
};
