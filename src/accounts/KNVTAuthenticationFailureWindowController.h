#pragma once

#include "accounts/KNVTAuthenticationFailureWindowControllerDelegate.h"

#include "uikit/WeakDelegate.h"

#include "foundation/Error.h"

#include <QDialog>
#include <QPointer>

class KNVTTaskStore;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;

// The application-modal window shown when the sync service refused the stored password. Save keeps the typed
// password without checking it and asks for a sync, whose outcome tells whether it was right: the window stays while
// that sync tries the password, with the keyboard on its message, ends once the service took it, and, refused, asks
// again with the keyboard back on the field. Cancel pauses automatic sync until the password is typed again; the
// failure stays recorded, so the Account pane keeps offering to type the password again. Closing the window counts as
// Cancel. The window says why it asks: the password it was given was refused, or there was none to give because the
// keyring holds none, is locked, absent or refused it.
//
// When the keyring refuses the password, Save keeps it in memory for this run, so the sync it starts carries it and
// the window does not come back for want of it; the window stays open saying why, and its Save, now OK, or closing
// it ends it as a save.
class KNVTAuthenticationFailureWindowController : public QDialog
{
    Q_OBJECT

public:
    // `store`: nullptr means the shared store.
    explicit KNVTAuthenticationFailureWindowController(KNVTTaskStore *store = nullptr, QWidget *parent = nullptr);
    ~KNVTAuthenticationFailureWindowController() override;

    // Asks the application to show the window (one at a time).
    static void showAuthenticationFailureWindow();

    KNVTAuthenticationFailureWindowControllerDelegate *authenticationFailureWindowControllerDelegate() const
    {
        return m_delegate.get();
    }
    void setAuthenticationFailureWindowControllerDelegate(KNVTAuthenticationFailureWindowControllerDelegate *delegate)
    {
        m_delegate.set(delegate);
    }

public slots:
    void save();
    void cancel();
    void reject() override;

private:
    // A sync ended: when the service refused the password that the keyring could not keep, the window asks again.
    void syncDidFinish();
    // What became of the password saved: refused, the window asks again; taken (`syncEnded` without a refusal), it
    // ends.
    void passwordTried(bool syncEnded);
    // The message and its explanation for why the password is asked for: `lookupError` is the store's reason for
    // having none at hand, null when the service refused the one it was given.
    void showWhyThePasswordIsAskedFor(const QString &username, const knvt::Error &lookupError);
    void controlTextDidChange();

    KNVTTaskStore *m_store;
    knvt::WeakDelegate<KNVTAuthenticationFailureWindowControllerDelegate> m_delegate;
    void finishSave();

    bool m_ending = false;
    bool m_keyringNoticeShown = false;
    // The password saved is being tried by the sync its Save started.
    bool m_tryingPassword = false;
    QPointer<QLabel> m_messageLabel;
    QPointer<QLabel> m_explanationLabel;
    QFormLayout *m_fieldsLayout = nullptr; // owned by the window's layout
    QPointer<QLabel> m_usernameLabel;
    QPointer<QLineEdit> m_passwordSecureTextField;
    QPointer<QPushButton> m_saveButton;
    QPointer<QPushButton> m_cancelButton;
};
