#pragma once

#include "uikit/KNVTViewController.h"

#include <QPointer>
#include <QUrl>

class KNVTNotificationsModel;
class KNVTTaskStore;
namespace knvt {
class PaintedRowList;
}

// The content of the notifications popover: friendship invitations and invitations to projects and areas, each with
// accept and decline. An answer changes the store at once, and the row goes with the store's next change, which the
// list follows while it is open. With nothing pending the list says so. The answers are also the rows' actions for
// assistive technology and the keyboard (see knvt::PaintedRowList).
class KNVTNotificationsViewController : public KNVTViewController
{
    Q_OBJECT

public:
    // `store`: nullptr means the shared store.
    explicit KNVTNotificationsViewController(KNVTTaskStore *store = nullptr, QObject *parent = nullptr);
    ~KNVTNotificationsViewController() override;

    KNVTNotificationsModel *model() const { return m_model; }
    knvt::PaintedRowList *tableView();

    void updateCells();
    void reloadData();

    // The answers, for the row showing `uri`; a reference to anything else does nothing.
    void acceptFriendshipRequest(const QUrl &uri);
    void declineFriendshipRequest(const QUrl &uri);
    void acceptTaskListRequest(const QUrl &uri);
    void declineTaskListRequest(const QUrl &uri);

protected:
    void loadView() override;

private:
    void answerTaskList(const QUrl &uri, qint64 status);

    KNVTTaskStore *m_store;
    KNVTNotificationsModel *m_model;
    QPointer<knvt::PaintedRowList> m_tableView;
};
