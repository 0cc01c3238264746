#include "accounts/KNVTAccountDetailsWindowController.h"

#include "accounts/AccountService.h"
#include "accounts/FormWidgets.h"
#include "accounts/ImagePicker.h"
#include "accounts/KNVTAccountRequest.h"
#include "accounts/TaskStoreReference.h"

#include "model/KNVTCDAvatar.h"
#include "model/KNVTCDUser.h"

#include "uikit/ImageAdditions.h"
#include "uikit/KNVTImageView.h"
#include "uikit/KNVTProgressIndicator.h"
#include "uikit/ViewAdditions.h"

#include "foundation/KNVTEmailAddressFormatter.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

KNVTAccountDetailsWindowController::KNVTAccountDetailsWindowController(KNVTTaskStore *store, QWidget *parent)
    : QDialog(parent),
      m_store(store),
      m_request(new KNVTAccountRequest(this,
                                       [this](const std::optional<knvt::HttpResponse> &response, const QByteArray &body,
                                              const knvt::Error &error) { requestDidFinish(response, body, error); }))
{
    knvt::frameAsSheet(this);
    setObjectName(QStringLiteral("KNVTAccountDetailsWindowController"));
    setWindowTitle(tr("Account Details"));
    setWindowModality(Qt::WindowModal);

    const knvt::AvatarPicker picker = knvt::makeAvatarPicker();
    m_avatarImageView = picker.imageView;
    m_avatarPickerButton = picker.button;
    m_usernameTextField = new QLineEdit;
    m_usernameTextField->setObjectName(QStringLiteral("usernameTextField"));
    m_usernameTextField->setReadOnly(true);
    m_emailAddressTextField = new QLineEdit;
    m_emailAddressTextField->setObjectName(QStringLiteral("emailAddressTextField"));
    m_emailAddressTextField->setValidator(new KNVTEmailAddressFormatter(m_emailAddressTextField));
    m_firstNameTextField = new QLineEdit;
    m_firstNameTextField->setObjectName(QStringLiteral("firstNameTextField"));
    m_lastNameTextField = new QLineEdit;
    m_lastNameTextField->setObjectName(QStringLiteral("lastNameTextField"));
    m_progressIndicator = knvt::makeProgressIndicator();
    m_progressLabel = knvt::makeProgressLabel();
    m_saveButton = knvt::makeButton(tr("Save"), "saveButton", true);
    m_cancelButton = knvt::makeButton(tr("Cancel"), "cancelButton");

    auto *fields = new QFormLayout;
    fields->addRow(tr("Username:"), m_usernameTextField);
    fields->addRow(tr("Email:"), m_emailAddressTextField);
    fields->addRow(tr("First Name:"), m_firstNameTextField);
    fields->addRow(tr("Last Name:"), m_lastNameTextField);
    auto *top = new QHBoxLayout;
    top->addLayout(picker.layout);
    top->addLayout(fields, 1);
    QHBoxLayout *progress = knvt::makeProgressRow(m_progressIndicator, m_progressLabel);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cancelButton);
    buttons->addWidget(m_saveButton);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(progress);
    layout->addLayout(buttons);
    setMinimumWidth(460);

    if (KNVTCDUser *me = knvt::taskStore(m_store).me()) {
        m_loadedEmailAddress = me->emailAddress();
        m_loadedFirstName = me->firstName();
        m_loadedLastName = me->lastName();
        m_usernameTextField->setText(me->username());
        m_emailAddressTextField->setText(m_loadedEmailAddress);
        m_firstNameTextField->setText(m_loadedFirstName);
        m_lastNameTextField->setText(m_loadedLastName);
        if (KNVTCDAvatar *avatar = me->avatar())
            m_avatarImageView->setImage(avatar->thumbnailImage());
    }
    controlTextDidChange();

    connect(m_usernameTextField, &QLineEdit::textChanged, this,
            &KNVTAccountDetailsWindowController::controlTextDidChange);
    for (QLineEdit *field : textFields()) {
        connect(field, &QLineEdit::textChanged, this, &KNVTAccountDetailsWindowController::controlTextDidChange);
        connect(field, &QLineEdit::textEdited, this, [this, field] { m_typedField = field; });
    }
    connect(m_avatarPickerButton, &QPushButton::clicked, this, &KNVTAccountDetailsWindowController::chooseAvatarImage);
    connect(m_saveButton, &QPushButton::clicked, this, &KNVTAccountDetailsWindowController::save);
    connect(m_cancelButton, &QPushButton::clicked, this, &KNVTAccountDetailsWindowController::cancel);
    knvt::setTabOrder({m_avatarPickerButton, m_usernameTextField, m_emailAddressTextField, m_firstNameTextField,
                       m_lastNameTextField, m_cancelButton, m_saveButton});
}

KNVTAccountDetailsWindowController::~KNVTAccountDetailsWindowController() = default;

bool KNVTAccountDetailsWindowController::isRunning() const
{
    return m_request->isRunning();
}

void KNVTAccountDetailsWindowController::controlTextDidChange()
{
    // Only what the user can edit is checked: the user name is the service's, shown read-only, and one the service
    // gave shorter or longer than a new one may be must not keep the other details from being saved.
    m_saveButton->setEnabled(!m_request->isRunning() && !m_firstNameTextField->text().isEmpty()
                             && !m_lastNameTextField->text().isEmpty() && !m_emailAddressTextField->text().isEmpty());
}

QList<QLineEdit *> KNVTAccountDetailsWindowController::textFields() const
{
    return {m_emailAddressTextField, m_firstNameTextField, m_lastNameTextField};
}

void KNVTAccountDetailsWindowController::chooseAvatarImage()
{
    QPointer<KNVTAccountDetailsWindowController> self(this);
    knvt::ImagePicker::shared().pickImage(this, [self](const QImage &image, const QString &fileName) {
        if (!self || self->m_request->isRunning())
            return;
        if (image.isNull()) {
            knvt::stopProgress(self->m_progressIndicator, self->m_progressLabel,
                               knvt::ImagePicker::notAPictureMessage(fileName));
            knvt::announceMessage(self->m_progressLabel);
            return;
        }
        self->m_pickedAvatar = image;
        self->m_updatedAvatar = true;
        self->m_avatarImageView->setImage(image);
    });
}

bool KNVTAccountDetailsWindowController::hasChanges() const
{
    return !userAttributes().isEmpty();
}

QJsonObject KNVTAccountDetailsWindowController::userAttributes() const
{
    QJsonObject user;
    if (m_firstNameTextField->text() != m_loadedFirstName)
        user.insert(QStringLiteral("first_name"), m_firstNameTextField->text());
    if (m_lastNameTextField->text() != m_loadedLastName)
        user.insert(QStringLiteral("last_name"), m_lastNameTextField->text());
    if (m_emailAddressTextField->text() != m_loadedEmailAddress)
        user.insert(QStringLiteral("email"), m_emailAddressTextField->text());
    if (m_updatedAvatar) {
        const QString avatar = knvt::base64EncodedPNG(m_pickedAvatar);
        if (!avatar.isEmpty())
            user.insert(QStringLiteral("avatar_data"), avatar);
    }
    return user;
}

void KNVTAccountDetailsWindowController::save()
{
    if (m_request->isRunning() || !m_saveButton->isEnabled())
        return;
    if (!hasChanges()) {
        dismiss();
        return;
    }
    if (const QString refused = knvt::refusedServiceAddressMessage(); !refused.isEmpty()) {
        knvt::stopProgress(m_progressIndicator, m_progressLabel, refused);
        knvt::announceMessage(m_progressLabel);
        return;
    }
    m_sentUser = userAttributes();
    knvt::startProgress(m_progressIndicator, m_progressLabel, tr("Updating account details..."));
    // The user name, only read, keeps the keyboard where it has it: Return there saves too.
    QLineEdit *fallback = focusWidget() == m_usernameTextField ? m_usernameTextField.data()
        : m_typedField                                         ? m_typedField.data()
                                                               : m_emailAddressTextField.data();
    knvt::holdKeyboardInField(textFields(), fallback, m_progressLabel);
    m_saveButton->setEnabled(false);
    m_avatarPickerButton->setEnabled(false);
    m_request->start(knvt::accountDetailsURLRequest(knvt::taskStore(m_store), m_sentUser));
}

void KNVTAccountDetailsWindowController::requestDidFinish(const std::optional<knvt::HttpResponse> &response,
                                                          const QByteArray &body, const knvt::Error &error)
{
    if (!response || error) {
        endRequest(tr("Unable to update account details as the connection failed."));
        return;
    }
    if (response->statusCode() != 200) {
        knvt::RejectionTexts texts;
        texts.maintenance = tr("We are currently unable to update your account details as the service is down for "
                               "maintenance. Please try again in a few minutes.");
        texts.generic = tr("Unable to update account details.");
        texts.usernameTaken = tr("Unable to update account detais as the username \"%1\" is already taken.");
        texts.emailTaken = tr("Unable to update account details as that email address \"%1\" is already associated "
                              "with an account.");
        endRequest(knvt::rejectionMessage(response->statusCode(), body, m_usernameTextField->text(),
                                          m_emailAddressTextField->text(), texts));
        return;
    }
    KNVTTaskStore &store = knvt::taskStore(m_store);
    if (KNVTCDUser *me = store.me()) {
        if (KNVTCDAvatar *avatar = me->avatar(); avatar && m_updatedAvatar)
            avatar->setImage(m_pickedAvatar);
    }
    // The texts that were sent, and only those, read back the way the service's own replies are.
    QJsonObject sent = m_sentUser;
    sent.remove(QStringLiteral("avatar_data"));
    store.updateWithUserAttributes(
        knvt::JSONDocument::fromJson(QJsonDocument(sent).toJson(QJsonDocument::Compact)).root());
    store.saveUserChanges();
    dismiss();
}

void KNVTAccountDetailsWindowController::endRequest(const QString &message)
{
    knvt::stopProgress(m_progressIndicator, m_progressLabel, message);
    m_avatarPickerButton->setEnabled(true);
    knvt::releaseFields(textFields(), m_progressLabel);
    controlTextDidChange();
}

void KNVTAccountDetailsWindowController::cancel()
{
    if (m_request->isRunning()) {
        m_request->cancel();
        endRequest(QString());
        return;
    }
    dismiss();
}

void KNVTAccountDetailsWindowController::dismiss()
{
    m_request->cancel();
    QDialog::reject();
}

void KNVTAccountDetailsWindowController::reject()
{
    cancel();
}
