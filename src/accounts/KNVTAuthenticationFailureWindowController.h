#pragma once

#include "accounts/KNVTAccountCheck.h"
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

// The application-modal window shown when the sync service refused the stored password. Save has the service check the
// typed password and keeps it only once the service took it, so that a slip typed after a one-off refusal never
// replaces a password that was right: the window stays while the check runs, with the keyboard on its message; taken,
// the password is kept, syncing resumes as Sign In Again resumes it, and the window ends; refused, the window says that
// nothing was stored and asks again with the keyboard back on the field. Cancel pauses automatic sync until the
// password is typed again; the failure stays recorded, so the Account pane keeps offering to type the password again.
// Closing the window counts as Cancel. A sign-in that succeeds elsewhere (Sign In Again in the Account pane) answers
// the window: it ends as a save. The window says why it asks: the password it was given was refused, or there was
// none to give because the keyring holds none, is locked, absent or refused it.
//
// When the keyring refuses the password the service took, it is kept in memory for this run, so that syncing carries
// it; the window stays open saying why, and its Save, now OK, or closing it ends it as a save.
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
    // The service's answer to the password Save sent.
    void checkDidFinish(const KNVTAccountCheck::Result &result);
    // The password it asks for was taken elsewhere: the window's question is answered. Or the user switched sync off:
    // nothing is left to ask the password for.
    void closeIfAnsweredElsewhere();
    // Ends the window unanswered, pausing nothing: sync was switched off.
    void putAway();
    // The message and its explanation for why the password is asked for: `lookupError` is the store's reason for
    // having none at hand, null when the service refused the one it was given.
    void showWhyThePasswordIsAskedFor(const QString &username, const knvt::Error &lookupError);
    // The title, the message and its explanation.
    void say(const QString &title, const QString &message, const QString &explanation);
    void controlTextDidChange();

    KNVTTaskStore *m_store;
    knvt::WeakDelegate<KNVTAuthenticationFailureWindowControllerDelegate> m_delegate;
    KNVTAccountCheck *m_check;
    void finishSave();

    // The account the window asks for, and whether the store has said since that its password is refused: the store
    // opens the window before it records the refusal.
    QString m_username;
    bool m_refusalSeen = false;
    // Whether automatic sync was on when the store last said its settings changed.
    bool m_syncOn = false;
    bool m_ending = false;
    bool m_keyringNoticeShown = false;
    // The service took the password Save sent.
    bool m_passwordTaken = false;
    QPointer<QLabel> m_messageLabel;
    QPointer<QLabel> m_explanationLabel;
    QFormLayout *m_fieldsLayout = nullptr; // owned by the window's layout
    QPointer<QLabel> m_usernameLabel;
    QPointer<QLineEdit> m_passwordSecureTextField;
    QPointer<QPushButton> m_saveButton;
    QPointer<QPushButton> m_cancelButton;
};
