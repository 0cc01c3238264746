#include "accounts/KNVTPreferenceUnauthenticatedAccountViewController.h"

#include "accounts/KNVTPreferenceWindowController.h"
#include "accounts/TaskStoreReference.h"

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

KNVTPreferenceUnauthenticatedAccountViewController::~KNVTPreferenceUnauthenticatedAccountViewController() = default;

void KNVTPreferenceUnauthenticatedAccountViewController::loadView()
{
    auto *view = new QWidget;
    view->setObjectName(QStringLiteral("KNVTPreferenceUnauthenticatedAccountViewController"));
    auto *message = new QLabel(tr("The sync service did not accept the password of the account %1. Syncing is "
                                  "paused until you sign in again.")
                                   .arg(knvt::taskStore(m_store).username()));
    message->setObjectName(QStringLiteral("messageLabel"));
    message->setTextFormat(Qt::PlainText);
    message->setWordWrap(true);
    m_authenticateAccountButton = new QPushButton(tr("Sign In Again..."));
    m_authenticateAccountButton->setObjectName(QStringLiteral("authenticateAccountButton"));
    connect(m_authenticateAccountButton, &QPushButton::clicked, this,
            &KNVTPreferenceUnauthenticatedAccountViewController::authenticate);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_authenticateAccountButton);
    auto *layout = new QVBoxLayout(view);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->addWidget(message);
    layout->addLayout(buttons);
    view->setMinimumWidth(480);
    setView(view);
}

void KNVTPreferenceUnauthenticatedAccountViewController::authenticate()
{
    if (KNVTPreferenceWindowController *window = preferenceWindowController())
        window->presentAccountAuthenticationSheet();
}
