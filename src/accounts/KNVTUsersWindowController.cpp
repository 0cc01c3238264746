#include "accounts/KNVTUsersWindowController.h"

#include "accounts/FormWidgets.h"
#include "accounts/KNVTFriendshipNewWindowController.h"
#include "accounts/KNVTUserDetailModel.h"
#include "accounts/KNVTUserGroupsViewController.h"
#include "accounts/KNVTUserViewController.h"
#include "accounts/KNVTUsersViewController.h"
#include "accounts/PaintedRowList.h"
#include "accounts/TaskStoreReference.h"
#include "accounts/UserRow.h"
#include "accounts/WindowPlacement.h"

#include "store/KNVTTaskStore.h"
#include "store/TaskStoreChanges.h"

#include "model/KNVTCDUser.h"

#include "uikit/KeyboardOwner.h"
#include "uikit/UnsavedTyping.h"
#include "uikit/WindowAccessible.h"
#include "uikit/WindowCommands.h"

#include "foundation/NotificationCenter.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSplitter>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace {

QWidget *container(const char *objectName, QWidget *content, QLayout *below = nullptr)
{
    auto *widget = new QWidget;
    widget->setObjectName(QString::fromLatin1(objectName));
    auto *layout = new QVBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(content);
    if (below)
        layout->addLayout(below);
    return widget;
}

} // namespace

KNVTUsersWindowController::KNVTUsersWindowController(KNVTTaskStore *store, QWidget *parent)
    : QWidget(parent, Qt::Window),
      m_store(store),
      m_userGroupsViewController(new KNVTUserGroupsViewController(store, this)),
      m_usersViewController(new KNVTUsersViewController(store, this)),
      m_userViewController(new KNVTUserViewController(store, this))
{
    setObjectName(QStringLiteral("KNVTUsersWindowController"));
    setWindowTitle(tr("People"));
    knvt::WindowAccessible::install(this);
    m_userGroupsViewController->setUserGroupsViewControllerDelegate(this);
    m_usersViewController->setUsersViewControllerDelegate(this);
    m_userViewController->setUserViewControllerDelegate(this);

    m_searchField = new QLineEdit;
    knvt::UnsavedTyping::markNotKept(m_searchField);
    m_searchField->setObjectName(QStringLiteral("searchField"));
    m_searchField->setPlaceholderText(tr("Search"));
    m_searchField->setAccessibleName(tr("Search People"));
    knvt::enableClearButton(m_searchField);
    m_addUserButton = new QPushButton(QStringLiteral("+"));
    m_addUserButton->setObjectName(QStringLiteral("addUserButton"));
    m_addUserButton->setAccessibleName(tr("Add Friend"));
    m_addUserButton->setToolTip(tr("Invite a friend by username"));
    m_addUserButton->setFixedWidth(32);
    m_footerTextLabel = new QLabel;
    m_footerTextLabel->setTextFormat(Qt::PlainText);
    m_footerTextLabel->setObjectName(QStringLiteral("footerTextLabel"));
    m_footerTextLabel->setAlignment(Qt::AlignCenter);
    m_footerTextLabel->setForegroundRole(QPalette::PlaceholderText);

    auto *footer = new QHBoxLayout;
    footer->setContentsMargins(6, 4, 6, 4);
    footer->addWidget(m_addUserButton);
    footer->addWidget(m_footerTextLabel, 1);
    footer->addSpacing(32);

    QWidget *users = container("usersContainerView", m_usersViewController->view(), footer);
    m_splitView = new QSplitter(Qt::Horizontal);
    m_splitView->setObjectName(QStringLiteral("splitView"));
    m_splitView->setChildrenCollapsible(false);
    m_splitView->addWidget(container("usersGroupsContainerView", m_userGroupsViewController->view()));
    m_splitView->addWidget(users);
    m_splitView->addWidget(container("userContainerView", m_userViewController->view()));
    m_splitView->setStretchFactor(2, 1);

    auto *searchBar = new QHBoxLayout;
    searchBar->setContentsMargins(8, 8, 8, 8);
    searchBar->addStretch(1);
    searchBar->addWidget(m_searchField);
    m_searchField->setFixedWidth(220);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(searchBar);
    layout->addWidget(m_splitView, 1);

    resize(960, 560);
    new knvt::WindowCommands(this, {knvt::Command::NewTask, knvt::Command::Close, knvt::Command::Quit});
    m_splitView->setSizes({220, 360, 380});

    connect(m_searchField, &QLineEdit::textChanged, this, &KNVTUsersWindowController::controlTextDidChange);
    connect(m_addUserButton, &QPushButton::clicked, this, &KNVTUsersWindowController::addUser);
    knvt::setTabOrder({m_searchField, m_userGroupsViewController->tableView(), m_usersViewController->tableView(),
                       m_addUserButton, m_userViewController->tableView()});
    connect(m_splitView, &QSplitter::splitterMoved, this, &KNVTUsersWindowController::splitterMoved);

    setUsers(usersOfSelectedGroup());
    m_userViewController->setUser(nullptr);
    updateInvitationControls();
    for (const char *name :
         {KNVTTaskStoreDidConfigureAccountNotification, KNVTTaskStoreDidUnconfigureAccountNotification})
        knvt::NotificationCenter::defaultCenter().addObserver(
            QString::fromLatin1(name), nullptr, this,
            [this](const knvt::Notification &) { updateInvitationControls(); });
    knvt::NotificationCenter::defaultCenter().addObserver(
        QString::fromLatin1(KNVTTaskStoreDidChangeNotification), nullptr, this,
        [this](const knvt::Notification &notification) {
            // Most saves change tasks and what hangs on them, none of which the people window shows.
            const std::optional<ostore::ChangeSet> changes = knvt::TaskStoreChanges::fromNotification(notification);
            KNVTTaskStore &shown = knvt::taskStore(m_store);
            if (changes && shown.hasManagedObjectContext()
                && knvt::TaskStoreChanges::touchesOnly(
                    *changes, *shown.managedObjectContext(),
                    {QLatin1String("KNVTCDTask"), QLatin1String("KNVTCDTag"), QLatin1String("KNVTCDTaggedTask"),
                     QLatin1String("KNVTCDTaskComment"), QLatin1String("KNVTCDTaskWatcher"),
                     QLatin1String("KNVTCDTaskStoreInformation")}))
                return;
            taskStoreDidChangeNotification(changes);
        });
}

void KNVTUsersWindowController::showEvent(QShowEvent *event)
{
    // Placed once, before the window first reaches the screen; later openings find it where the user left it.
    if (!m_placed) {
        m_placed = true;
        knvt::placeOverMainWindow(this);
    }
    QWidget::showEvent(event);
}

KNVTUsersWindowController::~KNVTUsersWindowController()
{
    knvt::NotificationCenter::defaultCenter().removeObservers(this);
    // The panes' views are children of this window; the controllers are its QObject children and go after them.
    m_userGroupsViewController->setUserGroupsViewControllerDelegate(nullptr);
    m_usersViewController->setUsersViewControllerDelegate(nullptr);
    m_userViewController->setUserViewControllerDelegate(nullptr);
}

KNVTFriendshipNewWindowController *KNVTUsersWindowController::friendshipNewWindowController() const
{
    return m_friendshipNewWindowController;
}

std::vector<KNVTCDUser *> KNVTUsersWindowController::usersOfSelectedGroup()
{
    const KNVTUserGroup *group = m_userGroupsViewController->selectedUserGroup();
    return group ? group->users() : std::vector<KNVTCDUser *>();
}

void KNVTUsersWindowController::setUsers(const std::vector<KNVTCDUser *> &users)
{
    showUsers(users, nullptr);
}

void KNVTUsersWindowController::showUsers(const std::vector<KNVTCDUser *> &users, const ostore::ChangeSet *changes)
{
    const bool reloading = std::exchange(m_reloading, true);
    if (changes)
        m_usersViewController->updateUsers(users, *changes);
    else
        m_usersViewController->setUsers(users);
    m_reloading = reloading;
    m_footerTextLabel->setText(users.size() == 1 ? tr("1 Contact") : tr("%1 Contacts").arg(users.size()));
}

void KNVTUsersWindowController::userGroupsViewControllerSelectionDidChange(KNVTUserGroupsViewController *)
{
    {
        const QSignalBlocker blocker(m_searchField);
        m_searchField->clear();
    }
    setUsers(usersOfSelectedGroup());
    m_userViewController->setUser(nullptr);
}

void KNVTUsersWindowController::controlTextDidChange()
{
    setUsers(knvt::usersMatchingSearch(usersOfSelectedGroup(), m_searchField->text()));
}

void KNVTUsersWindowController::usersViewControllerSelectionDidChange(KNVTUsersViewController *controller)
{
    if (m_reloading)
        return;
    m_userViewController->setUser(controller->selectedUser());
}

void KNVTUsersWindowController::taskStoreDidChangeNotification(const std::optional<ostore::ChangeSet> &changes)
{
    // The whole group comes back even while a search is typed; the next keystroke filters again. Only the people the
    // change names are read again, unless nothing is known about what changed.
    const std::vector<KNVTCDUser *> users = usersOfSelectedGroup();
    KNVTCDUser *selected = m_usersViewController->selectedUser();
    showUsers(users, changes ? &*changes : nullptr);
    if (selected && std::find(users.cbegin(), users.cend(), selected) != users.cend()) {
        const bool reloading = std::exchange(m_reloading, true);
        m_usersViewController->setSelectedUser(selected);
        m_reloading = reloading;
        // Rebuilt even for the same person: an answered invitation must lose its buttons.
        m_userViewController->setUser(selected);
    } else {
        m_userViewController->setUser(nullptr);
    }
}

bool KNVTUsersWindowController::invitationsAvailable() const
{
    // An invitation goes out, or is answered, as the signed-in user; without one there is nobody to send it.
    return knvt::taskStore(m_store).isConfigured();
}

void KNVTUsersWindowController::updateInvitationControls()
{
    const bool available = invitationsAvailable();
    m_addUserButton->setEnabled(available);
    m_userViewController->model()->setInvitationsAvailable(available);
}

void KNVTUsersWindowController::inviteUser(KNVTCDUser *user)
{
    if (!invitationsAvailable())
        return;
    KNVTTaskStore &store = knvt::taskStore(m_store);
    store.createFriendshipInviteFromUser(user);
    store.saveLater(knvt::Opener::User);
}

void KNVTUsersWindowController::acceptInviteFromUser(KNVTCDUser *user)
{
    if (!invitationsAvailable())
        return;
    KNVTTaskStore &store = knvt::taskStore(m_store);
    store.acceptFriendshipInviteFromUser(user);
    store.saveLater(knvt::Opener::User);
}

void KNVTUsersWindowController::declineInviteFromUser(KNVTCDUser *user)
{
    if (!invitationsAvailable())
        return;
    KNVTTaskStore &store = knvt::taskStore(m_store);
    store.declineFriendshipInviteFromUser(user);
    store.saveLater(knvt::Opener::User);
}

void KNVTUsersWindowController::userViewControllerDidSelectInvite(KNVTUserViewController *controller)
{
    if (KNVTCDUser *user = controller->user())
        inviteUser(user);
}

void KNVTUsersWindowController::userViewControllerDidSelectAcceptInvite(KNVTUserViewController *controller)
{
    if (KNVTCDUser *user = controller->user())
        acceptInviteFromUser(user);
}

void KNVTUsersWindowController::userViewControllerDidSelectDeclineInvite(KNVTUserViewController *controller)
{
    if (KNVTCDUser *user = controller->user())
        declineInviteFromUser(user);
}

void KNVTUsersWindowController::addUser()
{
    if (m_friendshipNewWindowController || !invitationsAvailable())
        return;
    auto *sheet = new KNVTFriendshipNewWindowController(m_store, this);
    connect(sheet, &QDialog::finished, sheet, &QObject::deleteLater);
    m_friendshipNewWindowController = sheet;
    sheet->setWindowModality(Qt::WindowModal);
    knvt::KeyboardOwner::open(sheet, knvt::Opener::User);
}

QList<int> KNVTUsersWindowController::clampedSplitterSizes(const QList<int> &sizes, int handleWidth, int totalWidth)
{
    if (sizes.size() != 3)
        return sizes;
    QList<int> clamped = sizes;
    const int groups = std::clamp(sizes[0], MinimumGroupsDividerPosition, MaximumGroupsDividerPosition);
    // The second divider's position, measured like the first from the left edge.
    const int secondDivider = sizes[0] + handleWidth + sizes[1];
    const int maximumSecond = std::max(MinimumUsersDividerPosition, totalWidth - MinimumDetailWidth);
    const int second = std::clamp(secondDivider, MinimumUsersDividerPosition, maximumSecond);
    clamped[0] = groups;
    clamped[1] = std::max(0, second - groups - handleWidth);
    clamped[2] = std::max(0, totalWidth - second - handleWidth);
    return clamped;
}

void KNVTUsersWindowController::splitterMoved()
{
    const QList<int> sizes = m_splitView->sizes();
    const QList<int> clamped = clampedSplitterSizes(sizes, m_splitView->handleWidth(), m_splitView->width());
    if (clamped != sizes)
        m_splitView->setSizes(clamped);
}
