#include "accounts/KNVTPreferenceUnauthenticatedAccountViewController.h"

#include "accounts/KNVTPreferenceWindowController.h"
#include "accounts/TaskStoreReference.h"

#include "store/KNVTTaskStore.h"

#include "uikit/KNVTSwitch.h"

#include "foundation/NotificationCenter.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

KNVTPreferenceUnauthenticatedAccountViewController::KNVTPreferenceUnauthenticatedAccountViewController(
    KNVTTaskStore *store, QObject *parent)
    : KNVTPreferenceViewController(parent), m_store(store)
{
    setTitle(tr("Account"));
}

KNVTPreferenceUnauthenticatedAccountViewController::~KNVTPreferenceUnauthenticatedAccountViewController()
{
    knvt::NotificationCenter::defaultCenter().removeObservers(this);
}

void KNVTPreferenceUnauthenticatedAccountViewController::loadView()
{
    auto *view = new QWidget;
    view->setObjectName(QStringLiteral("KNVTPreferenceUnauthenticatedAccountViewController"));
    m_messageLabel = new QLabel;
    m_messageLabel->setObjectName(QStringLiteral("messageLabel"));
    m_messageLabel->setTextFormat(Qt::PlainText);
    m_messageLabel->setWordWrap(true);
    m_syncingEnabledCheckBoxButton = new KNVTSwitch;
    m_syncingEnabledCheckBoxButton->setObjectName(QStringLiteral("syncingEnabledCheckBoxButton"));
    m_syncingEnabledCheckBoxButton->setAccessibleName(tr("Sync automatically"));
    m_authenticateAccountButton = new QPushButton(tr("Sign In Again..."));
    m_authenticateAccountButton->setObjectName(QStringLiteral("authenticateAccountButton"));
    connect(m_syncingEnabledCheckBoxButton, &KNVTSwitch::action, this,
            &KNVTPreferenceUnauthenticatedAccountViewController::syncingEnabled);
    connect(m_authenticateAccountButton, &QPushButton::clicked, this,
            &KNVTPreferenceUnauthenticatedAccountViewController::authenticate);
    // As in the signed-in pane: the switch, and the button that syncs, on one row.
    auto *syncRow = new QHBoxLayout;
    syncRow->addWidget(m_syncingEnabledCheckBoxButton);
    syncRow->addStretch(1);
    syncRow->addWidget(m_authenticateAccountButton);
    auto *sync = new QFormLayout;
    sync->addRow(tr("Sync automatically:"), syncRow);
    if (auto *label = qobject_cast<QLabel *>(sync->labelForField(syncRow)))
        label->setBuddy(m_syncingEnabledCheckBoxButton);
    auto *layout = new QVBoxLayout(view);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->addWidget(m_messageLabel);
    layout->addSpacing(8);
    layout->addLayout(sync);
    view->setMinimumWidth(480);
    setView(view);

    update();
    knvt::NotificationCenter::defaultCenter().addObserver(
        QString::fromLatin1(KNVTTaskStoreSyncSettingsDidChangeNotification), nullptr, this,
        [this](const knvt::Notification &) { update(); });
}

void KNVTPreferenceUnauthenticatedAccountViewController::update()
{
    KNVTTaskStore &store = knvt::taskStore(m_store);
    const bool paused = store.isSyncPausedForPassword();
    m_messageLabel->setText((paused ? tr("The sync service did not accept the password of the account %1. Syncing "
                                         "is paused until you sign in again.")
                                    : tr("The sync service did not accept the password of the account %1."))
                                .arg(store.username()));
    // The user's choice: a paused sync is on, and comes back when the password is typed again.
    m_syncingEnabledCheckBoxButton->setOn(paused || store.isAutoSyncEnabled());
}

void KNVTPreferenceUnauthenticatedAccountViewController::syncingEnabled()
{
    // Off, signing in again leaves it off. On, sync waits for the password rather than sending the refused one
    // again, and the user is asked for it at once.
    const bool on = m_syncingEnabledCheckBoxButton->isOn();
    knvt::taskStore(m_store).setAutoSyncEnabled(on);
    if (on)
        authenticate();
}

void KNVTPreferenceUnauthenticatedAccountViewController::authenticate()
{
    if (KNVTPreferenceWindowController *window = preferenceWindowController())
        window->presentAccountAuthenticationSheet();
}
