// The account windows worked with the keyboard alone: Tab goes through each form in the order it reads and ends at
// Cancel and the form's own button, Escape leaves a sheet without saving, and the buttons painted in rows are pressed
// from the keyboard.
#include "AccountsTest.h"

#include "accounts/KNVTAccountDetailsWindowController.h"
#include "accounts/KNVTFriendshipNewWindowController.h"
#include "accounts/KNVTNotificationsModel.h"
#include "accounts/KNVTNotificationsViewController.h"
#include "accounts/KNVTSignInAndSignUpWindowController.h"
#include "accounts/KNVTSignInViewController.h"
#include "accounts/KNVTUserDetailModel.h"
#include "accounts/KNVTUserViewController.h"
#include "accounts/KNVTUsersViewController.h"
#include "accounts/KNVTUsersWindowController.h"
#include "accounts/PaintedRowList.h"

#include "model/KNVTUserFriendshipStatus.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

using knvt::test::waitUntil;

namespace {

// The names of the widgets the focus visits from `first` with `count` presses of Tab (or Shift+Tab), the widget
// the focus starts on included.
QStringList tabStops(QWidget *first, int count, bool backwards = false)
{
    first->window()->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(first->window()));
    first->setFocus(Qt::TabFocusReason);
    QStringList stops{QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString()};
    for (int i = 0; i < count; ++i) {
        QWidget *focused = QApplication::focusWidget();
        if (!focused)
            break;
        QTest::keyClick(focused, backwards ? Qt::Key_Backtab : Qt::Key_Tab,
                        backwards ? Qt::ShiftModifier : Qt::NoModifier);
        stops << (QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString());
    }
    return stops;
}

// The open menu of a row's buttons, if any.
QMenu *openRowMenu()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        auto *menu = qobject_cast<QMenu *>(widget);
        if (menu && menu->isVisible() && menu->objectName() == QLatin1String("rowActionMenu"))
            return menu;
    }
    return nullptr;
}

QStringList titles(QMenu *menu)
{
    QStringList texts;
    if (menu) {
        const QList<QAction *> actions = menu->actions();
        for (QAction *action : actions)
            texts << action->text();
    }
    return texts;
}

} // namespace

class KeyboardTest : public AccountsTest
{};

TEST_F(KeyboardTest, TabGoesThroughTheSignInFormAsItReadsAndEndsAtCancelAndSignIn)
{
    KNVTSignInAndSignUpWindowController window(&store());
    window.window()->show();
    KNVTSignInViewController *form = window.signInViewController();
    form->usernameTextField()->setText(QStringLiteral("ann"));
    form->passwordSecureTextField()->setText(QStringLiteral("secret1"));

    const QStringList forwards{"usernameTextField",   "passwordSecureTextField",
                               "createAccountButton", "forgottenPasswordButton",
                               "cancelButton",        "signInButton"};
    EXPECT_EQ(tabStops(form->usernameTextField(), 5), forwards);
    QStringList backwards = forwards;
    std::reverse(backwards.begin(), backwards.end());
    EXPECT_EQ(tabStops(child<QPushButton>(form->view(), "signInButton"), 5, true), backwards);
}

TEST_F(KeyboardTest, TabGoesThroughTheDetailsSheetAsItReadsAndEscapeLeavesWithoutSaving)
{
    configureAccount(QStringLiteral("annlee"));
    store().me()->setFirstName(QStringLiteral("Ann"));
    store().me()->setLastName(QStringLiteral("Lee"));
    save();
    KNVTAccountDetailsWindowController sheet(&store());
    sheet.show();
    EXPECT_EQ(tabStops(child<QPushButton>(&sheet, "avatarPickerButton"), 6),
              QStringList({"avatarPickerButton", "usernameTextField", "emailAddressTextField", "firstNameTextField",
                           "lastNameTextField", "cancelButton", "saveButton"}));

    auto *firstName = child<QLineEdit>(&sheet, "firstNameTextField");
    firstName->setFocus();
    firstName->selectAll();
    QTest::keyClicks(firstName, QStringLiteral("Anna"));
    QTest::keyClick(firstName, Qt::Key_Escape);
    EXPECT_FALSE(sheet.isVisible());
    EXPECT_EQ(sheet.result(), QDialog::Rejected);
    EXPECT_EQ(store().me()->firstName(), QStringLiteral("Ann"));
    EXPECT_EQ(fake.count("PUT", "/users/42.json"), 0);
}

// Save sent from a control other than the field typed in: the keyboard waits for the answer in the field typed in,
// or in the user name it is in, never handed on to Cancel.
TEST_F(KeyboardTest, WhileTheServiceAnswersTheDetailsTheKeyboardWaitsInTheFieldTypedIn)
{
    configureAccount(QStringLiteral("annlee"));
    const std::pair<const char *, const char *> sentFromAndWaits[] = {{"saveButton", "lastNameTextField"},
                                                                      {"usernameTextField", "usernameTextField"}};
    for (const auto &[sentFrom, waits] : sentFromAndWaits) {
        SCOPED_TRACE(sentFrom);
        fake.clearRequests();
        fake.on("PUT", "/users/42.json").clear().json(422, "{}").hold();
        KNVTAccountDetailsWindowController sheet(&store());
        sheet.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&sheet));
        QTest::keyClicks(child<QLineEdit>(&sheet, "lastNameTextField"), QStringLiteral("x"));
        child(&sheet, sentFrom)->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        EXPECT_EQ(QApplication::focusWidget(), child(&sheet, waits)) << "while the service answers";
        ASSERT_TRUE(waitUntil([this] { return fake.hasRequest("PUT", "/users/42.json"); }));
        fake.releaseAll();
        ASSERT_TRUE(waitUntil([&sheet] { return !sheet.isRunning(); }));
        EXPECT_EQ(QApplication::focusWidget(), child(&sheet, waits)) << "after the answer";
    }
}

TEST_F(KeyboardTest, TheNewFriendshipSheetEndsAtCancelAndAdd)
{
    configureAccount();
    KNVTFriendshipNewWindowController sheet(&store());
    sheet.show();
    QTest::keyClicks(child<QLineEdit>(&sheet, "usernameTextField"), QStringLiteral("bea"));
    EXPECT_EQ(tabStops(child<QLineEdit>(&sheet, "usernameTextField"), 2),
              QStringList({"usernameTextField", "cancelButton", "addButton"}));
}

TEST_F(KeyboardTest, ReturnOnAnInvitationOffersItsAnswersAndTheChosenOneIsGiven)
{
    configureAccount();
    KNVTCDUser *dora =
        insertUser(QStringLiteral("Dora Diaz"), QStringLiteral("dorad"), KNVTUserFriendshipStatusPending);
    KNVTCDTaskList *club =
        insertTaskList(QStringLiteral("Book Club"), 1, insertUser(QStringLiteral("Bob Berg"), QStringLiteral("bob")),
                       {store().me()}, 1);
    save();
    KNVTNotificationsViewController notifications(&store());
    knvt::PaintedRowList *list = notifications.tableView();
    notifications.view()->show();
    list->setFocus();
    const auto rowOf = [&](const QString &text) {
        const std::vector<KNVTNotificationsModel::Row> &rows = notifications.model()->cells();
        for (size_t row = 0; row < rows.size(); ++row) {
            if (rows[row].title == text || rows[row].user.fullName == text)
                return notifications.model()->index(int(row));
        }
        return QModelIndex();
    };

    list->setCurrentIndex(rowOf(QStringLiteral("Book Club")));
    QTest::keyClick(list, Qt::Key_Return);
    QMenu *menu = openRowMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(titles(menu), QStringList({"Accept", "Decline"}));
    menu->actions().at(0)->trigger();
    menu->close();
    ASSERT_TRUE(waitUntil([&] { return !rowOf(QStringLiteral("Book Club")).isValid(); }));
    EXPECT_EQ(club->taskListCollaboratorStatus(), 2);

    // The menu key opens the same menu; its second entry declines.
    list->setCurrentIndex(rowOf(QStringLiteral("Dora Diaz")));
    QContextMenuEvent fromKeyboard(QContextMenuEvent::Keyboard, QPoint(), list->mapToGlobal(QPoint()));
    QApplication::sendEvent(list, &fromKeyboard);
    menu = openRowMenu();
    ASSERT_NE(menu, nullptr);
    menu->actions().at(1)->trigger();
    menu->close();
    ASSERT_TRUE(waitUntil([&] { return !rowOf(QStringLiteral("Dora Diaz")).isValid(); }));
    EXPECT_EQ(dora->friendshipStatus().value_or(-1), KNVTUserFriendshipStatusNone);
}

TEST_F(KeyboardTest, ThePersonsDetailIsReachedByTabAndItsInviteIsPressedWithSpace)
{
    configureAccount();
    KNVTCDUser *carl = insertUser(QStringLiteral("Carl Collins"), QStringLiteral("carl"), KNVTUserFriendshipStatusNone);
    save();
    KNVTUsersWindowController window(&store());
    window.show();
    window.usersViewController()->setSelectedUser(carl);
    knvt::PaintedRowList *detail = window.userViewController()->tableView();
    const QStringList stops = tabStops(window.findChild<QLineEdit *>(QStringLiteral("searchField")), 4);
    EXPECT_EQ(stops.size(), 5);
    EXPECT_EQ(QApplication::focusWidget(), detail) << stops.join(u' ').toStdString();

    KNVTUserDetailModel *model = window.userViewController()->model();
    for (int row = 0; row < model->rowCount(); ++row) {
        if (model->kindAtRow(row) == KNVTUserDetailModel::RowKind::Invite)
            detail->setCurrentIndex(model->index(row));
    }
    ASSERT_EQ(model->kindAtRow(detail->currentIndex().row()), KNVTUserDetailModel::RowKind::Invite);
    QTest::keyClick(detail, Qt::Key_Space);
    ASSERT_TRUE(waitUntil([&] { return carl->friendshipStatus() == KNVTUserFriendshipStatusInvited; }));
}
