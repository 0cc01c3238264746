#pragma once

#include "accounts/KNVTSignUpViewControllerDelegate.h"

#include "uikit/KNVTViewController.h"
#include "uikit/WeakDelegate.h"

#include "foundation/Error.h"
#include "service/HttpResponse.h"

#include <QJsonObject>
#include <QList>
#include <QPointer>

#include <optional>

class KNVTAccountRequest;
class KNVTImageView;
class KNVTProgressIndicator;
class KNVTTaskStore;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The form that creates an account with the sync service: names, user name, e-mail address, password twice, country,
// an optional picture, consent to the terms and a marketing opt-in. When the service creates the account the form
// signs in with it as the sign-in form does and tells its host; a refusal shows the service's reason in the message
// line. Sign Up is offered only while every field is acceptable, the terms are accepted and no request runs.
class KNVTSignUpViewController : public KNVTViewController
{
    Q_OBJECT

public:
    // `store`: the store to configure; nullptr means the shared store.
    explicit KNVTSignUpViewController(KNVTTaskStore *store = nullptr, QObject *parent = nullptr);
    ~KNVTSignUpViewController() override;

    KNVTSignUpViewControllerDelegate *signUpViewControllerDelegate() const { return m_delegate.get(); }
    void setSignUpViewControllerDelegate(KNVTSignUpViewControllerDelegate *delegate) { m_delegate.set(delegate); }

    bool isRunning() const;
    // The owner dictionary the next request would send.
    QJsonObject ownerAttributes();

public slots:
    void chooseAvatarImage();
    void termsAndConditions();
    void viewTermsAndConditions();
    void signUp();
    // Stops a running request; with none running reports Cancel to the delegate.
    void cancel();
    void update();
    void updateSignUpButton();

protected:
    void loadView() override;

private:
    // The six text fields, in the order they read.
    QList<QLineEdit *> textFields() const;
    // The controls besides the text fields, disabled while a request runs.
    void setInputsEnabled(bool enabled);
    void requestDidFinish(const std::optional<knvt::HttpResponse> &response, const QByteArray &body,
                          const knvt::Error &error);
    // Back to editing after a request ended without an account, with `message` in the line.
    void endRequest(const QString &message);

    KNVTTaskStore *m_store;
    knvt::WeakDelegate<KNVTSignUpViewControllerDelegate> m_delegate;
    KNVTAccountRequest *m_request;
    QString m_sentUsername;
    QString m_sentEmailAddress;
    QString m_sentPassword;
    // The field the user typed in last: where the keyboard waits while a request sent from a button runs.
    QPointer<QLineEdit> m_typedField;

    QPointer<QPushButton> m_avatarPickerButton;
    QPointer<KNVTImageView> m_avatarImageView;
    QPointer<QLineEdit> m_firstNameTextField;
    QPointer<QLineEdit> m_lastNameTextField;
    QPointer<QLineEdit> m_usernameTextField;
    QPointer<QLineEdit> m_emailAddressTextField;
    QPointer<QLineEdit> m_passwordSecureTextField;
    QPointer<QLineEdit> m_passwordConfirmationSecureTextField;
    QPointer<QCheckBox> m_termsAndConditionsCheckBoxButton;
    QPointer<QCheckBox> m_marketingCheckBoxButton;
    QPointer<QPushButton> m_viewTermsAndConditionsButton;
    QPointer<QComboBox> m_locationPopUpButton;
    QPointer<KNVTProgressIndicator> m_progressIndicator;
    QPointer<QLabel> m_progressLabel;
    QPointer<QPushButton> m_signUpButton;
    QPointer<QPushButton> m_cancelButton;
};
