#include "accounts/KNVTAccountAuthenticationWindowController.h"

#include "accounts/AccountService.h"
#include "accounts/FormWidgets.h"
#include "accounts/TaskStoreReference.h"

#include "uikit/KNVTProgressIndicator.h"
#include "uikit/PasswordField.h"
#include "uikit/UrlOpener.h"
#include "uikit/ViewAdditions.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

KNVTAccountAuthenticationWindowController::KNVTAccountAuthenticationWindowController(KNVTTaskStore *store,
                                                                                     QWidget *parent)
    : QDialog(parent),
      m_store(store),
      m_check(
          new KNVTAccountCheck(this, false, [this](const KNVTAccountCheck::Result &result) { checkDidFinish(result); }))
{
    knvt::frameAsSheet(this);
    setObjectName(QStringLiteral("KNVTAccountAuthenticationWindowController"));
    setWindowTitle(tr("Sign In"));
    setWindowModality(Qt::WindowModal);

    auto *heading = new QLabel(tr("The sync service did not accept the password of your account. Type it again to "
                                  "carry on syncing."));
    heading->setWordWrap(true);
    m_usernameTextField = new QLineEdit;
    m_usernameTextField->setObjectName(QStringLiteral("usernameTextField"));
    m_usernameTextField->setReadOnly(true);
    m_passwordSecureTextField = new knvt::PasswordField;
    m_passwordSecureTextField->setObjectName(QStringLiteral("passwordSecureTextField"));
    m_progressIndicator = knvt::makeProgressIndicator();
    m_progressLabel = knvt::makeProgressLabel();
    m_authenticateButton = knvt::makeButton(tr("Sign In"), "authenticateButton", true);
    m_forgottenPasswordButton = knvt::makeButton(tr("Forgotten Password?"), "forgottenPasswordButton");
    m_cancelButton = knvt::makeButton(tr("Cancel"), "cancelButton");

    auto *fields = new QFormLayout;
    fields->addRow(tr("Username:"), m_usernameTextField);
    fields->addRow(tr("Password:"), m_passwordSecureTextField);
    QHBoxLayout *progress = knvt::makeProgressRow(m_progressIndicator, m_progressLabel);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_forgottenPasswordButton);
    buttons->addStretch(1);
    buttons->addWidget(m_cancelButton);
    buttons->addWidget(m_authenticateButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addLayout(fields);
    layout->addLayout(progress);
    layout->addLayout(buttons);
    setMinimumWidth(420);

    m_usernameTextField->setText(knvt::taskStore(m_store).username());
    m_authenticateButton->setEnabled(false);

    connect(m_passwordSecureTextField, &QLineEdit::textChanged, this,
            &KNVTAccountAuthenticationWindowController::controlTextDidChange);
    connect(m_authenticateButton, &QPushButton::clicked, this,
            &KNVTAccountAuthenticationWindowController::authenticate);
    connect(m_forgottenPasswordButton, &QPushButton::clicked, this,
            &KNVTAccountAuthenticationWindowController::forgottenPassword);
    connect(m_cancelButton, &QPushButton::clicked, this, &KNVTAccountAuthenticationWindowController::cancel);
    knvt::setTabOrder({m_usernameTextField, m_passwordSecureTextField, m_forgottenPasswordButton, m_cancelButton,
                       m_authenticateButton});
    // The username is there to be read, not typed: the sheet opens on the password.
    m_passwordSecureTextField->setFocus(Qt::OtherFocusReason);
}

KNVTAccountAuthenticationWindowController::~KNVTAccountAuthenticationWindowController() = default;

bool KNVTAccountAuthenticationWindowController::isRunning() const
{
    return m_check->isRunning();
}

void KNVTAccountAuthenticationWindowController::controlTextDidChange()
{
    m_authenticateButton->setEnabled(!m_passwordSecureTextField->text().isEmpty());
}

void KNVTAccountAuthenticationWindowController::setInputsEnabled(bool enabled)
{
    m_usernameTextField->setEnabled(enabled);
    // The password keeps the keyboard while the check runs, only read (holdKeyboardInPassword).
    m_passwordSecureTextField->setReadOnly(!enabled);
    m_forgottenPasswordButton->setEnabled(enabled);
}

void KNVTAccountAuthenticationWindowController::authenticate()
{
    if (m_check->isRunning() || !m_authenticateButton->isEnabled())
        return;
    if (const QString refused = knvt::refusedServiceAddressMessage(); !refused.isEmpty()) {
        knvt::stopProgress(m_progressIndicator, m_progressLabel, refused);
        return;
    }
    knvt::startProgress(m_progressIndicator, m_progressLabel, tr("Verifying username and password..."));
    knvt::holdKeyboardInPassword(m_passwordSecureTextField, m_progressLabel);
    setInputsEnabled(false);
    m_authenticateButton->setEnabled(false);
    m_check->start(m_usernameTextField->text(), m_passwordSecureTextField->text());
}

void KNVTAccountAuthenticationWindowController::checkDidFinish(const KNVTAccountCheck::Result &result)
{
    if (result.outcome == KNVTAccountCheck::Outcome::ConnectionFailed) {
        knvt::stopProgress(m_progressIndicator, m_progressLabel,
                           tr("Unable to verify username and password as the connection failed."));
        setInputsEnabled(true);
        m_authenticateButton->setEnabled(true);
        knvt::returnToPassword(m_passwordSecureTextField, m_progressLabel);
        return;
    }
    if (result.outcome != KNVTAccountCheck::Outcome::Accepted) {
        // Maintenance and an accepted answer without the account too: nothing was verified.
        knvt::stopProgress(m_progressIndicator, m_progressLabel, tr("Unable to verify username and password."));
        setInputsEnabled(true);
        m_authenticateButton->setEnabled(false);
        knvt::returnToPassword(m_passwordSecureTextField, m_progressLabel);
        return;
    }
    // A password the keyring refuses is kept for this run; the Account pane says so.
    KNVTTaskStore &store = knvt::taskStore(m_store);
    store.setAccountPassword(result.username, result.password);
    // Syncing goes on now, not at the next timer, as it was before the refusal.
    store.resumeSyncAfterSigningInAgain();
    if (KNVTAccountAuthenticationWindowControllerDelegate *delegate = m_delegate.get())
        delegate->accountAuthenticationWindowControllerDidAuthenticate(this);
}

void KNVTAccountAuthenticationWindowController::forgottenPassword()
{
    knvt::UrlOpener::shared().openUrl(KNVTTaskStore::forgottenPasswordURL());
}

void KNVTAccountAuthenticationWindowController::cancel()
{
    if (m_check->isRunning()) {
        m_check->cancel();
        knvt::stopProgress(m_progressIndicator, m_progressLabel, QString());
        setInputsEnabled(true);
        m_authenticateButton->setEnabled(true);
        knvt::returnToPassword(m_passwordSecureTextField, m_progressLabel);
        return;
    }
    dismiss();
}

void KNVTAccountAuthenticationWindowController::dismiss()
{
    m_check->cancel();
    QDialog::reject();
}

void KNVTAccountAuthenticationWindowController::reject()
{
    // Escape and the window's close button work as Cancel.
    cancel();
}
