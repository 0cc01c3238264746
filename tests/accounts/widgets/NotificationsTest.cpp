// The notifications popover's list.
#include "AccountsTest.h"

#include "accounts/KNVTNotificationRowDelegate.h"
#include "accounts/KNVTNotificationsModel.h"
#include "accounts/KNVTNotificationsViewController.h"
#include "accounts/PaintedRowList.h"

#include "uikit/TableViewAdditions.h"

#include "support/DoubleClick.h"

#include <QListView>

using knvt::test::waitUntil;
using Kind = KNVTNotificationsModel::RowKind;

class NotificationsTest : public AccountsTest
{
protected:
    void SetUp() override
    {
        AccountsTest::SetUp();
        configureAccount();
        owner = insertUser(QStringLiteral("Olga Owens"), QStringLiteral("olga"), 3);
    }
    // Shared with the local user by Olga, not answered yet.
    KNVTCDTaskList *pendingList(const QString &title, qint64 type)
    {
        KNVTCDTaskList *list = insertTaskList(title, type, owner);
        insertCollaborator(list, store().me(), 2, 1);
        return list;
    }
    QStringList rows(KNVTNotificationsViewController &controller)
    {
        QStringList texts;
        for (const KNVTNotificationsModel::Row &row : controller.model()->cells())
            texts << (row.kind == Kind::Friendship ? row.user.fullName : row.title);
        return texts;
    }
    void click(KNVTNotificationsViewController &controller, const QString &text, int button)
    {
        QListView *tree = controller.tableView();
        const QStringList texts = rows(controller);
        const QModelIndex index = controller.model()->index(int(texts.indexOf(text)));
        ASSERT_TRUE(index.isValid()) << qPrintable(text);
        const QPointF centre =
            KNVTNotificationRowDelegate::buttonRectsForRow(tree->visualRect(index)).at(size_t(button)).center();
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, centre.toPoint());
    }

    KNVTCDUser *owner = nullptr;
};

TEST_F(NotificationsTest, PendingInvitationsAreListedInThreeSections)
{
    insertUser(QStringLiteral("zed Zorn"), QStringLiteral("zed"), 2);
    insertUser(QStringLiteral("Amy Ames"), QStringLiteral("amy"), 2);
    pendingList(QStringLiteral("Garden"), 1);
    pendingList(QStringLiteral("Home"), 2);
    KNVTCDTaskList *orphan = insertTaskList(QStringLiteral("Club"), 1, nullptr);
    insertCollaborator(orphan, store().me(), 2, 1);
    save();
    KNVTNotificationsViewController controller(&store());
    controller.view()->resize(340, 320);
    controller.view()->show();
    EXPECT_EQ(rows(controller),
              QStringList({"Friendship Invites", "Amy Ames", "zed Zorn", "Pending Projects", "Club", "Garden",
                           "Pending Areas", "Home"}));
    const auto &cells = controller.model()->cells();
    EXPECT_EQ(cells[4].ownerName, QString()) << "a list without an owner record";
    EXPECT_EQ(cells[5].ownerName, owner->extendedDisplayName());
    EXPECT_FALSE(controller.model()->index(0).flags().testFlag(Qt::ItemIsSelectable));
    EXPECT_EQ(controller.tableView()->visualRect(controller.model()->index(0)).height(), 20);
    EXPECT_EQ(controller.tableView()->visualRect(controller.model()->index(1)).height(), 50);
}

TEST_F(NotificationsTest, AnAnswerChangesTheStoreAndTheRowGoes)
{
    KNVTCDUser *amy = insertUser(QStringLiteral("Amy Ames"), QStringLiteral("amy"), 2);
    KNVTCDTaskList *garden = pendingList(QStringLiteral("Garden"), 1);
    KNVTCDTaskList *home = pendingList(QStringLiteral("Home"), 2);
    save();
    ASSERT_EQ(store().numberOfNotifications(), 3);
    KNVTNotificationsViewController controller(&store());
    controller.view()->resize(340, 320);
    controller.view()->show();

    click(controller, QStringLiteral("Garden"), KNVTNotificationRowDelegate::DeclineButton);
    ASSERT_TRUE(waitUntil([&] { return !rows(controller).contains(QStringLiteral("Garden")); }));
    EXPECT_EQ(store().taskListCollaboratorForUser(store().me(), garden)->status(), 3);
    EXPECT_EQ(store().numberOfNotifications(), 2);

    click(controller, QStringLiteral("Home"), KNVTNotificationRowDelegate::AcceptButton);
    ASSERT_TRUE(waitUntil([&] { return !rows(controller).contains(QStringLiteral("Home")); }));
    EXPECT_EQ(store().taskListCollaboratorForUser(store().me(), home)->status(), 2);

    click(controller, QStringLiteral("Amy Ames"), KNVTNotificationRowDelegate::DeclineButton);
    ASSERT_TRUE(waitUntil([&] { return rows(controller).isEmpty(); }));
    EXPECT_EQ(amy->friendshipStatus(), 0);
    EXPECT_EQ(knvt::labelText(controller.tableView()), QStringLiteral("No Notifications"));
    EXPECT_TRUE(knvt::isLabelVisible(controller.tableView()));
}

TEST_F(NotificationsTest, ADoubleClickOnAcceptAnswersOnlyTheInvitationUnderTheFirstClick)
{
    KNVTCDUser *amy = insertUser(QStringLiteral("Amy Ames"), QStringLiteral("amy"), 2);
    KNVTCDUser *bea = insertUser(QStringLiteral("Bea Bell"), QStringLiteral("bea"), 2);
    save();
    KNVTNotificationsViewController controller(&store());
    controller.view()->resize(340, 320);
    controller.view()->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(controller.view()));
    QListView *list = controller.tableView();
    const QModelIndex first = controller.model()->index(int(rows(controller).indexOf(QStringLiteral("Amy Ames"))));
    const QPoint accept = KNVTNotificationRowDelegate::buttonRectsForRow(list->visualRect(first))
                              .at(size_t(KNVTNotificationRowDelegate::AcceptButton))
                              .center()
                              .toPoint();
    // Amy's row goes after the first click and Bea's slides under the pointer before the second.
    ASSERT_TRUE(knvt::test::doubleClick(list->viewport(), accept, [&] {
        return waitUntil([&] { return !rows(controller).contains(QStringLiteral("Amy Ames")); });
    }));
    QTest::qWait(50);
    EXPECT_EQ(amy->friendshipStatus(), KNVTUserFriendshipStatusFriend);
    EXPECT_EQ(bea->friendshipStatus(), KNVTUserFriendshipStatusPending);
    EXPECT_TRUE(rows(controller).contains(QStringLiteral("Bea Bell")));
}

TEST_F(NotificationsTest, TheEmptyListSaysSoOnlyAfterAChange)
{
    KNVTNotificationsViewController controller(&store());
    controller.view();
    EXPECT_TRUE(rows(controller).isEmpty());
    EXPECT_FALSE(knvt::isLabelVisible(controller.tableView()));
    store().taskWithTitle(QStringLiteral("Something"));
    save();
    EXPECT_TRUE(knvt::isLabelVisible(controller.tableView()));
}
