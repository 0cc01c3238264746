// What a screen reader finds in the account windows through Qt's accessibility: painted rows read what they show,
// their buttons and check boxes are actions and states, and the sharing sheet's list of people can be reached and
// ticked without seeing it.
#include "AccountsTest.h"

#include "accounts/KNVTNotificationsViewController.h"
#include "accounts/KNVTPreferenceConfiguredAccountViewController.h"
#include "accounts/KNVTTaskListSharingSettingsModel.h"
#include "accounts/KNVTTaskListSharingSettingsWindowController.h"
#include "accounts/KNVTUserSelectionViewController.h"
#include "accounts/KNVTUserViewController.h"
#include "accounts/KNVTUsersViewController.h"
#include "accounts/KNVTUsersWindowController.h"
#include "accounts/PaintedRowList.h"

#include "model/KNVTUserFriendshipStatus.h"

#include "uikit/Popover.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>

using knvt::test::waitUntil;

namespace {

QAccessibleInterface *accessible(QWidget *widget)
{
    return QAccessible::queryAccessibleInterface(widget);
}

// The first element below `root` with `role` and `name`, depth first.
QAccessibleInterface *find(QAccessibleInterface *root, QAccessible::Role role, const QString &name)
{
    if (!root)
        return nullptr;
    if (root->role() == role && root->text(QAccessible::Name) == name)
        return root;
    for (int i = 0; i < root->childCount(); ++i) {
        if (QAccessibleInterface *found = find(root->child(i), role, name))
            return found;
    }
    return nullptr;
}

QStringList childNames(QAccessibleInterface *list)
{
    QStringList names;
    for (int i = 0; list && i < list->childCount(); ++i)
        names << list->child(i)->text(QAccessible::Name);
    return names;
}

// The row of `list` read as `name`.
QAccessibleInterface *row(QAccessibleInterface *list, const QString &name)
{
    for (int i = 0; list && i < list->childCount(); ++i) {
        if (list->child(i)->text(QAccessible::Name) == name)
            return list->child(i);
    }
    return nullptr;
}

QStringList actions(QAccessibleInterface *element)
{
    return element && element->actionInterface() ? element->actionInterface()->actionNames() : QStringList();
}

} // namespace

class ScreenReaderTest : public AccountsTest
{
protected:
    void SetUp() override
    {
        AccountsTest::SetUp();
        configureAccount(QStringLiteral("annlee"));
        store().me()->setFirstName(QStringLiteral("Ann"));
        store().me()->setLastName(QStringLiteral("Lee"));
        bob = insertUser(QStringLiteral("Bob Berg"), QStringLiteral("bobb"), KNVTUserFriendshipStatusFriend);
        dora = insertUser(QStringLiteral("Dora Diaz"), QStringLiteral("dorad"), KNVTUserFriendshipStatusPending);
        save();
    }

    KNVTCDUser *bob = nullptr;
    KNVTCDUser *dora = nullptr;
};

TEST_F(ScreenReaderTest, NotificationRowsReadWhatTheyShowAndTheirAnswersAreActions)
{
    KNVTCDTaskList *club = insertTaskList(QStringLiteral("Book Club"), 1, bob, {store().me()}, 1);
    save();
    KNVTNotificationsViewController notifications(&store());
    notifications.view()->show();
    EXPECT_EQ(accessible(notifications.view())->text(QAccessible::Name), QStringLiteral("Notifications"));
    QAccessibleInterface *list = accessible(notifications.tableView());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->role(), QAccessible::List);
    EXPECT_EQ(list->text(QAccessible::Name), QStringLiteral("Notifications"));
    EXPECT_EQ(
        childNames(list),
        QStringList({"Friendship Invites", "Dora Diaz, dorad", "Pending Projects", "Book Club, from Bob Berg (bobb)"}));

    QAccessibleInterface *invitation = row(list, QStringLiteral("Dora Diaz, dorad"));
    ASSERT_NE(invitation, nullptr);
    EXPECT_EQ(invitation->role(), QAccessible::ListItem);
    EXPECT_EQ(invitation->text(QAccessible::Description), QStringLiteral("Invitation to become friends"));
    EXPECT_EQ(actions(invitation), QStringList({"Accept", "Decline"}));
    EXPECT_TRUE(actions(row(list, QStringLiteral("Pending Projects"))).isEmpty()) << "a header has no answers";

    row(list, QStringLiteral("Book Club, from Bob Berg (bobb)"))->actionInterface()->doAction(QStringLiteral("Accept"));
    ASSERT_TRUE(waitUntil([&] { return list->childCount() == 2; }));
    EXPECT_EQ(club->taskListCollaboratorStatus(), 2);
    row(list, QStringLiteral("Dora Diaz, dorad"))->actionInterface()->doAction(QStringLiteral("Decline"));
    ASSERT_TRUE(waitUntil([&] { return list->childCount() == 0; }));
    EXPECT_EQ(dora->friendshipStatus().value_or(-1), KNVTUserFriendshipStatusNone);
    EXPECT_EQ(list->text(QAccessible::Description), QStringLiteral("No Notifications")) << "read when empty";
}

TEST_F(ScreenReaderTest, PeopleAndThePersonsDetailReadWhatTheyShowWithTheAnswersAsActions)
{
    KNVTUsersWindowController window(&store());
    window.show();
    EXPECT_EQ(accessible(&window)->role(), QAccessible::Window);
    EXPECT_EQ(accessible(&window)->text(QAccessible::Name), QStringLiteral("People"));
    QAccessibleInterface *people = accessible(window.usersViewController()->tableView());
    EXPECT_EQ(people->text(QAccessible::Name), QStringLiteral("People"));
    EXPECT_EQ(childNames(people), QStringList({"Ann Lee, annlee, me", "Bob Berg, bobb", "Dora Diaz, dorad"}));
    for (const char *name : {"searchField", "addUserButton"}) {
        QWidget *widget = window.findChild<QWidget *>(QString::fromLatin1(name));
        EXPECT_FALSE(accessible(widget)->text(QAccessible::Name).isEmpty()) << name;
    }

    window.usersViewController()->setSelectedUser(dora);
    EXPECT_TRUE(people->state().extSelectable);
    for (QAccessibleInterface *element :
         {row(people, QStringLiteral("Dora Diaz, dorad")), row(people, QStringLiteral("Bob Berg, bobb"))}) {
        ASSERT_NE(element, nullptr);
        EXPECT_TRUE(element->state().selectable);
        EXPECT_EQ(element->state().selected, element->text(QAccessible::Name).startsWith(u'D'))
            << qPrintable(element->text(QAccessible::Name));
    }
    QAccessibleInterface *detail = accessible(window.userViewController()->tableView());
    EXPECT_EQ(detail->text(QAccessible::Name), QStringLiteral("Person"));
    const QStringList rows = childNames(detail);
    ASSERT_FALSE(rows.isEmpty());
    EXPECT_EQ(rows.front(), QStringLiteral("Dora Diaz, dorad"));
    QAccessibleInterface *answer = detail->child(detail->childCount() - 1);
    EXPECT_EQ(actions(answer), QStringList({"Accept", "Decline"}));
    answer->actionInterface()->doAction(QStringLiteral("Accept"));
    ASSERT_TRUE(waitUntil([&] { return dora->friendshipStatus() == KNVTUserFriendshipStatusFriend; }));
}

TEST_F(ScreenReaderTest, TheChoosePeopleListIsReachedFromTheSharingSheetAndItsBoxesTick)
{
    KNVTCDTaskList *garden = insertTaskList(QStringLiteral("Garden"), 1, store().me(), {bob});
    save();
    KNVTTaskListSharingSettingsWindowController sheet(garden, &store());
    sheet.setWindowModality(Qt::NonModal);
    sheet.show();
    sheet.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet));
    auto *choose = child<QPushButton>(&sheet, "collaboratingUsersButton");
    EXPECT_EQ(accessible(choose)->text(QAccessible::Name), QStringLiteral("Choose People..."));
    QTest::mouseClick(choose, Qt::LeftButton);
    knvt::Popover *popover = sheet.userSelectionPopover();
    ASSERT_NE(popover, nullptr);
    ASSERT_TRUE(waitUntil([&] { return popover->isVisible(); }));

    // The popover reads as the list it holds, and the keyboard is in its search field.
    QAccessibleInterface *window = accessible(popover);
    EXPECT_EQ(window->text(QAccessible::Name), QStringLiteral("Choose People"));
    KNVTUserSelectionViewController *selection = sheet.userSelectionViewController();
    EXPECT_EQ(QApplication::focusWidget(), selection->searchField());
    EXPECT_EQ(accessible(selection->searchField())->text(QAccessible::Name), QStringLiteral("Search People"));
    QAccessibleInterface *list = find(window, QAccessible::List, QStringLiteral("People"));
    ASSERT_NE(list, nullptr) << "the list of people is in the popover's tree";
    EXPECT_EQ(childNames(list), QStringList({"Ann Lee, annlee, me", "Bob Berg, bobb", "Dora Diaz, dorad"}));

    // Every row has a check box: the owner's is ticked and offers no toggling, a chosen person's is ticked.
    QAccessibleInterface *owner = row(list, QStringLiteral("Ann Lee, annlee, me"));
    EXPECT_TRUE(owner->state().checkable);
    EXPECT_TRUE(owner->state().checked);
    EXPECT_FALSE(actions(owner).contains(QAccessibleActionInterface::toggleAction()));
    QAccessibleInterface *friendRow = row(list, QStringLiteral("Bob Berg, bobb"));
    EXPECT_TRUE(friendRow->state().checkable);
    EXPECT_TRUE(friendRow->state().checked);
    EXPECT_TRUE(actions(friendRow).contains(QAccessibleActionInterface::toggleAction()));
    QAccessibleInterface *doraRow = row(list, QStringLiteral("Dora Diaz, dorad"));
    EXPECT_TRUE(doraRow->state().checkable);
    EXPECT_FALSE(doraRow->state().checked);

    // Ticking through the element adds the person to the sheet; Space on the focused row does the same.
    doraRow->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(doraRow->state().checked);
    EXPECT_EQ(sheet.model()->rowCount(), 2);
    QTest::keyClick(selection->searchField(), Qt::Key_Tab);
    QListView *people = selection->tableView();
    ASSERT_EQ(QApplication::focusWidget(), people);
    people->setCurrentIndex(people->model()->index(1, 0));
    QTest::keyClick(people, Qt::Key_Space);
    EXPECT_FALSE(friendRow->state().checked);
    EXPECT_EQ(sheet.model()->rowCount(), 1) << "Bob unticked, Dora ticked";

    // Escape closes the popover and leaves the sheet open; nothing is saved until the sheet is.
    QTest::keyClick(people, Qt::Key_Escape);
    ASSERT_TRUE(waitUntil([&] { return !sheet.userSelectionPopover(); }));
    EXPECT_TRUE(sheet.isVisible());
    EXPECT_EQ(garden->activeTaskListCollaboratorUsers().size(), 2u);
}

TEST_F(ScreenReaderTest, TheSyncSwitchIsANamedCheckableElementThatFollowsTheAccountAndTurnsSyncingOver)
{
    KNVTPreferenceConfiguredAccountViewController pane(&store());
    pane.view()->show();
    QAccessibleInterface *syncSwitch = accessible(child<QWidget>(pane.view(), "syncingEnabledCheckBoxButton"));
    EXPECT_EQ(syncSwitch->text(QAccessible::Name), QStringLiteral("Sync automatically"));
    EXPECT_TRUE(syncSwitch->state().checkable);
    EXPECT_FALSE(syncSwitch->state().checked);

    // Turned on through the element, syncing goes on as with a click, and the switch reads so.
    ASSERT_NE(syncSwitch->actionInterface(), nullptr);
    syncSwitch->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(store().isAutoSyncEnabled());
    EXPECT_TRUE(syncSwitch->state().checked);
    EXPECT_TRUE(child<QPushButton>(pane.view(), "syncNowButton")->isEnabled());
    // Turned off elsewhere, the switch follows.
    store().setAutoSyncEnabled(false);
    EXPECT_FALSE(syncSwitch->state().checked);

    // A pop-up reads as the item it shows on this desktop, labelled by the label beside it.
    QAccessibleInterface *interval = accessible(child<QComboBox>(pane.view(), "autoSyncTimeIntervalPopUpButton"));
    EXPECT_EQ(interval->text(QAccessible::Name), QStringLiteral("Every 15 minutes"));
    const auto labels = interval->relations(QAccessible::Label);
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels.front().first->text(QAccessible::Name), QStringLiteral("Sync interval:"));
    for (const char *name : {"detailsButton", "signOutButton", "syncNowButton"})
        EXPECT_FALSE(accessible(child<QWidget>(pane.view(), name))->text(QAccessible::Name).isEmpty()) << name;
}
