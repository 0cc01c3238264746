#include "accounts/KNVTFriendshipNewWindowController.h"

#include "accounts/AccountService.h"

#include "accounts/FormWidgets.h"
#include "accounts/TaskStoreReference.h"

#include "uikit/Beeper.h"
#include "uikit/KNVTProgressIndicator.h"
#include "uikit/KNVTTextField.h"
#include "uikit/ViewAdditions.h"

#include "store/KNVTTaskStore.h"

#include "model/ContextAdditions.h"
#include "model/KNVTCDUser.h"

#include "objectstore/Where.h"

#include "foundation/StringAdditions.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// What the library holds of the person with that user name and the local user, as the friendships say.
KNVTUserFriendshipStatus standingWith(KNVTTaskStore &store, const QString &username)
{
    ostore::Context *context = store.managedObjectContext();
    const auto *user = context
        ? static_cast<const KNVTCDUser *>(knvt::firstObjectForFetchRequestForEntityName(
            *context, QStringLiteral("KNVTCDUser"), ostore::where::key(QStringLiteral("username")) == username))
        : nullptr;
    const qint64 status = user ? user->friendshipStatus().value_or(KNVTUserFriendshipStatusNone) : 0;
    return status == KNVTUserFriendshipStatusInvited || status == KNVTUserFriendshipStatusPending
            || status == KNVTUserFriendshipStatusFriend
        ? KNVTUserFriendshipStatus(status)
        : KNVTUserFriendshipStatusNone;
}

// Whether the service's refusal is of the name the user typed: it knows no such person (or not as someone to invite),
// and says so of the invitee. Any other answer is the service's own failure, which a retry may get past.
bool refusesTheName(const knvt::Error &requestError)
{
    if (requestError.code() != 404 && requestError.code() != 422)
        return false;
    const QVariantMap body = requestError.userInfo();
    return std::any_of(body.keyBegin(), body.keyEnd(),
                       [](const QString &key) { return key.startsWith(QLatin1String("invitee")); });
}

} // namespace

KNVTFriendshipNewWindowController::KNVTFriendshipNewWindowController(KNVTTaskStore *store, QWidget *parent)
    : QDialog(parent), m_store(store)
{
    knvt::frameAsSheet(this);
    setObjectName(QStringLiteral("KNVTFriendshipNewWindowController"));
    setWindowTitle(tr("Add Friend"));
    setWindowModality(Qt::WindowModal);

    auto *heading = new QLabel(tr("Type the username of the person you want to invite as a friend."));
    heading->setWordWrap(true);
    m_usernameTextField = new KNVTTextField;
    m_usernameTextField->setObjectName(QStringLiteral("usernameTextField"));
    m_usernameTextField->setPlaceholderText(tr("Username"));
    m_usernameTextField->setAccessibleName(tr("Username"));
    m_progressIndicator = knvt::makeProgressIndicator();
    m_progressLabel = knvt::makeProgressLabel();
    m_addButton = knvt::makeButton(tr("Add"), "addButton");
    m_cancelButton = knvt::makeButton(tr("Cancel"), "cancelButton");

    QHBoxLayout *progress = knvt::makeProgressRow(m_progressIndicator, m_progressLabel);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cancelButton);
    buttons->addWidget(m_addButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addWidget(m_usernameTextField);
    layout->addLayout(progress);
    layout->addLayout(buttons);
    setMinimumWidth(380);

    m_progressLabel->clear();
    m_addButton->setEnabled(false);

    connect(m_usernameTextField, &QLineEdit::textChanged, this,
            &KNVTFriendshipNewWindowController::controlTextDidChange);
    connect(m_usernameTextField, &QLineEdit::returnPressed, this, &KNVTFriendshipNewWindowController::add);
    connect(m_addButton, &QPushButton::clicked, this, &KNVTFriendshipNewWindowController::add);
    connect(m_cancelButton, &QPushButton::clicked, this, &KNVTFriendshipNewWindowController::cancel);
    knvt::setTabOrder({m_usernameTextField, m_cancelButton, m_addButton});
}

KNVTFriendshipNewWindowController::~KNVTFriendshipNewWindowController() = default;

void KNVTFriendshipNewWindowController::controlTextDidChange()
{
    m_addButton->setEnabled(!knvt::trimmedString(m_usernameTextField->text()).isEmpty());
}

void KNVTFriendshipNewWindowController::add()
{
    if (m_running)
        return;
    const QString username = knvt::trimmedString(m_usernameTextField->text());
    // Signed out while the sheet was open: there is nobody to send the invitation as.
    if (username.isEmpty() || !knvt::taskStore(m_store).isConfigured()) {
        knvt::Beeper::shared().beep();
        return;
    }
    if (const QString refused = knvt::refusedServiceAddressMessage(); !refused.isEmpty()) {
        knvt::stopProgress(m_progressIndicator, m_progressLabel, refused);
        knvt::announceMessage(m_progressLabel);
        return;
    }
    m_running = true;
    knvt::startProgress(m_progressIndicator, m_progressLabel, tr("Inviting..."));
    // Read-only rather than disabled, the field keeps the keyboard: a disabled one would hand it to the next control
    // that takes it, Cancel, where it would stay once the answer came.
    knvt::holdKeyboardInField({m_usernameTextField}, m_usernameTextField, m_progressLabel);
    m_addButton->setEnabled(false);
    m_cancelButton->setEnabled(false);
    m_standingBefore = standingWith(knvt::taskStore(m_store), username);
    QPointer<KNVTFriendshipNewWindowController> self(this);
    knvt::taskStore(m_store).createFriendshipWithUsername(
        username, [self, username](bool success, const knvt::Error &requestError, const knvt::Error &error) {
            if (self)
                self->invitationDidFinish(username, success, requestError, error);
        });
}

void KNVTFriendshipNewWindowController::invitationDidFinish(const QString &username, bool,
                                                            const knvt::Error &requestError, const knvt::Error &error)
{
    m_running = false;
    m_progressIndicator->stopAnimation();
    m_progressIndicator->hide();
    if (error) {
        m_progressLabel->setText(tr("Unable to invite as the connection failed."));
        m_addButton->setEnabled(true);
    } else if (!requestError) {
        // The friendship the service answered with, merged by now, says what the invitation came to.
        switch (standingWith(knvt::taskStore(m_store), username)) {
        case KNVTUserFriendshipStatusFriend:
            m_progressLabel->setText(m_standingBefore == KNVTUserFriendshipStatusPending
                                         ? tr("You accepted the invitation of %1: you are friends now.").arg(username)
                                         : tr("You and %1 are already friends.").arg(username));
            break;
        case KNVTUserFriendshipStatusPending:
            m_progressLabel->setText(
                tr("%1 has already invited you: accept the invitation in Notifications, on the main window's "
                   "toolbar.")
                    .arg(username));
            break;
        default: m_progressLabel->setText(tr("You Successfully invited %1!").arg(username)); break;
        }
        m_usernameTextField->clear();
        m_addButton->setEnabled(false);
    } else if (requestError.code() == 401) {
        m_progressLabel->setText(tr("Unable to authenticate."));
        m_addButton->setEnabled(true);
    } else if (refusesTheName(requestError)) {
        // The same name would be refused again; the button comes back with the next edit.
        m_progressLabel->setText(tr("Unable to invite, please check that the username you have entered is correct."));
        m_addButton->setEnabled(false);
    } else {
        m_progressLabel->setText(
            tr("Unable to invite as the sync service failed: the invitation was not sent. You can try again."));
        m_addButton->setEnabled(true);
    }
    m_progressLabel->show();
    m_cancelButton->setEnabled(true);
    // The answer is read wherever the user is; the keyboard is in the field, for the next name or a correction, also
    // after a click on Add, which went with the keyboard.
    m_usernameTextField->setFocus(Qt::OtherFocusReason);
    knvt::releaseFields({m_usernameTextField}, m_progressLabel);
}

void KNVTFriendshipNewWindowController::cancel()
{
    dismiss();
}

void KNVTFriendshipNewWindowController::dismiss()
{
    QDialog::reject();
}

void KNVTFriendshipNewWindowController::reject()
{
    // Escape works as Cancel, which cannot be used while an invitation is on its way.
    if (!m_running)
        dismiss();
}
