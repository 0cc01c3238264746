#include "accounts/KNVTSignInViewController.h"

#include "accounts/AccountService.h"
#include "accounts/FormWidgets.h"
#include "accounts/TaskStoreReference.h"

#include "foundation/StringAdditions.h"
#include "uikit/KNVTProgressIndicator.h"
#include "uikit/PasswordField.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

KNVTSignInViewController::KNVTSignInViewController(Style style, KNVTTaskStore *store, QObject *parent)
    : KNVTViewController(parent),
      m_style(style),
      m_store(store),
      m_check(
          new KNVTAccountCheck(this, true, [this](const KNVTAccountCheck::Result &result) { checkDidFinish(result); }))
{}

KNVTSignInViewController::~KNVTSignInViewController() = default;

QLineEdit *KNVTSignInViewController::usernameTextField()
{
    view();
    return m_usernameTextField;
}

QLineEdit *KNVTSignInViewController::passwordSecureTextField()
{
    view();
    return m_passwordSecureTextField;
}

bool KNVTSignInViewController::isRunning() const
{
    return m_check->isRunning();
}

void KNVTSignInViewController::loadView()
{
    auto *view = new QWidget;
    view->setObjectName(QStringLiteral("KNVTSignInViewController"));
    view->setAccessibleName(tr("Sign In"));

    m_usernameTextField = new QLineEdit;
    m_usernameTextField->setObjectName(QStringLiteral("usernameTextField"));
    m_passwordSecureTextField = new knvt::PasswordField;
    m_passwordSecureTextField->setObjectName(QStringLiteral("passwordSecureTextField"));
    m_progressIndicator = knvt::makeProgressIndicator();
    m_progressLabel = knvt::makeProgressLabel();
    m_signInButton = knvt::makeButton(tr("Sign In"), "signInButton");
    m_signInButton->setEnabled(false);

    auto *fields = new QFormLayout;
    fields->addRow(tr("Username:"), m_usernameTextField);
    fields->addRow(tr("Password:"), m_passwordSecureTextField);

    QHBoxLayout *progress = knvt::makeProgressRow(m_progressIndicator, m_progressLabel);

    auto *buttons = new QHBoxLayout;
    if (m_style == Style::Window) {
        m_createAccountButton = knvt::makeButton(tr("Create Account"), "createAccountButton");
        m_forgottenPasswordButton = knvt::makeButton(tr("Forgotten Password?"), "forgottenPasswordButton");
        m_cancelButton = knvt::makeButton(tr("Cancel"), "cancelButton");
        buttons->addWidget(m_createAccountButton);
        buttons->addWidget(m_forgottenPasswordButton);
        buttons->addStretch(1);
        buttons->addWidget(m_cancelButton);
        connect(m_createAccountButton, &QPushButton::clicked, this, &KNVTSignInViewController::createAccount);
        connect(m_forgottenPasswordButton, &QPushButton::clicked, this, &KNVTSignInViewController::forgottenPassword);
        connect(m_cancelButton, &QPushButton::clicked, this, &KNVTSignInViewController::cancel);
    } else {
        buttons->addStretch(1);
    }
    buttons->addWidget(m_signInButton);

    auto *layout = new QVBoxLayout(view);
    if (m_style == Style::Window) {
        auto *heading = new QLabel(tr("Sign in to sync your tasks between your devices and share them with friends."));
        heading->setWordWrap(true);
        layout->addWidget(heading);
    }
    layout->addLayout(fields);
    layout->addLayout(progress);
    layout->addStretch(1);
    layout->addLayout(buttons);

    connect(m_usernameTextField, &QLineEdit::textChanged, this, &KNVTSignInViewController::controlTextDidChange);
    connect(m_passwordSecureTextField, &QLineEdit::textChanged, this, &KNVTSignInViewController::controlTextDidChange);
    connect(m_signInButton, &QPushButton::clicked, this, &KNVTSignInViewController::signIn);
    knvt::setTabOrder({m_usernameTextField, m_passwordSecureTextField, m_createAccountButton, m_forgottenPasswordButton,
                       m_cancelButton, m_signInButton});
    m_escapeShortcut = knvt::cancelOnEscape(view, this, &KNVTSignInViewController::cancel);
    // Return in either field signs in whenever the button could be clicked.
    for (QLineEdit *field : {m_usernameTextField.data(), m_passwordSecureTextField.data()}) {
        connect(field, &QLineEdit::returnPressed, this, [this] {
            if (m_signInButton->isEnabled())
                signIn();
        });
    }
    setView(view);
    setInputsEnabled(true);
}

void KNVTSignInViewController::controlTextDidChange()
{
    m_signInButton->setEnabled(!m_usernameTextField->text().isEmpty() && !m_passwordSecureTextField->text().isEmpty());
}

void KNVTSignInViewController::setInputsEnabled(bool enabled)
{
    m_usernameTextField->setEnabled(enabled);
    // The password keeps the keyboard while the check runs, only read (holdKeyboardInPassword).
    m_passwordSecureTextField->setReadOnly(!enabled);
    if (m_createAccountButton)
        m_createAccountButton->setEnabled(enabled);
    if (m_forgottenPasswordButton)
        m_forgottenPasswordButton->setEnabled(enabled);
    // In a pane Escape stops a running check and otherwise belongs to the window around the pane, which closes.
    if (m_style == Style::Pane)
        m_escapeShortcut->setEnabled(!enabled);
}

void KNVTSignInViewController::signIn()
{
    view();
    if (m_check->isRunning())
        return;
    // The credentials go to the service named by the user or not at all.
    if (const QString refused = knvt::refusedServiceAddressMessage(); !refused.isEmpty()) {
        knvt::stopProgress(m_progressIndicator, m_progressLabel, refused);
        knvt::announceMessage(m_progressLabel);
        return;
    }
    knvt::startProgress(m_progressIndicator, m_progressLabel, tr("Verifying username and password..."));
    knvt::holdKeyboardInPassword(m_passwordSecureTextField, m_progressLabel);
    setInputsEnabled(false);
    m_signInButton->setEnabled(false);
    // A user name is never spaced; spaces around it come from a paste. The password is sent exactly as typed.
    m_check->start(knvt::trimmedString(m_usernameTextField->text()), m_passwordSecureTextField->text());
}

void KNVTSignInViewController::checkDidFinish(const KNVTAccountCheck::Result &result)
{
    switch (result.outcome) {
    case KNVTAccountCheck::Outcome::ConnectionFailed:
        returnToPassword(tr("Unable to verify username and password as the connection failed."), true);
        return;
    case KNVTAccountCheck::Outcome::Maintenance:
        returnToPassword(tr("We are unable to verify your username and password at the moment, as the service is "
                            "currently down for maintenance. Please try again in a few minutes."),
                         false);
        return;
    case KNVTAccountCheck::Outcome::Refused:
        // Also an accepted answer without an account the store can be configured with: nothing to sign in with.
        returnToPassword(tr("Unable to verify your username and password."), false);
        return;
    case KNVTAccountCheck::Outcome::Accepted: break;
    }
    // The host replaces or closes the form; until then it keeps showing the check, or that the keyring refused the
    // password, which is then kept for this run only.
    if (const knvt::Error keychainError =
            knvt::configureAccount(knvt::taskStore(m_store), result.account, result.password)) {
        knvt::stopProgress(m_progressIndicator, m_progressLabel, knvt::passwordNotStoredMessage(keychainError));
        knvt::focusMessage(m_progressLabel);
    }
    if (KNVTSignInViewControllerDelegate *delegate = m_delegate.get())
        delegate->signInViewControllerDidSuccessfullySignIn(this);
}

void KNVTSignInViewController::returnToPassword(const QString &message, bool canSendAgain)
{
    knvt::stopProgress(m_progressIndicator, m_progressLabel, message);
    setInputsEnabled(true);
    m_signInButton->setEnabled(canSendAgain);
    knvt::returnToPassword(m_passwordSecureTextField, m_progressLabel);
}

void KNVTSignInViewController::cancel()
{
    view();
    if (m_check->isRunning()) {
        m_check->cancel();
        returnToPassword(QString(), true);
        return;
    }
    if (m_style == Style::Window) {
        if (KNVTSignInViewControllerDelegate *delegate = m_delegate.get())
            delegate->signInViewControllerDidSelectCancel(this);
    }
}

void KNVTSignInViewController::createAccount()
{
    if (KNVTSignInViewControllerDelegate *delegate = m_delegate.get())
        delegate->signInViewControllerDidSelectCreateAccount(this);
}

void KNVTSignInViewController::forgottenPassword()
{
    if (KNVTSignInViewControllerDelegate *delegate = m_delegate.get())
        delegate->signInViewControllerDidSelectForgottenPassword(this);
}
