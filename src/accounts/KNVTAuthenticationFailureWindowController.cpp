#include "accounts/KNVTAuthenticationFailureWindowController.h"

#include "uikit/PasswordField.h"

#include "accounts/AccountService.h"
#include "accounts/FormWidgets.h"
#include "accounts/KNVTAccountsShell.h"
#include "accounts/TaskStoreReference.h"

#include "foundation/KeychainBackend.h"
#include "foundation/NotificationCenter.h"

#include "store/KNVTTaskStore.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

KNVTAuthenticationFailureWindowController::KNVTAuthenticationFailureWindowController(KNVTTaskStore *store,
                                                                                     QWidget *parent)
    : QDialog(parent),
      m_store(store),
      m_check(
          new KNVTAccountCheck(this, false, [this](const KNVTAccountCheck::Result &result) { checkDidFinish(result); }))
{
    setObjectName(QStringLiteral("KNVTAuthenticationFailureWindowController"));
    setWindowModality(Qt::ApplicationModal);

    m_messageLabel = new QLabel;
    m_messageLabel->setObjectName(QStringLiteral("messageLabel"));
    m_messageLabel->setTextFormat(Qt::PlainText);
    m_messageLabel->setWordWrap(true);
    QFont bold = m_messageLabel->font();
    bold.setBold(true);
    m_messageLabel->setFont(bold);
    m_explanationLabel = new QLabel;
    m_explanationLabel->setObjectName(QStringLiteral("explanationLabel"));
    m_explanationLabel->setWordWrap(true);
    m_usernameLabel = new QLabel;
    m_usernameLabel->setObjectName(QStringLiteral("usernameLabel"));
    m_usernameLabel->setTextFormat(Qt::PlainText);
    m_passwordSecureTextField = new knvt::PasswordField;
    m_passwordSecureTextField->setObjectName(QStringLiteral("passwordSecureTextField"));
    m_saveButton = knvt::makeButton(tr("Save"), "saveButton", true);
    m_cancelButton = knvt::makeButton(tr("Cancel"), "cancelButton");

    m_fieldsLayout = new QFormLayout;
    m_fieldsLayout->addRow(tr("Username:"), m_usernameLabel);
    m_fieldsLayout->addRow(tr("Password:"), m_passwordSecureTextField);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cancelButton);
    buttons->addWidget(m_saveButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_messageLabel);
    layout->addWidget(m_explanationLabel);
    layout->addLayout(m_fieldsLayout);
    layout->addLayout(buttons);
    setMinimumWidth(420);

    m_saveButton->setEnabled(false);
    KNVTTaskStore &taskStore = knvt::taskStore(m_store);
    m_username = taskStore.username();
    m_refusalSeen = !taskStore.isAuthenticated();
    m_syncOn = taskStore.isAutoSyncEnabled();
    showWhyThePasswordIsAskedFor(m_username, taskStore.accountPasswordLookupError());
    m_usernameLabel->setText(m_username);

    connect(m_passwordSecureTextField, &QLineEdit::textChanged, this,
            &KNVTAuthenticationFailureWindowController::controlTextDidChange);
    connect(m_saveButton, &QPushButton::clicked, this, &KNVTAuthenticationFailureWindowController::save);
    connect(m_cancelButton, &QPushButton::clicked, this, &KNVTAuthenticationFailureWindowController::cancel);
    knvt::setTabOrder({m_passwordSecureTextField, m_cancelButton, m_saveButton});
    // The refusal and its end are sync settings; a sign-in or sign-out changes the account itself.
    for (const char *name :
         {KNVTTaskStoreSyncSettingsDidChangeNotification, KNVTTaskStoreDidConfigureAccountNotification,
          KNVTTaskStoreDidUnconfigureAccountNotification})
        knvt::NotificationCenter::defaultCenter().addObserver(
            QString::fromLatin1(name), nullptr, this,
            [this](const knvt::Notification &) { closeIfAnsweredElsewhere(); });
}

KNVTAuthenticationFailureWindowController::~KNVTAuthenticationFailureWindowController()
{
    knvt::NotificationCenter::defaultCenter().removeObservers(this);
}

void KNVTAuthenticationFailureWindowController::showWhyThePasswordIsAskedFor(const QString &username,
                                                                             const knvt::Error &lookupError)
{
    // "Incorrect" only when the service refused a password it was given; without one the keyring is the cause.
    // The title names the cause as the message does: a reader hears the title first.
    QString title;
    QString message;
    QString explanation;
    const knvt::OSStatus status = lookupError ? knvt::OSStatus(lookupError.code()) : knvt::errSecSuccess;
    switch (status) {
    case knvt::errSecSuccess:
        title = tr("Incorrect Password");
        message = tr("The password supplied for the account %1 is incorrect.").arg(username);
        explanation = tr("Type the password of your account again to carry on syncing, or cancel to stop syncing.");
        break;
    case knvt::errSecItemNotFound:
        title = tr("Password Needed");
        message = tr("No password is stored for the account %1.").arg(username);
        explanation = tr("Type the password of your account to carry on syncing, or cancel to stop syncing.");
        break;
    case knvt::errSecInteractionNotAllowed:
        title = tr("Keyring Locked");
        message = tr("The keyring is locked, so the password of the account %1 could not be read.").arg(username);
        explanation = tr("Unlock the keyring, or type your password; it will be kept until you quit.");
        break;
    default:
        title = tr("Password Needed");
        message = tr("No password is stored for the account %1: %2.")
                      .arg(username, knvt::KeychainBackend::statusDescription(status));
        explanation = tr("Type your password; it will be kept until you quit.");
        break;
    }
    say(title, message, explanation);
}

void KNVTAuthenticationFailureWindowController::say(const QString &title, const QString &message,
                                                    const QString &explanation)
{
    setWindowTitle(title);
    m_messageLabel->setText(message);
    m_explanationLabel->setText(explanation);
}

void KNVTAuthenticationFailureWindowController::showAuthenticationFailureWindow()
{
    if (KNVTAccountsShell *shell = KNVTAccountsShell::shared())
        shell->showAuthenticationFailureWindow();
}

void KNVTAuthenticationFailureWindowController::controlTextDidChange()
{
    m_saveButton->setEnabled(!m_passwordSecureTextField->text().isEmpty());
}

void KNVTAuthenticationFailureWindowController::save()
{
    if (m_keyringNoticeShown) {
        finishSave();
        return;
    }
    if (m_ending || m_check->isRunning() || m_passwordSecureTextField->text().isEmpty())
        return;
    if (const QString refused = knvt::refusedServiceAddressMessage(); !refused.isEmpty()) {
        m_explanationLabel->setText(refused);
        knvt::announceMessage(m_explanationLabel);
        return;
    }
    // The window stays while the service checks the password: refused, it asks again here, rather than closing onto
    // the window under it and opening again. The field keeps the keyboard meanwhile, read-only.
    m_explanationLabel->setText(tr("Verifying the password..."));
    knvt::holdKeyboardInPassword(m_passwordSecureTextField, m_explanationLabel);
    m_saveButton->setEnabled(false);
    m_check->start(knvt::taskStore(m_store).username(), m_passwordSecureTextField->text());
}

void KNVTAuthenticationFailureWindowController::checkDidFinish(const KNVTAccountCheck::Result &result)
{
    if (m_ending)
        return;
    m_passwordSecureTextField->setReadOnly(false);
    switch (result.outcome) {
    case KNVTAccountCheck::Outcome::Accepted: break;
    case KNVTAccountCheck::Outcome::Refused:
        // Nothing is kept: the keyring holds what it held, which may be the right password after a one-off refusal.
        say(tr("Incorrect Password"),
            tr("The sync service did not accept the password typed for the account %1.").arg(result.username),
            tr("Nothing was stored: the keyring keeps what it held. Type the password again to carry on syncing, or "
               "cancel to stop syncing."));
        m_saveButton->setEnabled(false);
        knvt::returnToPassword(m_passwordSecureTextField, m_messageLabel);
        return;
    case KNVTAccountCheck::Outcome::Maintenance:
    case KNVTAccountCheck::Outcome::ConnectionFailed:
        say(tr("Password Not Verified"),
            result.outcome == KNVTAccountCheck::Outcome::Maintenance
                ? tr("The sync service is down for maintenance, so the password could not be verified.")
                : tr("The password could not be verified as the connection failed."),
            tr("Nothing was stored. Save to try again, or cancel to stop syncing."));
        m_saveButton->setEnabled(true);
        knvt::returnToPassword(m_passwordSecureTextField, m_messageLabel);
        return;
    }
    m_passwordTaken = true;
    m_passwordSecureTextField->clear();
    KNVTTaskStore &store = knvt::taskStore(m_store);
    const knvt::Error keychainError = store.setAccountPassword(result.username, result.password);
    // Syncing goes on now, as Sign In Again resumes it.
    store.resumeSyncAfterSigningInAgain();
    if (!keychainError) {
        finishSave();
        return;
    }
    m_keyringNoticeShown = true;
    say(tr("Password Not Kept"), knvt::passwordNotStoredMessage(keychainError), tr("It will be kept until you quit."));
    // Before the field goes, so that the keyboard is not left to fall on a button and the sentence is read.
    knvt::focusMessage(m_messageLabel);
    m_passwordSecureTextField->setEnabled(false);
    m_fieldsLayout->setRowVisible(m_passwordSecureTextField, false);
    m_cancelButton->hide();
    m_saveButton->setText(tr("OK"));
    m_saveButton->setEnabled(true);
}

void KNVTAuthenticationFailureWindowController::closeIfAnsweredElsewhere()
{
    KNVTTaskStore &store = knvt::taskStore(m_store);
    // Switched off (the Account pane's switch): no sync waits for the password, and none is paused. Switched on again
    // while the password is refused, the switch asks for it itself.
    const bool switchedOff = std::exchange(m_syncOn, store.isAutoSyncEnabled()) && !m_syncOn;
    if (switchedOff && !m_ending && !m_passwordTaken) {
        putAway();
        return;
    }
    const bool refused = !store.isAuthenticated() && store.username() == m_username;
    m_refusalSeen = m_refusalSeen || refused;
    if (m_ending || m_passwordTaken || refused || !m_refusalSeen)
        return;
    m_check->cancel();
    finishSave();
}

void KNVTAuthenticationFailureWindowController::finishSave()
{
    m_ending = true;
    if (KNVTAuthenticationFailureWindowControllerDelegate *delegate = m_delegate.get())
        delegate->authenticationFailureWindowControllerDidSave(this);
    else
        QDialog::accept();
}

void KNVTAuthenticationFailureWindowController::cancel()
{
    if (m_ending)
        return;
    if (m_keyringNoticeShown) {
        finishSave();
        return;
    }
    m_ending = true;
    m_check->cancel();
    // A password taken meanwhile has nothing left to pause.
    if (KNVTTaskStore &store = knvt::taskStore(m_store); !store.isAuthenticated())
        store.pauseSyncUntilSignedInAgain();
    if (KNVTAuthenticationFailureWindowControllerDelegate *delegate = m_delegate.get())
        delegate->authenticationFailureWindowControllerDidCancel(this);
    else
        QDialog::reject();
}

void KNVTAuthenticationFailureWindowController::putAway()
{
    m_ending = true;
    m_check->cancel();
    if (KNVTAuthenticationFailureWindowControllerDelegate *delegate = m_delegate.get())
        delegate->authenticationFailureWindowControllerDidCancel(this);
    else
        QDialog::reject();
}

void KNVTAuthenticationFailureWindowController::reject()
{
    // The owner closing the window ends it; Escape and the window's close button are a Cancel, or, once the password
    // was saved, the end of that save.
    if (m_ending)
        QDialog::reject();
    else if (m_keyringNoticeShown)
        finishSave();
    else
        cancel();
}
