#pragma once

#include "accounts/KNVTPreferenceViewController.h"

#include <QPointer>

class KNVTTaskStore;
class QPushButton;

// The Account pane while the sync service refuses the stored password: it offers to type it again.
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

protected:
    void loadView() override;

private:
    KNVTTaskStore *m_store;
    QPointer<QPushButton> m_authenticateAccountButton;
};
