#include "accounts/KNVTPreferenceConfiguredAccountViewController.h"

#include "accounts/AccountService.h"
#include "accounts/FormWidgets.h"
#include "accounts/KNVTAccountDetailsWindowController.h"
#include "accounts/TaskStoreReference.h"
#include "accounts/UserPresentation.h"

#include "model/KNVTCDUser.h"

#include "uikit/AlertAdditions.h"
#include "uikit/ElidingLabel.h"
#include "uikit/KNVTAvatarView.h"
#include "uikit/KNVTSwitch.h"
#include "uikit/KeyboardOwner.h"
#include "uikit/UnsavedTyping.h"

#include "foundation/DateFormat.h"
#include "foundation/NotificationCenter.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

struct Interval
{
    int seconds;
    const char *title;
};

// The automatic sync intervals offered, in seconds; the store's default of 900 is among them.
constexpr Interval kIntervals[] = {
    {300, QT_TRANSLATE_NOOP("KNVTPreferenceConfiguredAccountViewController", "Every 5 minutes")},
    {900, QT_TRANSLATE_NOOP("KNVTPreferenceConfiguredAccountViewController", "Every 15 minutes")},
    {1800, QT_TRANSLATE_NOOP("KNVTPreferenceConfiguredAccountViewController", "Every 30 minutes")},
    {3600, QT_TRANSLATE_NOOP("KNVTPreferenceConfiguredAccountViewController", "Every hour")},
};

} // namespace

KNVTPreferenceConfiguredAccountViewController::KNVTPreferenceConfiguredAccountViewController(KNVTTaskStore *store,
                                                                                             QObject *parent)
    : KNVTPreferenceViewController(parent), m_store(store)
{
    setTitle(tr("Account"));
}

KNVTPreferenceConfiguredAccountViewController::~KNVTPreferenceConfiguredAccountViewController()
{
    knvt::NotificationCenter::defaultCenter().removeObservers(this);
}

KNVTAccountDetailsWindowController *
KNVTPreferenceConfiguredAccountViewController::accountDetailsWindowController() const
{
    return m_accountDetailsWindowController;
}

void KNVTPreferenceConfiguredAccountViewController::loadView()
{
    auto *view = new QWidget;
    view->setObjectName(QStringLiteral("KNVTPreferenceConfiguredAccountViewController"));

    m_avatarImageView = new KNVTAvatarView;
    m_avatarImageView->setObjectName(QStringLiteral("avatarImageView"));
    m_avatarImageView->setFixedSize(64, 64);
    // A long name ends in an ellipsis rather than pushing the buttons beside it away or being cut mid-letter.
    m_fullNameLabel = new knvt::ElidingLabel;
    m_fullNameLabel->setObjectName(QStringLiteral("fullNameLabel"));
    QFont nameFont = m_fullNameLabel->font();
    nameFont.setPixelSize(17);
    nameFont.setBold(true);
    m_fullNameLabel->setFont(nameFont);
    m_usernameLabel = new QLabel;
    m_usernameLabel->setObjectName(QStringLiteral("usernameLabel"));
    m_usernameLabel->setTextFormat(Qt::PlainText);
    m_usernameLabel->setForegroundRole(QPalette::PlaceholderText);
    m_detailsButton = new QPushButton(tr("Details..."));
    m_detailsButton->setObjectName(QStringLiteral("detailsButton"));
    m_signOutButton = new QPushButton(tr("Sign Out"));
    m_signOutButton->setObjectName(QStringLiteral("signOutButton"));

    m_syncingEnabledCheckBoxButton = new KNVTSwitch;
    m_syncingEnabledCheckBoxButton->setObjectName(QStringLiteral("syncingEnabledCheckBoxButton"));
    m_syncingEnabledCheckBoxButton->setAccessibleName(tr("Sync automatically"));
    m_autoSyncTimeIntervalPopUpButton = new QComboBox;
    m_autoSyncTimeIntervalPopUpButton->setObjectName(QStringLiteral("autoSyncTimeIntervalPopUpButton"));
    m_autoSyncTimeIntervalPopUpButton->setAccessibleName(tr("Sync interval"));
    // A choice takes effect as it is made: closing the preferences drops nothing.
    knvt::UnsavedTyping::markNotKept(m_autoSyncTimeIntervalPopUpButton);
    for (const Interval &interval : kIntervals)
        m_autoSyncTimeIntervalPopUpButton->addItem(tr(interval.title), interval.seconds);
    m_syncNowButton = new QPushButton(tr("Sync Now"));
    m_syncNowButton->setObjectName(QStringLiteral("syncNowButton"));
    m_lastSyncDateLabel = new QLabel;
    m_lastSyncDateLabel->setTextFormat(Qt::PlainText);
    m_lastSyncDateLabel->setObjectName(QStringLiteral("lastSyncDateLabel"));
    m_messageLabel = new QLabel;
    m_messageLabel->setObjectName(QStringLiteral("messageLabel"));
    m_messageLabel->setTextFormat(Qt::PlainText);
    m_messageLabel->setWordWrap(true);
    m_messageLabel->hide();

    auto *names = new QVBoxLayout;
    names->addWidget(m_fullNameLabel);
    names->addWidget(m_usernameLabel);
    names->addStretch(1);
    auto *accountButtons = new QVBoxLayout;
    accountButtons->addWidget(m_detailsButton);
    accountButtons->addWidget(m_signOutButton);
    accountButtons->addStretch(1);
    auto *who = new QHBoxLayout;
    who->addWidget(m_avatarImageView, 0, Qt::AlignTop);
    who->addLayout(names, 1);
    who->addLayout(accountButtons);

    auto *syncRow = new QHBoxLayout;
    syncRow->addWidget(m_syncingEnabledCheckBoxButton);
    syncRow->addStretch(1);
    syncRow->addWidget(m_syncNowButton);
    auto *sync = new QFormLayout;
    sync->addRow(tr("Sync automatically:"), syncRow);
    if (auto *label = qobject_cast<QLabel *>(sync->labelForField(syncRow)))
        label->setBuddy(m_syncingEnabledCheckBoxButton);
    // A label of its own, which a screen reader reads as the pop-up's.
    auto *intervalLabel = new QLabel(tr("Sync interval:"));
    intervalLabel->setObjectName(QStringLiteral("autoSyncTimeIntervalLabel"));
    intervalLabel->setBuddy(m_autoSyncTimeIntervalPopUpButton);
    sync->addRow(intervalLabel, m_autoSyncTimeIntervalPopUpButton);
    sync->addRow(tr("Last synced:"), m_lastSyncDateLabel);

    auto *layout = new QVBoxLayout(view);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->addLayout(who);
    layout->addSpacing(12);
    layout->addLayout(sync);
    layout->addSpacing(8);
    layout->addWidget(m_messageLabel);
    layout->addStretch(1);
    view->setMinimumWidth(480);

    connect(m_syncingEnabledCheckBoxButton, &KNVTSwitch::action, this,
            &KNVTPreferenceConfiguredAccountViewController::syncingEnabled);
    connect(m_autoSyncTimeIntervalPopUpButton, &QComboBox::activated, this,
            &KNVTPreferenceConfiguredAccountViewController::changeAutoSyncTimeInterval);
    connect(m_syncNowButton, &QPushButton::clicked, this, &KNVTPreferenceConfiguredAccountViewController::syncNow);
    connect(m_detailsButton, &QPushButton::clicked, this, &KNVTPreferenceConfiguredAccountViewController::details);
    connect(m_signOutButton, &QPushButton::clicked, this, &KNVTPreferenceConfiguredAccountViewController::signOut);
    setView(view);

    update();
    knvt::NotificationCenter &center = knvt::NotificationCenter::defaultCenter();
    for (const char *name : {KNVTTaskStoreDidSyncNotification, KNVTTaskStoreSyncSettingsDidChangeNotification}) {
        center.addObserver(QString::fromLatin1(name), nullptr, this, [this](const knvt::Notification &) { update(); });
    }
}

void KNVTPreferenceConfiguredAccountViewController::update()
{
    if (!isViewLoaded())
        return;
    KNVTTaskStore &store = knvt::taskStore(m_store);
    const bool enabled = store.isAutoSyncEnabled();
    m_syncingEnabledCheckBoxButton->setOn(enabled);
    m_autoSyncTimeIntervalPopUpButton->setEnabled(enabled);
    m_syncNowButton->setEnabled(enabled);

    const int index = m_autoSyncTimeIntervalPopUpButton->findData(int(store.autoSyncTimeInterval()));
    if (index >= 0)
        m_autoSyncTimeIntervalPopUpButton->setCurrentIndex(index);

    KNVTCDUser *me = store.me();
    knvt::showAvatarOfUser(m_avatarImageView, me);
    m_fullNameLabel->setText(me ? me->fullName() : QString());
    m_usernameLabel->setText(me ? me->username() : QString());

    const QDateTime lastSync = store.lastSuccessfullSyncDate();
    m_lastSyncDateLabel->setText(
        lastSync.isValid()
            ? knvt::DateFormat(knvt::DateFormat::Style::Medium, knvt::DateFormat::Style::Short).stringFromDate(lastSync)
            : tr("Never"));

    QStringList problems;
    if (const QString refused = knvt::refusedServiceAddressMessage(); !refused.isEmpty())
        problems << refused;
    if (const knvt::Error &keychainError = store.accountPasswordKeychainError())
        problems << knvt::passwordNotStoredMessage(keychainError);
    m_messageLabel->setText(problems.join(u'\n'));
    m_messageLabel->setVisible(!problems.isEmpty());
}

void KNVTPreferenceConfiguredAccountViewController::takeFocusAfterSignIn()
{
    QWidget *first = firstFocus();
    first->setFocus(Qt::OtherFocusReason);
    if (first == m_messageLabel)
        knvt::announceMessage(m_messageLabel);
}

QWidget *KNVTPreferenceConfiguredAccountViewController::firstFocus()
{
    view();
    update();
    return m_messageLabel->isHidden() ? static_cast<QWidget *>(m_fullNameLabel) : m_messageLabel;
}

void KNVTPreferenceConfiguredAccountViewController::syncingEnabled()
{
    KNVTTaskStore &store = knvt::taskStore(m_store);
    const bool on = m_syncingEnabledCheckBoxButton->isOn();
    if (on == store.isAutoSyncEnabled())
        return;
    if (on) {
        // The store's notification refreshes this pane and starts a sync.
        store.setAutoSyncEnabled(true);
    } else {
        store.setAutoSyncEnabled(false);
        m_syncNowButton->setEnabled(false);
    }
}

void KNVTPreferenceConfiguredAccountViewController::changeAutoSyncTimeInterval()
{
    knvt::taskStore(m_store).setAutoSyncTimeInterval(m_autoSyncTimeIntervalPopUpButton->currentData().toDouble());
}

void KNVTPreferenceConfiguredAccountViewController::syncNow()
{
    knvt::taskStore(m_store).sync();
}

void KNVTPreferenceConfiguredAccountViewController::details()
{
    if (m_accountDetailsWindowController)
        return;
    auto *sheet = new KNVTAccountDetailsWindowController(m_store, view()->window());
    m_accountDetailsWindowController = sheet;
    connect(sheet, &QDialog::finished, this, [this, sheet] {
        // The names or the picture may have changed.
        update();
        sheet->deleteLater();
    });
    sheet->setWindowModality(Qt::WindowModal);
    knvt::KeyboardOwner::open(sheet, knvt::Opener::User);
}

void KNVTPreferenceConfiguredAccountViewController::signOut()
{
    knvt::AlertPresenter::Request request{.opener = knvt::Opener::User};
    request.title = tr("Sign Out?");
    request.message = tr("Signing Out will remove all of you data, any unsynced changes will be lost.");
    // Every window closes with the library: what is typed in any of them goes too, and the question shows it.
    request.typed = knvt::UnsavedTyping::typedIn().join(QStringLiteral("\n\n"));
    request.buttonTitles = {tr("Cancel"), tr("Sign Out")};
    request.critical = true;
    const qsizetype signOutButton = 1;
    if (knvt::runModal(request) != signOutButton)
        return;
    knvt::UnsavedTyping::forget();
    knvt::taskStore(m_store).unconfigureAccount();
}
