#include "accounts/KNVTSignUpViewController.h"

#include "accounts/AccountService.h"
#include "accounts/CountryList.h"
#include "accounts/FormWidgets.h"
#include "accounts/ImagePicker.h"
#include "accounts/KNVTAccountRequest.h"
#include "accounts/TaskStoreReference.h"

#include "uikit/ImageAdditions.h"
#include "uikit/KNVTImageView.h"
#include "uikit/KNVTProgressIndicator.h"
#include "uikit/PasswordField.h"

#include "foundation/KNVTEmailAddressFormatter.h"
#include "foundation/KNVTPasswordFormatter.h"
#include "foundation/KNVTUsernameFormatter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

namespace {

bool hasLengthWithinBounds(const QString &text)
{
    return text.size() >= 6 && text.size() <= 32;
}

QLineEdit *makeField(const char *objectName, QValidator *validator, bool secure = false)
{
    QLineEdit *field = secure ? new knvt::PasswordField : new QLineEdit;
    field->setObjectName(QString::fromLatin1(objectName));
    if (validator) {
        validator->setParent(field);
        field->setValidator(validator);
    }
    return field;
}

} // namespace

KNVTSignUpViewController::KNVTSignUpViewController(KNVTTaskStore *store, QObject *parent)
    : KNVTViewController(parent),
      m_store(store),
      m_request(new KNVTAccountRequest(this,
                                       [this](const std::optional<knvt::HttpResponse> &response, const QByteArray &body,
                                              const knvt::Error &error) { requestDidFinish(response, body, error); }))
{}

KNVTSignUpViewController::~KNVTSignUpViewController() = default;

bool KNVTSignUpViewController::isRunning() const
{
    return m_request->isRunning();
}

void KNVTSignUpViewController::loadView()
{
    auto *view = new QWidget;
    view->setObjectName(QStringLiteral("KNVTSignUpViewController"));
    view->setAccessibleName(tr("Create Account"));

    const knvt::AvatarPicker picker = knvt::makeAvatarPicker();
    m_avatarImageView = picker.imageView;
    m_avatarPickerButton = picker.button;

    m_firstNameTextField = makeField("firstNameTextField", nullptr);
    m_lastNameTextField = makeField("lastNameTextField", nullptr);
    m_usernameTextField = makeField("usernameTextField", new KNVTUsernameFormatter);
    m_emailAddressTextField = makeField("emailAddressTextField", new KNVTEmailAddressFormatter);
    m_passwordSecureTextField = makeField("passwordSecureTextField", new KNVTPasswordFormatter, true);
    m_passwordConfirmationSecureTextField =
        makeField("passwordConfirmationSecureTextField", new KNVTPasswordFormatter, true);
    m_usernameTextField->setPlaceholderText(tr("6 to 32 letters and digits"));
    m_passwordSecureTextField->setPlaceholderText(tr("6 to 32 characters"));

    m_locationPopUpButton = new QComboBox;
    m_locationPopUpButton->setObjectName(QStringLiteral("locationPopUpButton"));
    const QString currentCode = knvt::currentCountryCode();
    for (const knvt::Country &country : knvt::countries()) {
        m_locationPopUpButton->addItem(country.name, country.code);
        if (country.code == currentCode)
            m_locationPopUpButton->setCurrentIndex(m_locationPopUpButton->count() - 1);
    }

    m_termsAndConditionsCheckBoxButton = new QCheckBox(tr("I agree to the terms and conditions"));
    m_termsAndConditionsCheckBoxButton->setObjectName(QStringLiteral("termsAndConditionsCheckBoxButton"));
    m_viewTermsAndConditionsButton = knvt::makeButton(tr("View Terms..."), "viewTermsAndConditionsButton");
    m_viewTermsAndConditionsButton->setFlat(true);
    m_marketingCheckBoxButton = new QCheckBox(tr("Send me news about Quillvane"));
    m_marketingCheckBoxButton->setObjectName(QStringLiteral("marketingCheckBoxButton"));

    m_progressIndicator = knvt::makeProgressIndicator();
    m_progressLabel = knvt::makeProgressLabel();
    m_cancelButton = knvt::makeButton(tr("Cancel"), "cancelButton");
    m_signUpButton = knvt::makeButton(tr("Sign Up"), "signUpButton");
    m_signUpButton->setEnabled(false);

    auto *fields = new QFormLayout;
    fields->addRow(tr("First Name:"), m_firstNameTextField);
    fields->addRow(tr("Last Name:"), m_lastNameTextField);
    fields->addRow(tr("Username:"), m_usernameTextField);
    fields->addRow(tr("Email:"), m_emailAddressTextField);
    fields->addRow(tr("Password:"), m_passwordSecureTextField);
    fields->addRow(tr("Confirm Password:"), m_passwordConfirmationSecureTextField);
    fields->addRow(tr("Country:"), m_locationPopUpButton);
    auto *terms = new QHBoxLayout;
    terms->addWidget(m_termsAndConditionsCheckBoxButton);
    terms->addWidget(m_viewTermsAndConditionsButton);
    terms->addStretch(1);
    fields->addRow(QString(), terms);
    fields->addRow(QString(), m_marketingCheckBoxButton);

    auto *top = new QHBoxLayout;
    top->addLayout(picker.layout);
    top->addLayout(fields, 1);

    QHBoxLayout *progress = knvt::makeProgressRow(m_progressIndicator, m_progressLabel);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cancelButton);
    buttons->addWidget(m_signUpButton);

    auto *layout = new QVBoxLayout(view);
    layout->addLayout(top);
    layout->addLayout(progress);
    layout->addStretch(1);
    layout->addLayout(buttons);

    for (QLineEdit *field : textFields()) {
        connect(field, &QLineEdit::textChanged, this, &KNVTSignUpViewController::updateSignUpButton);
        connect(field, &QLineEdit::textEdited, this, [this, field] { m_typedField = field; });
        // Return in a field signs up whenever the button could be clicked, as it signs in on the sign-in page.
        connect(field, &QLineEdit::returnPressed, this, [this] {
            if (m_signUpButton->isEnabled())
                signUp();
        });
    }
    connect(m_termsAndConditionsCheckBoxButton, &QCheckBox::clicked, this,
            &KNVTSignUpViewController::termsAndConditions);
    connect(m_viewTermsAndConditionsButton, &QPushButton::clicked, this,
            &KNVTSignUpViewController::viewTermsAndConditions);
    connect(m_avatarPickerButton, &QPushButton::clicked, this, &KNVTSignUpViewController::chooseAvatarImage);
    connect(m_signUpButton, &QPushButton::clicked, this, &KNVTSignUpViewController::signUp);
    connect(m_cancelButton, &QPushButton::clicked, this, &KNVTSignUpViewController::cancel);
    knvt::setTabOrder({m_avatarPickerButton, m_firstNameTextField, m_lastNameTextField, m_usernameTextField,
                       m_emailAddressTextField, m_passwordSecureTextField, m_passwordConfirmationSecureTextField,
                       m_locationPopUpButton, m_termsAndConditionsCheckBoxButton, m_viewTermsAndConditionsButton,
                       m_marketingCheckBoxButton, m_cancelButton, m_signUpButton});
    knvt::cancelOnEscape(view, this, &KNVTSignUpViewController::cancel);
    setView(view);
}

void KNVTSignUpViewController::update()
{
    updateSignUpButton();
}

void KNVTSignUpViewController::termsAndConditions()
{
    updateSignUpButton();
}

void KNVTSignUpViewController::updateSignUpButton()
{
    view();
    // One request at a time: the terms box stays clickable while a request runs, and must not offer a second one.
    const bool acceptable = !m_request->isRunning() && !m_firstNameTextField->text().isEmpty()
        && !m_lastNameTextField->text().isEmpty() && hasLengthWithinBounds(m_usernameTextField->text())
        && !m_emailAddressTextField->text().isEmpty() && hasLengthWithinBounds(m_passwordSecureTextField->text())
        && hasLengthWithinBounds(m_passwordConfirmationSecureTextField->text())
        && m_passwordSecureTextField->text() == m_passwordConfirmationSecureTextField->text()
        && m_termsAndConditionsCheckBoxButton->isChecked();
    m_signUpButton->setEnabled(acceptable);
}

void KNVTSignUpViewController::chooseAvatarImage()
{
    QPointer<KNVTImageView> imageView = m_avatarImageView;
    QPointer<KNVTProgressIndicator> indicator = m_progressIndicator;
    QPointer<QLabel> label = m_progressLabel;
    knvt::ImagePicker::shared().pickImage(
        view(), [imageView, indicator, label](const QImage &image, const QString &fileName) {
            if (!imageView || !indicator || !label)
                return;
            if (image.isNull()) {
                knvt::stopProgress(indicator, label, knvt::ImagePicker::notAPictureMessage(fileName));
                knvt::announceMessage(label);
            } else {
                imageView->setImage(image);
            }
        });
}

void KNVTSignUpViewController::viewTermsAndConditions()
{
    if (KNVTSignUpViewControllerDelegate *delegate = m_delegate.get())
        delegate->signUpViewControllerDidSelectTermsAndConditions(this);
}

QJsonObject KNVTSignUpViewController::ownerAttributes()
{
    view();
    QJsonObject owner{
        {QStringLiteral("first_name"), m_firstNameTextField->text()},
        {QStringLiteral("last_name"), m_lastNameTextField->text()},
        {QStringLiteral("username"), m_usernameTextField->text()},
        {QStringLiteral("email"), m_emailAddressTextField->text()},
        {QStringLiteral("password"), m_passwordSecureTextField->text()},
        {QStringLiteral("password_confirmation"), m_passwordConfirmationSecureTextField->text()},
        {QStringLiteral("country_code"), m_locationPopUpButton->currentData().toString()},
        {QStringLiteral("receive_marketing_information"), m_marketingCheckBoxButton->isChecked()},
    };
    const QString avatar = knvt::base64EncodedPNG(m_avatarImageView->image());
    if (!avatar.isEmpty())
        owner.insert(QStringLiteral("avatar_data"), avatar);
    return owner;
}

QList<QLineEdit *> KNVTSignUpViewController::textFields() const
{
    return {m_firstNameTextField,    m_lastNameTextField,       m_usernameTextField,
            m_emailAddressTextField, m_passwordSecureTextField, m_passwordConfirmationSecureTextField};
}

void KNVTSignUpViewController::setInputsEnabled(bool enabled)
{
    // The text fields wait for the answer as knvt::holdKeyboardInField leaves them.
    for (QWidget *widget :
         std::initializer_list<QWidget *>{m_avatarPickerButton, m_locationPopUpButton, m_cancelButton}) {
        widget->setEnabled(enabled);
    }
}

void KNVTSignUpViewController::signUp()
{
    view();
    if (m_request->isRunning())
        return;
    if (const QString refused = knvt::refusedServiceAddressMessage(); !refused.isEmpty()) {
        knvt::stopProgress(m_progressIndicator, m_progressLabel, refused);
        knvt::announceMessage(m_progressLabel);
        return;
    }
    const QJsonObject owner = ownerAttributes();
    m_sentUsername = m_usernameTextField->text();
    m_sentEmailAddress = m_emailAddressTextField->text();
    m_sentPassword = m_passwordSecureTextField->text();
    knvt::startProgress(m_progressIndicator, m_progressLabel, tr("Creating account..."));
    knvt::holdKeyboardInField(textFields(), m_typedField ? m_typedField.data() : m_firstNameTextField.data(),
                              m_progressLabel);
    setInputsEnabled(false);
    m_request->start(knvt::signUpURLRequest(owner));
    updateSignUpButton();
}

void KNVTSignUpViewController::requestDidFinish(const std::optional<knvt::HttpResponse> &response,
                                                const QByteArray &body, const knvt::Error &error)
{
    const QString username = std::exchange(m_sentUsername, QString());
    const QString emailAddress = std::exchange(m_sentEmailAddress, QString());
    const QString password = std::exchange(m_sentPassword, QString());
    if (!response || error) {
        endRequest(tr("Unable to create account as the connection failed."));
        return;
    }
    const int status = response->statusCode();
    if (status == 200 || status == 202) {
        if (const std::optional<knvt::JSONDocument> account = knvt::accountWithOwner(body)) {
            // The host closes the form; until then it keeps showing the request, or that the keyring refused the
            // password, which the reader is taken to as the sign-in form does.
            if (const knvt::Error keychainError =
                    knvt::configureAccount(knvt::taskStore(m_store), *account, password)) {
                knvt::stopProgress(m_progressIndicator, m_progressLabel, knvt::passwordNotStoredMessage(keychainError));
                knvt::focusMessage(m_progressLabel);
            }
            if (KNVTSignUpViewControllerDelegate *delegate = m_delegate.get())
                delegate->signUpViewControllerDidSuccessfullySignUp(this);
            return;
        }
        // Accepted without the account: nothing to sign in with, and the form would otherwise stay busy.
        endRequest(tr("Unable to create account."));
        return;
    }
    knvt::RejectionTexts texts;
    texts.maintenance = tr("We are currently unable to create new accounts as the service is down for maintenance. "
                           "Please try again in a few minutes.");
    texts.generic = tr("Unable to create account.");
    texts.usernameTaken = tr("Unable to create an account as the username \"%1\" is already taken.");
    texts.usernameInvalid = tr("Unable to create an account as the username \"%1\" is invalid.");
    texts.emailTaken = tr("Unable to create an account as that email address \"%1\" is already associated with an "
                          "account.");
    texts.emailInvalid = tr("Unable to create an account as the email address \"%1\" is invalid.");
    endRequest(knvt::rejectionMessage(status, body, username, emailAddress, texts));
}

void KNVTSignUpViewController::endRequest(const QString &message)
{
    knvt::stopProgress(m_progressIndicator, m_progressLabel, message);
    setInputsEnabled(true);
    knvt::releaseFields(textFields(), m_progressLabel);
    updateSignUpButton();
}

void KNVTSignUpViewController::cancel()
{
    view();
    if (m_request->isRunning()) {
        m_request->cancel();
        m_sentUsername.clear();
        m_sentEmailAddress.clear();
        m_sentPassword.clear();
        endRequest(QString());
        return;
    }
    if (KNVTSignUpViewControllerDelegate *delegate = m_delegate.get())
        delegate->signUpViewControllerDidCancel(this);
}
