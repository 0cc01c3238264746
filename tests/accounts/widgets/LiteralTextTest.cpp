// Names, user names and titles from the user or the service read as they were typed in every account window that
// shows them in a label: markup in them is text, never bold type, a picture or a link.
#include "AccountsTest.h"

#include "accounts/KNVTAccountDetailsWindowController.h"
#include "accounts/KNVTAuthenticationFailureWindowController.h"
#include "accounts/KNVTFriendshipNewWindowController.h"
#include "accounts/KNVTPreferenceConfiguredAccountViewController.h"
#include "accounts/KNVTPreferenceUnauthenticatedAccountViewController.h"
#include "accounts/KNVTTaskListSharingSettingsWindowController.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using knvt::test::waitUntil;

namespace {

const QString kUsername = QStringLiteral("<b>annlee</b>");
const QString kFirstName = QStringLiteral("<i>Ann</i>");
const QString kLastName = QStringLiteral("<img src=\"file:///tmp/quillvane-test.png\">");
const QString kTitle = QStringLiteral("<b>Garden</b> <a href=\"https://example.org\">go</a>");

// What the label says to someone reading it: the text with any markup taken as markup, unless the label shows
// plain text (the accessibility interface reads a label the way it is drawn).
QString reads(QLabel *label)
{
    if (!label)
        return QStringLiteral("<no label>");
    return QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name);
}

} // namespace

class LiteralTextTest : public AccountsTest
{
protected:
    void SetUp() override
    {
        AccountsTest::SetUp();
        configureAccount(kUsername);
        store().me()->setFirstName(kFirstName);
        store().me()->setLastName(kLastName);
        save();
    }
};

TEST_F(LiteralTextTest, TheAccountPanesAndTheFailureWindowShowTheNamesAsTyped)
{
    KNVTPreferenceConfiguredAccountViewController pane(&store());
    EXPECT_EQ(reads(child<QLabel>(pane.view(), "fullNameLabel")), kFirstName + u' ' + kLastName);
    EXPECT_EQ(reads(child<QLabel>(pane.view(), "usernameLabel")), kUsername);

    KNVTPreferenceUnauthenticatedAccountViewController refused(&store());
    EXPECT_EQ(reads(child<QLabel>(refused.view(), "messageLabel")),
              QStringLiteral("The sync service did not accept the password of the account %1.").arg(kUsername));

    KNVTAuthenticationFailureWindowController failure(&store());
    EXPECT_EQ(reads(child<QLabel>(&failure, "messageLabel")),
              QStringLiteral("The password supplied for the account %1 is incorrect.").arg(kUsername));
    EXPECT_EQ(reads(child<QLabel>(&failure, "usernameLabel")), kUsername);
}

TEST_F(LiteralTextTest, TheSharingHeadingShowsTheTitleAndTheOwnerAsTyped)
{
    KNVTCDUser *owner = insertUser(QStringLiteral("<b>Olga</b> Berg"), QStringLiteral("olga"));
    KNVTCDTaskList *list = insertTaskList(kTitle, 1, owner, {store().me()});
    save();
    KNVTTaskListSharingSettingsWindowController sheet(list, &store());
    EXPECT_EQ(reads(child<QLabel>(&sheet, "headingTextField")), QStringLiteral("\"%1\" Sharing settings").arg(kTitle));
    EXPECT_EQ(reads(child<QLabel>(&sheet, "sharedByTextField")), owner->extendedDisplayName());
    EXPECT_TRUE(owner->extendedDisplayName().startsWith(QLatin1String("<b>Olga</b>")));
}

TEST_F(LiteralTextTest, MessageLinesQuoteNamesAsTyped)
{
    const QString invitee = QStringLiteral("<a href=\"https://example.org\">bea</a>");
    fake.on("POST", "/friendships.json")
        .json(200,
              knvt::test::body(knvt::test::friendship(80, 42, 43, QStringLiteral("pending"), 1,
                                                      {{"invitee", knvt::test::user(43, invitee)}})));
    KNVTFriendshipNewWindowController invitation(&store());
    invitation.open();
    child<QLineEdit>(&invitation, "usernameTextField")->setText(invitee);
    child<QPushButton>(&invitation, "addButton")->click();
    ASSERT_TRUE(waitUntil([&] { return !invitation.isRunning(); }));
    EXPECT_EQ(reads(child<QLabel>(&invitation, "progressLabel")),
              QStringLiteral("You Successfully invited %1!").arg(invitee));

    fake.on("PUT", "/users/42.json").json(422, R"({"username":["has already been taken"]})");
    KNVTAccountDetailsWindowController details(&store());
    child<QLineEdit>(&details, "firstNameTextField")->setText(QStringLiteral("Anna"));
    child<QPushButton>(&details, "saveButton")->click();
    ASSERT_TRUE(waitUntil([&] { return !details.isRunning(); }));
    EXPECT_EQ(
        reads(child<QLabel>(&details, "progressLabel")),
        QStringLiteral("Unable to update account detais as the username \"%1\" is already taken.").arg(kUsername));
}
