#include "accounts/KNVTAuthenticationFailureWindowController.h"

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

KNVTAuthenticationFailureWindowController::KNVTAuthenticationFailureWindowController(KNVTTaskStore *store,
                                                                                     QWidget *parent)
    : QDialog(parent), m_store(store)
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
    m_passwordSecureTextField = new QLineEdit;
    m_passwordSecureTextField->setObjectName(QStringLiteral("passwordSecureTextField"));
    m_passwordSecureTextField->setEchoMode(QLineEdit::Password);
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
    const QString username = taskStore.username();
    showWhyThePasswordIsAskedFor(username, taskStore.accountPasswordLookupError());
    m_usernameLabel->setText(username);

    connect(m_passwordSecureTextField, &QLineEdit::textChanged, this,
            &KNVTAuthenticationFailureWindowController::controlTextDidChange);
    connect(m_saveButton, &QPushButton::clicked, this, &KNVTAuthenticationFailureWindowController::save);
    connect(m_cancelButton, &QPushButton::clicked, this, &KNVTAuthenticationFailureWindowController::cancel);
    knvt::setTabOrder({m_passwordSecureTextField, m_cancelButton, m_saveButton});
    knvt::NotificationCenter::defaultCenter().addObserver(
        QString::fromLatin1(KNVTTaskStoreDidFinishSyncingNotification), nullptr, this,
        [this](const knvt::Notification &) {
            passwordTried(true);
            syncDidFinish();
        });
    // A refusal of the password saved marks the account as not authenticated, while the sync waits.
    knvt::NotificationCenter::defaultCenter().addObserver(
        QString::fromLatin1(KNVTTaskStoreSyncSettingsDidChangeNotification), nullptr, this,
        [this](const knvt::Notification &) { passwordTried(false); });
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
    if (m_ending || m_passwordSecureTextField->text().isEmpty())
        return;
    KNVTTaskStore &store = knvt::taskStore(m_store);
    const knvt::Error keychainError = store.setAccountPassword(store.username(), m_passwordSecureTextField->text());
    m_passwordSecureTextField->clear();
    if (keychainError) {
        m_keyringNoticeShown = true;
        setWindowTitle(tr("Password Not Kept"));
        m_messageLabel->setText(knvt::passwordNotStoredMessage(keychainError));
        m_explanationLabel->setText(tr("It will be kept until you quit."));
        // Before the field goes, so that the keyboard is not left to fall on a button and the sentence is read.
        knvt::focusMessage(m_messageLabel);
        m_passwordSecureTextField->setEnabled(false);
        m_fieldsLayout->setRowVisible(m_passwordSecureTextField, false);
        m_cancelButton->hide();
        m_saveButton->setText(tr("OK"));
        m_saveButton->setEnabled(true);
        store.resetAuthenticationFailureDate();
        store.sync();
        return;
    }
    // The window stays while the sync tries the password: refused, it asks again here, with the keyboard back on the
    // field, rather than closing onto the window under it and opening again. The keyboard waits on the message
    // meanwhile, so that it does not fall to Cancel.
    knvt::holdFocusOnMessage(m_messageLabel);
    m_passwordSecureTextField->setEnabled(false);
    m_saveButton->setEnabled(false);
    store.resetAuthenticationFailureDate();
    QPointer<KNVTAuthenticationFailureWindowController> window(this);
    m_tryingPassword = store.syncWithCompletionHandler([window](const knvt::Error &) {
        if (window)
            window->passwordTried(true);
    });
    if (!m_tryingPassword)
        finishSave();
}

void KNVTAuthenticationFailureWindowController::passwordTried(bool syncEnded)
{
    if (!m_tryingPassword || m_ending)
        return;
    if (!knvt::taskStore(m_store).isAuthenticated()) {
        // Refused: the sync waits for another password, which this window asks for.
        m_tryingPassword = false;
        m_passwordSecureTextField->setEnabled(true);
        knvt::returnToPassword(m_passwordSecureTextField, m_messageLabel);
        return;
    }
    if (syncEnded) {
        m_tryingPassword = false;
        finishSave();
    }
}

void KNVTAuthenticationFailureWindowController::syncDidFinish()
{
    KNVTTaskStore &store = knvt::taskStore(m_store);
    if (!m_keyringNoticeShown || m_ending || store.isAuthenticated())
        return;
    // The service refused the password the keyring could not keep. The application opens one such window at a time,
    // so this one says it, or the user would read only of the keyring and syncing would stop without a word.
    m_keyringNoticeShown = false;
    setWindowTitle(tr("Incorrect Password"));
    m_messageLabel->setText(tr("The password supplied for the account %1 is incorrect.").arg(store.username()));
    m_explanationLabel->setText(
        tr("Type the password of your account again to carry on syncing, or cancel to stop syncing; without the "
           "keyring it will be kept until you quit."));
    m_passwordSecureTextField->setEnabled(true);
    m_fieldsLayout->setRowVisible(m_passwordSecureTextField, true);
    m_cancelButton->show();
    m_saveButton->setText(tr("Save"));
    m_saveButton->setEnabled(false);
    m_passwordSecureTextField->setFocus(Qt::OtherFocusReason);
    knvt::announceMessage(m_messageLabel);
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
    knvt::taskStore(m_store).pauseSyncUntilSignedInAgain();
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
