#pragma once

#include "accounts/KNVTAccountAuthenticationWindowControllerDelegate.h"
#include "accounts/KNVTAccountCheck.h"

#include "uikit/WeakDelegate.h"

#include <QDialog>
#include <QPointer>

class KNVTProgressIndicator;
class KNVTTaskStore;
class QLabel;
class QLineEdit;
class QPushButton;

// The sheet on the preference window that takes the account's password again after the service refused the stored
// one. It checks the password with the service before keeping it; then it clears the recorded failure and tells its
// host, which closes it. The user name is the signed-in account's and cannot be edited here: a password kept under
// another name would leave the account failing.
class KNVTAccountAuthenticationWindowController : public QDialog
{
    Q_OBJECT

public:
    // `store`: nullptr means the shared store.
    explicit KNVTAccountAuthenticationWindowController(KNVTTaskStore *store = nullptr, QWidget *parent = nullptr);
    ~KNVTAccountAuthenticationWindowController() override;

    KNVTAccountAuthenticationWindowControllerDelegate *accountAuthenticationWindowControllerDelegate() const
    {
        return m_delegate.get();
    }
    void setAccountAuthenticationWindowControllerDelegate(KNVTAccountAuthenticationWindowControllerDelegate *delegate)
    {
        m_delegate.set(delegate);
    }

    bool isRunning() const;

public slots:
    void authenticate();
    void forgottenPassword();
    // Stops a running check, or closes the sheet.
    void cancel();
    // Ends the sheet.
    void dismiss();
    void reject() override;

private:
    void controlTextDidChange();
    void setInputsEnabled(bool enabled);
    void checkDidFinish(const KNVTAccountCheck::Result &result);

    KNVTTaskStore *m_store;
    knvt::WeakDelegate<KNVTAccountAuthenticationWindowControllerDelegate> m_delegate;
    KNVTAccountCheck *m_check;

    QPointer<QLineEdit> m_usernameTextField;
    QPointer<QLineEdit> m_passwordSecureTextField;
    QPointer<KNVTProgressIndicator> m_progressIndicator;
    QPointer<QLabel> m_progressLabel;
    QPointer<QPushButton> m_authenticateButton;
    QPointer<QPushButton> m_forgottenPasswordButton;
    QPointer<QPushButton> m_cancelButton;
};
