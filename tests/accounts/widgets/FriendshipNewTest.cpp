// The sheet that invites a person by user name.
#include "AccountsTest.h"

#include "accounts/KNVTFriendshipNewWindowController.h"

#include "model/KNVTCDFriendship.h"
#include "model/KNVTFriendshipStatus.h"

#include "support/CountingBeeper.h"

#include "uikit/Announcement.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using knvt::test::waitUntil;

class FriendshipNewTest : public AccountsTest
{
protected:
    void SetUp() override
    {
        AccountsTest::SetUp();
        configureAccount();
        sheet = std::make_unique<KNVTFriendshipNewWindowController>(&store());
        sheet->open();
    }
    QLineEdit *field() { return sheet->findChild<QLineEdit *>(QStringLiteral("usernameTextField")); }
    QPushButton *addButton() { return sheet->findChild<QPushButton *>(QStringLiteral("addButton")); }
    QLabel *line() { return sheet->findChild<QLabel *>(QStringLiteral("progressLabel")); }
    // What a screen reader was last told wherever the focus is, "" when nothing.
    QString announced()
    {
        const knvt::Announcement *announcement = knvt::Announcement::of(sheet.get());
        return announcement != nullptr && announcement->isVisible() ? announcement->accessibleName() : QString();
    }
    // The name typed into the field, which has the keyboard, and Return.
    void invite(const QString &name)
    {
        QApplication::setActiveWindow(sheet.get());
        field()->setFocus(Qt::OtherFocusReason);
        field()->setText(name);
        QTest::keyClick(field(), Qt::Key_Return);
        ASSERT_TRUE(waitUntil([this] { return !sheet->isRunning(); }));
    }

    std::unique_ptr<KNVTFriendshipNewWindowController> sheet;
};

TEST_F(FriendshipNewTest, AnInvitationShowsItsOutcomeAndTheSheetStaysOpen)
{
    knvt::test::CountingBeeper beeper;
    EXPECT_TRUE(line()->text().isEmpty());
    EXPECT_FALSE(addButton()->isEnabled());
    QTest::keyClick(field(), Qt::Key_Return);
    EXPECT_EQ(beeper.count(), 1);
    field()->setText(QStringLiteral("   "));
    EXPECT_FALSE(addButton()->isEnabled());
    QTest::keyClick(field(), Qt::Key_Return);
    EXPECT_EQ(beeper.count(), 2);
    EXPECT_FALSE(fake.hasRequest("POST", "/friendships.json"));

    fake.on("POST", "/friendships.json")
        .json(200,
              knvt::test::body(knvt::test::friendship(80, 42, 43, QStringLiteral("pending"), 1,
                                                      {{"invitee", knvt::test::user(43, "bea")}})))
        .hold();
    // A name pasted with the spaces around it is the person's name without them.
    field()->setText(QStringLiteral(" bea\t"));
    addButton()->click();
    EXPECT_EQ(line()->text(), QStringLiteral("Inviting..."));
    EXPECT_TRUE(field()->isReadOnly()) << "the field keeps the keyboard, typing nothing";
    EXPECT_TRUE(field()->isEnabled());
    EXPECT_FALSE(sheet->findChild<QPushButton *>(QStringLiteral("cancelButton"))->isEnabled());
    QTest::keyClick(sheet.get(), Qt::Key_Escape);
    EXPECT_TRUE(sheet->isVisible()) << "nothing closes it while the invitation is on its way";
    ASSERT_TRUE(waitUntil([this] { return fake.hasRequest("POST", "/friendships.json"); }));
    fake.release("POST", "/friendships.json");
    ASSERT_TRUE(waitUntil([this] { return !sheet->isRunning(); }));

    EXPECT_EQ(line()->text(), QStringLiteral("You Successfully invited bea!"));
    EXPECT_TRUE(field()->text().isEmpty());
    EXPECT_FALSE(field()->isReadOnly());
    EXPECT_FALSE(addButton()->isEnabled());
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(fake.lastRequest("POST", "/friendships.json")->json().object(),
              QJsonObject({{"friendship", QJsonObject{{"invitee_username", "bea"}}}}));
    ASSERT_TRUE(waitUntil([this] { return context().count<KNVTCDFriendship>() == 1; }));
}

TEST_F(FriendshipNewTest, RefusalsAndFailuresEachHaveTheirLine)
{
    struct Case
    {
        int status;
        QByteArray body;
        QString message;
        bool addEnabled;
    };
    const QString unknownName =
        QStringLiteral("Unable to invite, please check that the username you have entered is correct.");
    // Only the service's word that it knows no such person speaks of the name; its own failures do not.
    const QString serviceFailed =
        QStringLiteral("Unable to invite as the sync service failed: the invitation was not sent. You can try again.");
    const Case cases[] = {
        {422, R"({"invitee_username":["is not a user"]})", unknownName, false},
        {404, R"({"invitee":["not found"]})", unknownName, false},
        {401, "{}", QStringLiteral("Unable to authenticate."), true},
        {503, "{}", serviceFailed, true},
        {502, "<html>Bad Gateway</html>", serviceFailed, true},
        {403, "{}", serviceFailed, true},
        {404, "{}", serviceFailed, true},
    };
    for (const Case &c : cases) {
        fake.on("POST", "/friendships.json").clear().json(c.status, c.body);
        invite(QStringLiteral("nobody"));
        EXPECT_EQ(line()->text(), c.message) << c.status << ' ' << c.body.toStdString();
        EXPECT_EQ(announced(), c.message) << c.status << ' ' << c.body.toStdString();
        EXPECT_EQ(QApplication::focusWidget(), field()) << c.status << ' ' << c.body.toStdString();
        EXPECT_EQ(addButton()->isEnabled(), c.addEnabled) << c.status << ' ' << c.body.toStdString();
        EXPECT_EQ(field()->text(), QStringLiteral("nobody"));
    }
    fake.stop();
    invite(QStringLiteral("nobody"));
    EXPECT_EQ(line()->text(), QStringLiteral("Unable to invite as the connection failed."));
    EXPECT_TRUE(addButton()->isEnabled());
    EXPECT_EQ(context().count<KNVTCDFriendship>(), 0);
}

// The line says what the service's answer means for the person and the user: invited now, friends already, or an
// invitation of theirs that waits for the user in Notifications (or that this invitation took up).
TEST_F(FriendshipNewTest, TheLineSaysWhatTheServicesAnswerMeans)
{
    const struct
    {
        const char *username;
        qint64 id;
        qint64 inviter;
        const char *status;
        // The person's own invitation waited here before.
        bool invitedMe;
        QString line;
    } cases[] = {
        {"bea", 43, 42, "pending", false, QStringLiteral("You Successfully invited bea!")},
        {"cy", 44, 42, "accepted", false, QStringLiteral("You and cy are already friends.")},
        {"dee", 45, 45, "pending", false,
         QStringLiteral("dee has already invited you: accept the invitation in Notifications, on the main window's "
                        "toolbar.")},
        {"eve", 46, 46, "accepted", true, QStringLiteral("You accepted the invitation of eve: you are friends now.")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.username);
        const QString username = QString::fromLatin1(c.username);
        if (c.invitedMe) {
            KNVTCDUser *person = insertUser(username, username, KNVTUserFriendshipStatusPending);
            person->setNumericIdentifier(c.id);
            auto *invitation = context().insert<KNVTCDFriendship>();
            invitation->setStatus(KNVTFriendshipStatusPending);
            invitation->setInvitee(store().me());
            invitation->setInviter(person);
            save();
        }
        const qint64 invitee = c.inviter == 42 ? c.id : 42;
        // The answer embeds the other person, as the service does.
        const QJsonObject person{{c.inviter == 42 ? "invitee" : "inviter", knvt::test::user(c.id, username)}};
        fake.on("POST", "/friendships.json")
            .clear()
            .json(200,
                  knvt::test::body(knvt::test::friendship(c.id + 100, c.inviter, invitee, QString::fromLatin1(c.status),
                                                          1, person)));
        invite(username);
        EXPECT_EQ(line()->text(), c.line);
        EXPECT_EQ(announced(), c.line);
        EXPECT_EQ(QApplication::focusWidget(), field());
    }
}
