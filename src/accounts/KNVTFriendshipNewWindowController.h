#pragma once

#include "model/KNVTUserFriendshipStatus.h"

#include "foundation/Error.h"

#include <QDialog>
#include <QPointer>

class KNVTProgressIndicator;
class KNVTTaskStore;
class KNVTTextField;
class QLabel;
class QPushButton;

// The sheet on the people window that invites a person by user name. The task store sends the invitation and keeps
// the friendship the service answers with; the sheet shows on one line what that answer means (invited, already
// friends, or an invitation of theirs that waits in Notifications) and stays open for the next invitation until
// Cancel. While an invitation is on its way nothing in the sheet can be used.
class KNVTFriendshipNewWindowController : public QDialog
{
    Q_OBJECT

public:
    // `store`: nullptr means the shared store.
    explicit KNVTFriendshipNewWindowController(KNVTTaskStore *store = nullptr, QWidget *parent = nullptr);
    ~KNVTFriendshipNewWindowController() override;

    bool isRunning() const { return m_running; }

public slots:
    void add();
    void cancel();
    void dismiss();
    void reject() override;

private:
    void controlTextDidChange();
    void invitationDidFinish(const QString &username, bool success, const knvt::Error &requestError,
                             const knvt::Error &error);

    KNVTTaskStore *m_store;
    bool m_running = false;
    // Where the user and the person invited stood before the invitation went out.
    KNVTUserFriendshipStatus m_standingBefore = KNVTUserFriendshipStatusNone;
    QPointer<KNVTTextField> m_usernameTextField;
    QPointer<KNVTProgressIndicator> m_progressIndicator;
    QPointer<QLabel> m_progressLabel;
    QPointer<QPushButton> m_addButton;
    QPointer<QPushButton> m_cancelButton;
};
