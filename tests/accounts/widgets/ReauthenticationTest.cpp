// Typing the password again: the sheet of the Account pane and the window shown when a sync is refused, both of which
// keep a password only once the service took it.
#include "AccountsTest.h"

#include "accounts/KNVTAccountAuthenticationWindowController.h"
#include "accounts/KNVTAccountsShell.h"
#include "accounts/KNVTAuthenticationFailureWindowController.h"

#include "sync/KNVTTaskStoreSyncCoordinator.h"

#include "foundation/KNVTKeychainItem.h"

#include "support/RecordingUrlOpener.h"
#include "support/RefusingKeychain.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using knvt::test::waitUntil;

namespace {

struct RecordingSheetDelegate final : KNVTAccountAuthenticationWindowControllerDelegate
{
    void accountAuthenticationWindowControllerDidAuthenticate(KNVTAccountAuthenticationWindowController *sheet) override
    {
        ++authenticated;
        sheet->dismiss();
    }
    int authenticated = 0;
};

struct RecordingShell final : KNVTAccountsShell
{
    void showAuthenticationFailureWindow() override { ++shown; }
    QWidget *mainWindow() override { return nullptr; }
    void authenticationFailureWindowControllerDidSave(KNVTAuthenticationFailureWindowController *window) override
    {
        messages << "save";
        window->close();
        window->deleteLater();
    }
    void authenticationFailureWindowControllerDidCancel(KNVTAuthenticationFailureWindowController *window) override
    {
        messages << "cancel";
        window->close();
        window->deleteLater();
    }
    int shown = 0;
    QStringList messages;
};

struct CountingCoordinator final : KNVTTaskStoreSyncCoordinating
{
    explicit CountingCoordinator(int &starts) : m_starts(starts) {}
    bool isSyncing() const override { return false; }
    void startSyncSessionIfRequired() override { ++m_starts; }
    void cancelSyncSessions() override {}
    qsizetype pendingSyncSessionsCount() const override { return 0; }
    void setTaskStoreSyncCoordinatorDelegate(KNVTTaskStoreSyncCoordinatorDelegate *) override {}
    int &m_starts;
};

} // namespace

class ReauthenticationTest : public AccountsTest
{
protected:
    void SetUp() override
    {
        AccountsTest::SetUp();
        configureAccount();
        store().setAuthenticationFailureDate(m_clock.now());
        ASSERT_FALSE(store().isAuthenticated());
    }

    // The failure window shown with syncing on and the keyring locked, so that a password typed into it can be kept
    // for this run only; the shell records what the window tells it.
    KNVTAuthenticationFailureWindowController *showWindowWithTheKeyringLocked(RecordingShell &shell)
    {
        KNVTTaskStoreSyncCoordinator::registerWithTaskStore();
        fake.enableState();
        configureAccount();
        store().resetAuthenticationFailureDate();
        store().setAutoSyncEnabled(true);
        store().setAuthenticationFailureDate(m_clock.now());
        KNVTKeychainItem::lockKeychain();
        auto *window = new KNVTAuthenticationFailureWindowController(&store());
        window->setAuthenticationFailureWindowControllerDelegate(&shell);
        window->show();
        return window;
    }
};

TEST_F(ReauthenticationTest, TheSheetChecksTheStoredNameWithTheCredentialsAloneAndKeepsACorrectPassword)
{
    fake.on("GET", "/account.json").json(401, "{}").json(200, accountReply());
    RecordingSheetDelegate delegate;
    KNVTAccountAuthenticationWindowController sheet(&store());
    sheet.setAccountAuthenticationWindowControllerDelegate(&delegate);
    auto *username = child<QLineEdit>(&sheet, "usernameTextField");
    auto *password = child<QLineEdit>(&sheet, "passwordSecureTextField");
    auto *authenticate = child<QPushButton>(&sheet, "authenticateButton");
    EXPECT_EQ(username->text(), QStringLiteral("ann"));
    EXPECT_TRUE(username->isReadOnly());
    EXPECT_TRUE(child<QLabel>(&sheet, "progressLabel")->isHidden());
    EXPECT_FALSE(authenticate->isEnabled());
    password->setText(QStringLiteral("wrong"));
    EXPECT_TRUE(authenticate->isEnabled());

    authenticate->click();
    EXPECT_FALSE(child<QPushButton>(&sheet, "forgottenPasswordButton")->isEnabled());
    EXPECT_TRUE(child<QPushButton>(&sheet, "cancelButton")->isEnabled());
    ASSERT_TRUE(waitUntil([&] { return !sheet.isRunning(); }));
    EXPECT_EQ(child<QLabel>(&sheet, "progressLabel")->text(),
              QStringLiteral("Unable to verify username and password."));
    EXPECT_FALSE(authenticate->isEnabled());
    EXPECT_TRUE(password->isEnabled());
    EXPECT_EQ(storedPassword(QStringLiteral("ann")), QStringLiteral("secret1"));
    EXPECT_FALSE(store().isAuthenticated());
    const auto request = fake.requests("GET", "/account.json").front();
    EXPECT_EQ(request.header("Authorization"), QByteArray("Basic ") + QByteArray("ann:wrong").toBase64());
    EXPECT_FALSE(request.hasHeader("X-Application-Identifier"));
    EXPECT_FALSE(request.hasHeader("Content-Type"));

    password->setText(QStringLiteral("newpass2"));
    authenticate->click();
    ASSERT_TRUE(waitUntil([&] { return delegate.authenticated == 1; }));
    EXPECT_EQ(storedPassword(QStringLiteral("ann")), QStringLiteral("newpass2"));
    EXPECT_TRUE(store().isAuthenticated());
    EXPECT_TRUE(store().isConfigured());
    EXPECT_EQ(sheet.result(), QDialog::Rejected) << "the host dismissed it";
}

TEST_F(ReauthenticationTest, ThePasswordTheSheetVerifiedStartsOneSync)
{
    int syncs = 0;
    KNVTTaskStoreSyncCoordinating::setFactory(
        [&syncs](KNVTTaskStore &) { return std::make_unique<CountingCoordinator>(syncs); });
    configureAccount();
    store().resetAuthenticationFailureDate();
    store().setAutoSyncEnabled(true);
    store().setAuthenticationFailureDate(m_clock.now());
    syncs = 0;
    fake.on("GET", "/account.json").json(200, accountReply());
    RecordingSheetDelegate delegate;
    KNVTAccountAuthenticationWindowController sheet(&store());
    sheet.setAccountAuthenticationWindowControllerDelegate(&delegate);
    child<QLineEdit>(&sheet, "passwordSecureTextField")->setText(QStringLiteral("newpass2"));
    child<QPushButton>(&sheet, "authenticateButton")->click();
    ASSERT_TRUE(waitUntil([&] { return delegate.authenticated == 1; }));
    EXPECT_EQ(syncs, 1);
}

TEST_F(ReauthenticationTest, TheSheetTreatsAnAnswerWithoutTheAccountAsARefusalAndCancelReturnsToEditing)
{
    fake.on("GET", "/account.json").json(200, R"({"account":{"id":7}})");
    KNVTAccountAuthenticationWindowController sheet(&store());
    child<QLineEdit>(&sheet, "passwordSecureTextField")->setText(QStringLiteral("newpass2"));
    sheet.authenticate();
    ASSERT_TRUE(waitUntil([&] { return !sheet.isRunning(); }));
    EXPECT_EQ(child<QLabel>(&sheet, "progressLabel")->text(),
              QStringLiteral("Unable to verify username and password."));
    EXPECT_EQ(storedPassword(QStringLiteral("ann")), QStringLiteral("secret1"));
    EXPECT_FALSE(store().isAuthenticated());

    fake.on("GET", "/account.json").clear().json(200, accountReply()).hold();
    child<QLineEdit>(&sheet, "passwordSecureTextField")->setText(QStringLiteral("newpass3"));
    sheet.authenticate();
    ASSERT_TRUE(waitUntil([this] { return fake.count("GET", "/account.json") == 2; }));
    sheet.cancel();
    EXPECT_FALSE(sheet.isRunning());
    EXPECT_TRUE(child<QLabel>(&sheet, "progressLabel")->isHidden());
    EXPECT_TRUE(child<QPushButton>(&sheet, "authenticateButton")->isEnabled());
    fake.releaseAll();
    QTest::qWait(200);
    EXPECT_EQ(storedPassword(QStringLiteral("ann")), QStringLiteral("secret1"));

    knvt::test::RecordingUrlOpener opener;
    child<QPushButton>(&sheet, "forgottenPasswordButton")->click();
    EXPECT_EQ(opener.opened().value(0).path(), QStringLiteral("/forgotten_password"));
}

// A refusal may be a one-off: a password the service does not take is never kept, so that a slip typed after it
// cannot replace the right one.
TEST_F(ReauthenticationTest, TheFailureWindowKeepsAPasswordOnlyOnceTheServiceTookIt)
{
    RecordingShell shell;
    KNVTAccountsShell::setShared(&shell);
    KNVTAuthenticationFailureWindowController::showAuthenticationFailureWindow();
    EXPECT_EQ(shell.shown, 1);
    KNVTAccountsShell::setShared(nullptr);

    int syncs = 0;
    KNVTTaskStoreSyncCoordinating::setFactory(
        [&syncs](KNVTTaskStore &) { return std::make_unique<CountingCoordinator>(syncs); });
    configureAccount();
    store().resetAuthenticationFailureDate();
    store().setAutoSyncEnabled(true);
    store().setAuthenticationFailureDate(m_clock.now());
    syncs = 0;

    auto *window = new KNVTAuthenticationFailureWindowController(&store());
    window->setAuthenticationFailureWindowControllerDelegate(&shell);
    window->show();
    QPointer<QWidget> alive(window);
    EXPECT_EQ(window->windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(child<QLabel>(window, "messageLabel")->text(),
              QStringLiteral("The password supplied for the account ann is incorrect."));
    EXPECT_EQ(child<QLabel>(window, "usernameLabel")->text(), QStringLiteral("ann"));
    auto *save = child<QPushButton>(window, "saveButton");
    auto *field = child<QLineEdit>(window, "passwordSecureTextField");
    EXPECT_FALSE(save->isEnabled());

    struct Answer
    {
        const char *service;
        std::function<void()> answer;
        QString title;
        QString message;
        bool saveEnabled; // Save again without typing: only when the service never judged the password
    };
    const QString nothingStored = QStringLiteral("Nothing was stored");
    const Answer answers[] = {
        {"refuses the password", [this] { fake.on("GET", "/account.json").clear().json(401, "{}"); },
         QStringLiteral("Incorrect Password"),
         QStringLiteral("The sync service did not accept the password typed for the account ann."), false},
        {"answers without the account", [this] { fake.on("GET", "/account.json").clear().json(200, "{}"); },
         QStringLiteral("Incorrect Password"),
         QStringLiteral("The sync service did not accept the password typed for the account ann."), false},
        {"is down for maintenance", [this] { fake.on("GET", "/account.json").clear().reply(503, "down"); },
         QStringLiteral("Password Not Verified"),
         QStringLiteral("The sync service is down for maintenance, so the password could not be verified."), true},
    };
    for (const Answer &given : answers) {
        SCOPED_TRACE(given.service);
        given.answer();
        const int checks = fake.count("GET", "/account.json");
        field->clear();
        field->setText(QStringLiteral("   "));
        EXPECT_TRUE(save->isEnabled());
        field->setFocus(Qt::OtherFocusReason);
        save->click();
        EXPECT_TRUE(field->isReadOnly()) << "while the service checks it";
        EXPECT_EQ(window->focusWidget(), field) << "the keyboard waits in the field, on no other control";
        ASSERT_TRUE(waitUntil([&] { return !field->isReadOnly(); }));
        EXPECT_EQ(fake.count("GET", "/account.json"), checks + 1);
        EXPECT_EQ(window->windowTitle(), given.title);
        EXPECT_EQ(child<QLabel>(window, "messageLabel")->text(), given.message);
        EXPECT_TRUE(child<QLabel>(window, "explanationLabel")->text().startsWith(nothingStored));
        EXPECT_EQ(save->isEnabled(), given.saveEnabled);
        EXPECT_EQ(window->focusWidget(), field) << "typed again";
        EXPECT_EQ(storedPassword(QStringLiteral("ann")), QStringLiteral("secret1")) << "the keyring as it was";
        EXPECT_FALSE(store().isAuthenticated());
        EXPECT_TRUE(shell.messages.isEmpty());
        EXPECT_EQ(syncs, 0);
    }

    fake.on("GET", "/account.json").clear().json(200, accountReply());
    field->setText(QStringLiteral("newpass2"));
    save->click();
    ASSERT_TRUE(waitUntil([&] { return !shell.messages.isEmpty(); }));
    EXPECT_EQ(shell.messages, QStringList{"save"});
    EXPECT_EQ(storedPassword(QStringLiteral("ann")), QStringLiteral("newpass2"));
    EXPECT_TRUE(store().isAuthenticated());
    EXPECT_EQ(syncs, 1) << "syncing resumes";
    const auto check = *fake.lastRequest("GET", "/account.json");
    EXPECT_EQ(check.header("Authorization"), QByteArray("Basic ") + QByteArray("ann:newpass2").toBase64());
    EXPECT_FALSE(check.hasHeader("X-Application-Identifier"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(alive.isNull()) << "released by its owner once it had finished";
}

TEST_F(ReauthenticationTest, CancellingTheFailureWindowStopsSyncingAndKeepsTheFailure)
{
    RecordingShell shell;
    // Syncing was on when the password was refused.
    store().resetAuthenticationFailureDate();
    store().setAutoSyncEnabled(true);
    store().setAuthenticationFailureDate(m_clock.now());
    auto *window = new KNVTAuthenticationFailureWindowController(&store());
    window->setAuthenticationFailureWindowControllerDelegate(&shell);
    window->show();
    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_EQ(shell.messages, QStringList{"cancel"});
    EXPECT_FALSE(store().isAutoSyncEnabled());
    EXPECT_TRUE(store().isSyncPausedForPassword());
    EXPECT_FALSE(store().isAuthenticated());
    EXPECT_EQ(storedPassword(QStringLiteral("ann")), QStringLiteral("secret1"));
}

TEST_F(ReauthenticationTest, WhenTheKeyringRefusesTheFailureWindowSaysSoAndTheSyncCarriesThePasswordAnyway)
{
    RecordingShell shell;
    auto *window = showWindowWithTheKeyringLocked(shell);
    child<QLineEdit>(window, "passwordSecureTextField")->setText(QStringLiteral("newpass2"));
    auto *save = child<QPushButton>(window, "saveButton");
    save->click();
    auto *message = child<QLabel>(window, "messageLabel");
    ASSERT_TRUE(waitUntil([&] { return save->text() == QStringLiteral("OK"); }));

    EXPECT_TRUE(shell.messages.isEmpty()) << "the window stays to say why";
    EXPECT_EQ(message->text(),
              QStringLiteral("The password could not be stored in the keyring: the keyring is locked."));
    EXPECT_TRUE(child<QPushButton>(window, "cancelButton")->isHidden());
    EXPECT_TRUE(store().isAuthenticated());
    // The check, then the sync it resumed, carry the password the service took.
    ASSERT_TRUE(waitUntil([this] { return fake.count("GET", "/account.json") >= 2 && !store().isSyncing(); }));
    for (const auto &request : fake.requests("GET", "/account.json"))
        EXPECT_EQ(request.header("Authorization"), QByteArray("Basic ") + QByteArray("ann:newpass2").toBase64());

    // Closing the window now ends the save; it stops nothing.
    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_EQ(shell.messages, QStringList{"save"});
    EXPECT_TRUE(store().isAutoSyncEnabled());
    store().setAutoSyncEnabled(false);
}

TEST_F(ReauthenticationTest, APasswordTheServiceRefusesIsKeptNowhereNotEvenForTheRunWhileTheKeyringIsLocked)
{
    RecordingShell shell;
    auto *window = showWindowWithTheKeyringLocked(shell);
    fake.on("GET", "/account.json").clear().json(401, "{}");
    auto *field = child<QLineEdit>(window, "passwordSecureTextField");
    field->setText(QStringLiteral("wrongpass"));
    child<QPushButton>(window, "saveButton")->click();
    ASSERT_TRUE(waitUntil([field] { return !field->isReadOnly(); }));
    EXPECT_EQ(child<QLabel>(window, "messageLabel")->text(),
              QStringLiteral("The sync service did not accept the password typed for the account ann."));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Incorrect Password")) << "the title says what the message says";
    EXPECT_FALSE(child<QPushButton>(window, "cancelButton")->isHidden());
    EXPECT_FALSE(store().HTTPHeaderFields().contains(QStringLiteral("Authorization")));
    EXPECT_FALSE(store().accountPasswordKeychainError()) << "nothing was offered to the keyring";
    EXPECT_FALSE(store().isAuthenticated());
    EXPECT_EQ(fake.count("GET", "/account.json"), 1) << "no sync sent it";
    EXPECT_TRUE(shell.messages.isEmpty());
    KNVTKeychainItem::unlockKeychain();
    store().setAutoSyncEnabled(false);
    delete window;
}

TEST_F(ReauthenticationTest, TheFailureWindowSaysWhyItAsksForThePasswordAndWhyItCouldNotKeepIt)
{
    struct Case
    {
        const char *keyring;
        std::function<void()> given;
        QString title;
        QString message;
        QString explanation;
        QString notKept; // after Save; empty when the password was kept and the window ended
    };
    const QString keptUntilQuit = QStringLiteral("Type your password; it will be kept until you quit.");
    const std::shared_ptr<knvt::KeychainBackend> inMemory = knvt::KeychainBackend::shared();
    fake.on("GET", "/account.json").json(200, accountReply());
    const Case cases[] = {
        {"holds the password the service refused",
         [] {},
         QStringLiteral("Incorrect Password"),
         QStringLiteral("The password supplied for the account ann is incorrect."),
         QStringLiteral("Type the password of your account again to carry on syncing, or cancel to stop syncing."),
         {}},
        {"holds none",
         [] {
             KNVTGenericKeychainItem::genericKeychainItemForService(QStringLiteral("Hollowpine"), QStringLiteral("ann"),
                                                                    {})
                 ->removeFromKeychain();
         },
         QStringLiteral("Password Needed"),
         QStringLiteral("No password is stored for the account ann."),
         QStringLiteral("Type the password of your account to carry on syncing, or cancel to stop syncing."),
         {}},
        {"is locked", [] { KNVTKeychainItem::lockKeychain(); }, QStringLiteral("Keyring Locked"),
         QStringLiteral("The keyring is locked, so the password of the account ann could not be read."),
         QStringLiteral("Unlock the keyring, or type your password; it will be kept until you quit."),
         QStringLiteral("The password could not be stored in the keyring: the keyring is locked.")},
        {"refuses", [] { knvt::KeychainBackend::setShared(std::make_shared<knvt::test::RefusingKeychain>()); },
         QStringLiteral("Password Needed"),
         QStringLiteral("No password is stored for the account ann: the keyring refused access."), keptUntilQuit,
         QStringLiteral("The password could not be stored in the keyring: the keyring refused access.")},
    };
    for (const Case &given : cases) {
        SCOPED_TRACE(given.keyring);
        ASSERT_FALSE(store().setAccountPassword(QStringLiteral("ann"), QStringLiteral("secret1")));
        given.given();
        RecordingShell shell;
        auto *window = new KNVTAuthenticationFailureWindowController(&store());
        window->setAuthenticationFailureWindowControllerDelegate(&shell);
        window->show();
        auto *message = child<QLabel>(window, "messageLabel");
        EXPECT_EQ(window->windowTitle(), given.title) << "the title follows the message";
        EXPECT_EQ(message->text(), given.message);
        EXPECT_EQ(child<QLabel>(window, "explanationLabel")->text(), given.explanation);

        child<QLineEdit>(window, "passwordSecureTextField")->setText(QStringLiteral("newpass2"));
        child<QPushButton>(window, "saveButton")->click();
        ASSERT_TRUE(waitUntil([&] { return !shell.messages.isEmpty() || message->text() == given.notKept; }));
        if (given.notKept.isEmpty()) {
            EXPECT_EQ(shell.messages, QStringList{"save"});
            EXPECT_EQ(storedPassword(QStringLiteral("ann")), QStringLiteral("newpass2"));
        } else {
            EXPECT_EQ(message->text(), given.notKept);
            EXPECT_EQ(window->windowTitle(), QStringLiteral("Password Not Kept"));
            EXPECT_EQ(window->focusWidget(), message) << "the keyboard waits on the sentence";
            EXPECT_EQ(store().HTTPHeaderFields().value(QStringLiteral("Authorization")),
                      QStringLiteral("Basic ") + QString::fromLatin1(QByteArray("ann:newpass2").toBase64()));
            delete window;
        }
        KNVTKeychainItem::unlockKeychain();
        knvt::KeychainBackend::setShared(inMemory);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}
