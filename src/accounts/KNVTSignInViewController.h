#pragma once

#include "accounts/KNVTAccountCheck.h"
#include "accounts/KNVTSignInViewControllerDelegate.h"

#include "uikit/KNVTViewController.h"
#include "uikit/WeakDelegate.h"

#include <QPointer>

class KNVTProgressIndicator;
class KNVTTaskStore;
class QLabel;
class QLineEdit;
class QPushButton;
class QShortcut;

// The sign-in form: a user name and a password checked with the sync service. When the service accepts them the
// password goes into the keychain, the store's account is configured from the service's account record, and the
// host is told; the form then stays busy until its host replaces or closes it. While the check runs the password keeps
// the keyboard, only read, and the message line says so; every other ending gives the fields back and says what happened.
//
// Two hosts use it. The sign-in and sign-up window shows it as its first page with the create-account,
// forgotten-password and Cancel buttons and hears the outcome through the delegate; the Account pane of the
// preferences embeds the bare form (Style::Pane) and asks its window to show the signed-in pane.
class KNVTSignInViewController : public KNVTViewController
{
    Q_OBJECT

public:
    enum class Style { Window, Pane };

    // `store`: the store to configure; nullptr means the shared store.
    explicit KNVTSignInViewController(Style style = Style::Window, KNVTTaskStore *store = nullptr,
                                      QObject *parent = nullptr);
    ~KNVTSignInViewController() override;

    Style style() const { return m_style; }

    KNVTSignInViewControllerDelegate *signInViewControllerDelegate() const { return m_delegate.get(); }
    void setSignInViewControllerDelegate(KNVTSignInViewControllerDelegate *delegate) { m_delegate.set(delegate); }

    QLineEdit *usernameTextField();
    QLineEdit *passwordSecureTextField();

    bool isRunning() const;

public slots:
    void signIn();
    // Stops a running check; with none running the window form reports Cancel to its delegate.
    void cancel();
    void createAccount();
    void forgottenPassword();

protected:
    void loadView() override;

private:
    // After a check that ended without signing in: the fields editable again, the keyboard back in the password field
    // and `message` read out. Credentials the service refused wait for an edit before Sign In sends them again
    // (`canSendAgain` false).
    void returnToPassword(const QString &message, bool canSendAgain);
    void controlTextDidChange();
    void setInputsEnabled(bool enabled);
    void checkDidFinish(const KNVTAccountCheck::Result &result);

    Style m_style;
    KNVTTaskStore *m_store;
    knvt::WeakDelegate<KNVTSignInViewControllerDelegate> m_delegate;
    KNVTAccountCheck *m_check;

    QPointer<QLineEdit> m_usernameTextField;
    QPointer<QLineEdit> m_passwordSecureTextField;
    QPointer<KNVTProgressIndicator> m_progressIndicator;
    QPointer<QLabel> m_progressLabel;
    QPointer<QPushButton> m_signInButton;
    QPointer<QPushButton> m_createAccountButton;
    QPointer<QPushButton> m_forgottenPasswordButton;
    QPointer<QPushButton> m_cancelButton;
    QPointer<QShortcut> m_escapeShortcut;
};
