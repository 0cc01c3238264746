// The people window: groups, people, search, the detail of a person and the answers to invitations.
#include "AccountsTest.h"

#include "accounts/KNVTFriendshipNewWindowController.h"
#include "accounts/KNVTUserDetailModel.h"
#include "accounts/KNVTUserDetailRowDelegate.h"
#include "accounts/KNVTUserGroupsViewController.h"
#include "accounts/KNVTUserViewController.h"
#include "accounts/KNVTUsersModel.h"
#include "accounts/KNVTUsersViewController.h"
#include "accounts/KNVTUsersWindowController.h"
#include "accounts/PaintedRowList.h"

#include "model/KNVTCDFriendship.h"
#include "model/ObjectReferencePayload.h"

#include "foundation/NotificationCenter.h"

#include "support/CheckedModel.h"

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QSplitter>

#include <functional>

using knvt::test::CheckedModel;
using knvt::test::waitUntil;
using Kind = KNVTUserDetailModel::RowKind;

class PeopleWindowTest : public AccountsTest
{
protected:
    void SetUp() override
    {
        AccountsTest::SetUp();
        configureAccount();
        zoe = insertUser(QStringLiteral("Zoë Ångström"), QStringLiteral("zoe"), 3);
        bob = insertUser(QStringLiteral("bob Brown"), QStringLiteral("bobby"), 2);
        carl = insertUser(QStringLiteral("Carl Collins"), QStringLiteral("carl"), 0);
        project = insertTaskList(QStringLiteral("Garden"), 1, store().me(), {carl});
        save();
    }

    std::unique_ptr<KNVTUsersWindowController> openWindow()
    {
        auto window = std::make_unique<KNVTUsersWindowController>(&store());
        window->show();
        return window;
    }
    static QStringList shownNames(KNVTUsersWindowController &window)
    {
        QStringList names;
        for (const knvt::UserRow &row : window.usersViewController()->model()->rows())
            names << row.fullName;
        return names;
    }
    static QList<Kind> detailKinds(KNVTUsersWindowController &window)
    {
        QList<Kind> kinds;
        for (const KNVTUserDetailModel::Row &row : window.userViewController()->model()->detailRows())
            kinds << row.kind;
        return kinds;
    }
    static void select(KNVTUsersWindowController &window, KNVTCDUser *user)
    {
        window.usersViewController()->tableView()->clearSelection();
        window.usersViewController()->setSelectedUser(user);
    }
    // Clicks the painted button of the detail row of `kind`.
    static void clickDetailButton(KNVTUsersWindowController &window, Kind kind, int button)
    {
        QListView *tree = window.userViewController()->tableView();
        const auto &rows = window.userViewController()->model()->detailRows();
        const auto row = std::find_if(rows.cbegin(), rows.cend(), [kind](const auto &r) { return r.kind == kind; });
        ASSERT_NE(row, rows.cend());
        const QModelIndex index = window.userViewController()->model()->index(int(row - rows.cbegin()));
        const QRect rect = tree->visualRect(index);
        const QPointF centre = KNVTUserDetailRowDelegate::buttonRectsForRow(kind, rect).at(size_t(button)).center();
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, centre.toPoint());
    }

    KNVTCDUser *zoe = nullptr;
    KNVTCDUser *bob = nullptr;
    KNVTCDUser *carl = nullptr;
    KNVTCDTaskList *project = nullptr;
};

TEST_F(PeopleWindowTest, GroupsListPeopleSortedAndCounted)
{
    auto window = openWindow();
    QStringList groups;
    for (const KNVTUserGroup &group : window->userGroupsViewController()->userGroups())
        groups << group.localizedDisplayName();
    EXPECT_EQ(groups, QStringList({"All", "Collaborators", "Friends", "Pending"}));
    EXPECT_EQ(shownNames(*window), QStringList({"ann Doe", "bob Brown", "Carl Collins", "Zoë Ångström"}));
    auto *footer = window->findChild<QLabel *>(QStringLiteral("footerTextLabel"));
    EXPECT_EQ(footer->text(), QStringLiteral("4 Contacts"));
    EXPECT_TRUE(window->usersViewController()->model()->rows().front().isMe);

    window->userGroupsViewController()->selectUserGroupAtIndex(1);
    EXPECT_EQ(shownNames(*window), QStringList({"Carl Collins"}));
    EXPECT_EQ(footer->text(), QStringLiteral("1 Contact"));
    window->userGroupsViewController()->selectUserGroupAtIndex(3);
    EXPECT_EQ(shownNames(*window), QStringList({"bob Brown"}));
    window->userGroupsViewController()->tableView()->clearSelection();
    EXPECT_EQ(footer->text(), QStringLiteral("0 Contacts"));
}

TEST_F(PeopleWindowTest, ManyPeopleAddedInAnyOrderAreListedByNameEachWithTheirOwnUserName)
{
    // Names added out of order in several interleaved runs, so that putting them in order moves rows in long chains.
    QStringList names;
    for (int i = 0; i < 60; ++i)
        names << QStringLiteral("Person %1").arg((i * 37) % 60, 2, 10, QChar(u'0'));
    for (const QString &name : std::as_const(names))
        insertUser(name, name.toLower().remove(u' '));
    save();

    auto window = openWindow();
    const std::vector<knvt::UserRow> &rows = window->usersViewController()->model()->rows();
    QStringList people;
    for (const knvt::UserRow &row : rows) {
        if (!row.fullName.startsWith(QStringLiteral("Person")))
            continue;
        people << row.fullName;
        EXPECT_EQ(row.username, row.fullName.toLower().remove(u' ')) << "each row keeps its own person's fields";
    }
    QStringList expected = names;
    expected.sort();
    EXPECT_EQ(people, expected);
}

TEST_F(PeopleWindowTest, SearchIgnoresCaseAndAccentsAndAnotherGroupClearsIt)
{
    auto window = openWindow();
    auto *search = window->findChild<QLineEdit *>(QStringLiteral("searchField"));
    QTest::keyClicks(search, QStringLiteral("ANGSTR"));
    EXPECT_EQ(shownNames(*window), QStringList({"Zoë Ångström"}));
    search->setText(QStringLiteral("bob"));
    EXPECT_EQ(shownNames(*window), QStringList({"bob Brown"})) << "user name or full name";
    search->setText(QStringLiteral(" bob "));
    EXPECT_EQ(shownNames(*window), QStringList({"bob Brown"})) << "the spaces around a search are no part of it";
    search->clear();
    EXPECT_EQ(shownNames(*window).size(), 4);

    search->setText(QStringLiteral("carl"));
    window->userGroupsViewController()->selectUserGroupAtIndex(2);
    EXPECT_TRUE(search->text().isEmpty());
    EXPECT_EQ(shownNames(*window), QStringList({"Zoë Ångström"}));

    // A change of the people shows the whole group again and leaves the text.
    window->userGroupsViewController()->selectUserGroupAtIndex(0);
    search->setText(QStringLiteral("zo"));
    carl->setLastName(QStringLiteral("Collier"));
    save();
    EXPECT_EQ(search->text(), QStringLiteral("zo"));
    EXPECT_EQ(shownNames(*window).size(), 4);
}

TEST_F(PeopleWindowTest, TheDetailShowsMembershipsAndWhatCanBeDoneAboutTheFriendship)
{
    KNVTCDTaskList *area = insertTaskList(QStringLiteral("Home"), 2, store().me(), {carl});
    KNVTCDTaskList *gone = insertTaskList(QStringLiteral("Gone"), 1, store().me(), {carl});
    gone->setDeletedDate(m_clock.now());
    KNVTCDTaskList *left = insertTaskList(QStringLiteral("Left"), 1, store().me());
    insertCollaborator(left, carl, 2, 2)->setDeletedDate(m_clock.now());
    insertTaskList(QStringLiteral("Asked"), 1, store().me(), {carl}, 1);
    save();
    ASSERT_NE(area, nullptr);

    auto window = openWindow();
    select(*window, carl);
    EXPECT_EQ(window->userViewController()->user(), carl);
    EXPECT_EQ(detailKinds(*window),
              QList<Kind>({Kind::Header, Kind::Group, Kind::TaskList, Kind::TaskList, Kind::Group, Kind::TaskList,
                           Kind::Invite}));
    QStringList texts;
    for (const auto &row : window->userViewController()->model()->detailRows())
        texts << row.text;
    EXPECT_EQ(texts.at(1), QStringLiteral("Projects"));
    EXPECT_EQ(QSet<QString>({texts.at(2), texts.at(3)}), QSet<QString>({"Garden", "Asked"}))
        << "pending memberships stay, ended ones and deleted lists go";
    EXPECT_EQ(texts.mid(4, 2), QStringList({"Areas", "Home"}));

    select(*window, bob);
    EXPECT_EQ(detailKinds(*window), QList<Kind>({Kind::Header, Kind::AcceptOrDecline}));
    select(*window, zoe);
    EXPECT_EQ(detailKinds(*window), QList<Kind>({Kind::Header}));
    select(*window, store().me());
    EXPECT_EQ(detailKinds(*window).front(), Kind::Header);
    EXPECT_NE(detailKinds(*window).back(), Kind::Invite);
    bob->setFriendshipStatus(1);
    select(*window, bob);
    EXPECT_EQ(detailKinds(*window), QList<Kind>({Kind::Header, Kind::Invited}));
}

TEST_F(PeopleWindowTest, AnsweringAnInvitationMakesAFriendAndTheButtonsGo)
{
    auto window = openWindow();
    select(*window, bob);
    clickDetailButton(*window, Kind::AcceptOrDecline, KNVTUserDetailRowDelegate::AcceptButton);
    ASSERT_TRUE(waitUntil([&] { return bob->friendshipStatus() == 3; }));
    ASSERT_TRUE(waitUntil([&] { return !context().hasChanges(); }));
    EXPECT_EQ(window->usersViewController()->selectedUser(), bob) << "still in All, still chosen";
    EXPECT_EQ(detailKinds(*window), QList<Kind>({Kind::Header})) << "rebuilt although the same person";

    select(*window, carl);
    clickDetailButton(*window, Kind::Invite, KNVTUserDetailRowDelegate::InviteButton);
    ASSERT_TRUE(waitUntil([&] { return carl->friendshipStatus() == 1; }));
    ASSERT_TRUE(waitUntil([&] { return detailKinds(*window).back() == Kind::Invited; }));

    // A person who leaves the chosen group empties the detail.
    window->userGroupsViewController()->selectUserGroupAtIndex(2);
    select(*window, bob);
    auto *record = context().insert<KNVTCDFriendship>();
    record->setStatus(3);
    record->setInvitee(bob);
    record->setInviter(store().me());
    save();
    EXPECT_EQ(window->userViewController()->user(), nullptr);
}

TEST_F(PeopleWindowTest, SavesOfTasksLeaveThePeopleAsTheyAreWhileAChangedPersonIsShownAtOnce)
{
    auto window = openWindow();
    select(*window, zoe);
    QSignalSpy changed(window->usersViewController()->model(), &QAbstractItemModel::dataChanged);

    KNVTCDTask *task = insertTask(QStringLiteral("Water the plants"));
    save();
    task->setTitle(QStringLiteral("Water the ferns"));
    save();
    EXPECT_EQ(changed.count(), 0) << "a task's saves touch no person";

    carl->setFirstName(QStringLiteral("Karl"));
    save();
    EXPECT_GT(changed.count(), 0);
    EXPECT_TRUE(shownNames(*window).contains(QStringLiteral("Karl Collins")))
        << qPrintable(shownNames(*window).join(u'|'));
    EXPECT_EQ(window->usersViewController()->selectedUser(), zoe);

    // A new name that sorts elsewhere moves the row; the chosen person stays chosen and each row is found again.
    carl->setFirstName(QStringLiteral("Abe"));
    save();
    EXPECT_EQ(shownNames(*window), QStringList({"Abe Collins", "ann Doe", "bob Brown", "Zoë Ångström"}));
    EXPECT_EQ(window->usersViewController()->selectedUser(), zoe);
    window->usersViewController()->setSelectedUser(carl);
    EXPECT_EQ(window->usersViewController()->selectedUser(), carl);
    window->usersViewController()->tableView()->clearSelection();
    window->usersViewController()->setSelectedUser(bob);
    EXPECT_EQ(window->usersViewController()->selectedUser(), bob);
}

TEST_F(PeopleWindowTest, ThePeopleFollowEachChangeInPlaceAndListAsAWindowOpenedAfresh)
{
    // People without user names whose names collate alike: a person placed on their own lands among them where a
    // whole sort puts them.
    KNVTCDUser *sam = insertUser(QStringLiteral("Sam Lee"), QString());
    insertUser(QStringLiteral("sam lee"), QString());
    insertUser(QStringLiteral("Sám Lée"), QString());
    save();
    auto window = openWindow();
    select(*window, zoe);
    CheckedModel checked(window->usersViewController()->model());
    const auto people = [](KNVTUsersWindowController &shown) {
        QStringList rows;
        for (const knvt::UserRow &row : shown.usersViewController()->model()->rows())
            rows << row.fullName + u'/' + row.username;
        return rows;
    };
    struct Step
    {
        const char *what;
        std::function<void()> change;
        int changedRows;
    };
    const std::vector<Step> steps{
        {"renamed to sort elsewhere", [&] { bob->setFirstName(QStringLiteral("Aaron")); }, 1},
        {"one more alike", [&] { insertUser(QStringLiteral("SAM LEE"), QString()); }, 0},
        {"one of the alike renamed alike", [&] { sam->setLastName(QStringLiteral("LEE")); }, 1},
        {"gone", [&] { context().remove(carl); }, 0},
        {"a task saved", [&] { insertTask(QStringLiteral("Water the ferns")); }, 0},
    };
    for (const Step &step : steps) {
        checked.forget();
        step.change();
        save();
        EXPECT_EQ(people(*window), people(*openWindow())) << step.what;
        EXPECT_EQ(checked.heard().changedRows.size(), step.changedRows) << step.what;
        EXPECT_EQ(checked.heard().resets + checked.heard().layouts, 0) << step.what;
        EXPECT_EQ(window->usersViewController()->selectedUser(), zoe) << step.what;
    }

    // A change the store cannot name (a refresh after a failed reload) reads everybody again.
    zoe->setFirstName(QStringLiteral("Zora"));
    knvt::NotificationCenter::defaultCenter().post(QString::fromLatin1(KNVTTaskStoreDidChangeNotification), &store());
    EXPECT_TRUE(people(*window).contains(QStringLiteral("Zora Ångström/zoe")))
        << qPrintable(people(*window).join(u'|'));
    EXPECT_EQ(window->usersViewController()->selectedUser(), zoe);
    EXPECT_EQ(checked.complaints(), QStringList());
}

TEST_F(PeopleWindowTest, DraggingPeopleCarriesTheirReferencesAndTheirNamesAsText)
{
    auto window = openWindow();
    KNVTUsersModel *model = window->usersViewController()->model();
    const QModelIndexList rows{model->index(3), model->index(1)};
    std::unique_ptr<QMimeData> mime(model->mimeData(rows));
    ASSERT_NE(mime, nullptr);
    const std::optional<QList<QUrl>> uris = knvt::ObjectReferencePayload::read(*mime);
    ASSERT_TRUE(uris);
    EXPECT_EQ(
        *uris,
        QList<QUrl>({knvt::managedObjectIDURIRepresentation(*bob), knvt::managedObjectIDURIRepresentation(*zoe)}));
    EXPECT_EQ(mime->text(), QStringLiteral("bob Brown\nZoë Ångström\n"));
    EXPECT_EQ(model->mimeData({}), nullptr);
}

TEST_F(PeopleWindowTest, TheDividersStayWithinTheirBoundsAndAddOpensTheInvitationSheet)
{
    auto window = openWindow();
    window->resize(1000, 560);
    QSplitter *split = window->splitView();
    split->setSizes({100, 300, 592});
    emit split->splitterMoved(100, 1);
    EXPECT_EQ(split->sizes().at(0), 200);

    window->findChild<QPushButton *>(QStringLiteral("addUserButton"))->click();
    KNVTFriendshipNewWindowController *sheet = window->friendshipNewWindowController();
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->parentWidget(), window.get());
    EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
    sheet->cancel();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window->friendshipNewWindowController(), nullptr);
}

class PeopleSignedOutTest : public PeopleWindowTest
{
protected:
    // The same people, in a library without an account.
    void SetUp() override
    {
        AccountsTest::SetUp();
        carl = insertUser(QStringLiteral("Carl Collins"), QStringLiteral("carl"), 0);
        bob = insertUser(QStringLiteral("bob Brown"), QStringLiteral("bobby"), 2);
        save();
    }
};

TEST_F(PeopleSignedOutTest, WithoutAnAccountTheInvitationControlsAreDisabledAndSendNothing)
{
    auto window = openWindow();
    auto *addFriend = window->findChild<QPushButton *>(QStringLiteral("addUserButton"));
    ASSERT_NE(addFriend, nullptr);
    EXPECT_FALSE(addFriend->isEnabled());
    QTest::mouseClick(addFriend, Qt::LeftButton);
    window->addUser();
    EXPECT_EQ(window->friendshipNewWindowController(), nullptr) << "no sheet to type a name into";

    KNVTUserDetailModel *detail = window->userViewController()->model();
    for (KNVTCDUser *person : {carl, bob}) {
        select(*window, person);
        const Kind answer = person == carl ? Kind::Invite : Kind::AcceptOrDecline;
        ASSERT_EQ(detailKinds(*window).back(), answer);
        EXPECT_FALSE(detail->flags(detail->index(detail->rowCount() - 1)).testFlag(Qt::ItemIsEnabled));
        clickDetailButton(*window, answer, 0);
        window->userViewController()->tableView()->triggerRowAction(detail->index(detail->rowCount() - 1), 0);
    }
    QTest::qWait(50);
    EXPECT_EQ(carl->friendshipStatus(), 0);
    EXPECT_EQ(bob->friendshipStatus(), 2);
    EXPECT_EQ(context().count<KNVTCDFriendship>(), 0);
    EXPECT_FALSE(fake.hasRequest("POST", "/friendships.json"));

    // Signing in makes them available.
    configureAccount();
    EXPECT_TRUE(addFriend->isEnabled());
    EXPECT_TRUE(detail->flags(detail->index(detail->rowCount() - 1)).testFlag(Qt::ItemIsEnabled));
}
