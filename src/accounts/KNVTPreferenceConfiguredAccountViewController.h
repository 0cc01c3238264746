#pragma once

#include "accounts/KNVTPreferenceViewController.h"

#include <QPointer>

class KNVTAccountDetailsWindowController;
class KNVTAvatarView;
class KNVTSwitch;
class KNVTTaskStore;
class QComboBox;
class QLabel;
class QPushButton;

// The Account pane of a signed-in account: who is signed in, when the last sync ended, automatic sync with its
// interval, Sync Now, the account details sheet and signing out. It follows every sync and every change of the sync
// settings, and says when the password is kept only until the program quits because the keyring refused it.
class KNVTPreferenceConfiguredAccountViewController : public KNVTPreferenceViewController
{
    Q_OBJECT

public:
    // `store`: nullptr means the shared store.
    explicit KNVTPreferenceConfiguredAccountViewController(KNVTTaskStore *store = nullptr, QObject *parent = nullptr);
    ~KNVTPreferenceConfiguredAccountViewController() override;

    // The account details sheet while it is open.
    KNVTAccountDetailsWindowController *accountDetailsWindowController() const;

public slots:
    void update();
    // Just signed in: the keyboard goes to the pane's message, read out, when it has one (the keyring could not keep
    // the password, say), else to the name of the account now signed in.
    void takeFocusAfterSignIn();
    // The message when the pane has one, else the name of the account: what the user signed in to see.
    QWidget *firstFocus() override;
    void syncingEnabled();
    void changeAutoSyncTimeInterval();
    void syncNow();
    void signOut();
    void details();

protected:
    void loadView() override;

private:
    KNVTTaskStore *m_store;
    QPointer<KNVTAvatarView> m_avatarImageView;
    QPointer<QLabel> m_fullNameLabel;
    QPointer<QLabel> m_usernameLabel;
    QPointer<QLabel> m_lastSyncDateLabel;
    // What keeps syncing from working as it should, when anything does.
    QPointer<QLabel> m_messageLabel;
    QPointer<KNVTSwitch> m_syncingEnabledCheckBoxButton;
    QPointer<QComboBox> m_autoSyncTimeIntervalPopUpButton;
    QPointer<QPushButton> m_syncNowButton;
    QPointer<QPushButton> m_detailsButton;
    QPointer<QPushButton> m_signOutButton;
    QPointer<KNVTAccountDetailsWindowController> m_accountDetailsWindowController;
};
