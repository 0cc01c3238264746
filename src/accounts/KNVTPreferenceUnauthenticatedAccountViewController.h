#pragma once

#include "accounts/KNVTPreferenceViewController.h"

#include <QPointer>

class KNVTSwitch;
class KNVTTaskStore;
class QLabel;
class QPushButton;

// The Account pane while the sync service refuses the stored password: it offers to type it again, and keeps the
// sync switch, so that the user may switch syncing off meanwhile rather than have it come back with the password.
// Switched on, it asks for the password (Sign In Again) rather than send the refused one again.
class KNVTPreferenceUnauthenticatedAccountViewController : public KNVTPreferenceViewController
{
    Q_OBJECT

public:
    // `store`: nullptr means the shared store.
    explicit KNVTPreferenceUnauthenticatedAccountViewController(KNVTTaskStore *store = nullptr,
                                                                QObject *parent = nullptr);
    ~KNVTPreferenceUnauthenticatedAccountViewController() override;

public slots:
    void authenticate();
    void syncingEnabled();

protected:
    void loadView() override;

private:
    void update();

    KNVTTaskStore *m_store;
    QPointer<QLabel> m_messageLabel;
    QPointer<KNVTSwitch> m_syncingEnabledCheckBoxButton;
    QPointer<QPushButton> m_authenticateAccountButton;
};
