#pragma once

#include "foundation/Error.h"
#include "service/HttpResponse.h"

#include <QDialog>
#include <QImage>
#include <QJsonObject>
#include <QList>
#include <QPointer>

#include <optional>

class KNVTAccountRequest;
class KNVTImageView;
class KNVTProgressIndicator;
class KNVTTaskStore;
class QLabel;
class QLineEdit;
class QPushButton;

// The sheet on the Account pane that changes the signed-in user's names, e-mail address and picture at the sync
// service, and on success applies them to the local user at once. Save without a change just closes the sheet. The
// picture is sent only when one was chosen in this sheet: what the sheet shows is the small thumbnail, which must
// never replace the full picture, and an avatar not downloaded yet must not read as "no picture".
//
// A change is what the user did to a field since the sheet loaded it, not a difference from the local user as it is
// at Save: a sync may change the user while the sheet is open, and only the fields the user changed are sent and
// written, so what arrived meanwhile in the others stays, here and at the service.
class KNVTAccountDetailsWindowController : public QDialog
{
    Q_OBJECT

public:
    // `store`: nullptr means the shared store.
    explicit KNVTAccountDetailsWindowController(KNVTTaskStore *store = nullptr, QWidget *parent = nullptr);
    ~KNVTAccountDetailsWindowController() override;

    bool isRunning() const;
    // A picture was chosen in this sheet.
    bool updatedAvatar() const { return m_updatedAvatar; }
    // The user dictionary the next request would send: the fields changed since the sheet loaded them, and the
    // chosen picture.
    QJsonObject userAttributes() const;

public slots:
    void save();
    // Stops a running request, or closes the sheet.
    void cancel();
    void dismiss();
    void chooseAvatarImage();
    void reject() override;

private:
    void controlTextDidChange();
    bool hasChanges() const;
    // The fields the user edits, in the order they read.
    QList<QLineEdit *> textFields() const;
    void requestDidFinish(const std::optional<knvt::HttpResponse> &response, const QByteArray &body,
                          const knvt::Error &error);
    void endRequest(const QString &message);

    KNVTTaskStore *m_store;
    KNVTAccountRequest *m_request;
    bool m_updatedAvatar = false;
    QImage m_pickedAvatar;
    // The texts the sheet loaded from the local user.
    QString m_loadedFirstName;
    QString m_loadedLastName;
    QString m_loadedEmailAddress;
    // The user dictionary of the running request.
    QJsonObject m_sentUser;
    // The field the user typed in last: where the keyboard waits while a request sent from a button runs.
    QPointer<QLineEdit> m_typedField;

    QPointer<KNVTImageView> m_avatarImageView;
    QPointer<QPushButton> m_avatarPickerButton;
    QPointer<QLineEdit> m_usernameTextField;
    QPointer<QLineEdit> m_emailAddressTextField;
    QPointer<QLineEdit> m_firstNameTextField;
    QPointer<QLineEdit> m_lastNameTextField;
    QPointer<KNVTProgressIndicator> m_progressIndicator;
    QPointer<QLabel> m_progressLabel;
    QPointer<QPushButton> m_saveButton;
    QPointer<QPushButton> m_cancelButton;
};
