#include "accounts/KNVTNotificationsViewController.h"

#include "accounts/KNVTNotificationRowDelegate.h"
#include "accounts/KNVTNotificationsModel.h"
#include "accounts/PaintedRowList.h"
#include "accounts/RowPainting.h"
#include "accounts/TaskStoreReference.h"

#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDUser.h"
#include "model/KNVTTaskListCollaboratorStatus.h"

#include "uikit/ItemDataRole.h"
#include "uikit/TableViewAdditions.h"

#include "foundation/NotificationCenter.h"

#include <QVBoxLayout>

KNVTNotificationsViewController::KNVTNotificationsViewController(KNVTTaskStore *store, QObject *parent)
    : KNVTViewController(parent), m_store(store), m_model(new KNVTNotificationsModel(store, this))
{}

KNVTNotificationsViewController::~KNVTNotificationsViewController()
{
    knvt::NotificationCenter::defaultCenter().removeObservers(this);
}

knvt::PaintedRowList *KNVTNotificationsViewController::tableView()
{
    view();
    return m_tableView;
}

void KNVTNotificationsViewController::loadView()
{
    auto *view = new QWidget;
    view->setObjectName(QStringLiteral("KNVTNotificationsViewController"));
    view->setAccessibleName(tr("Notifications"));
    auto *delegate = new KNVTNotificationRowDelegate;
    m_tableView = knvt::makeRowList(m_model, delegate);
    m_tableView->setAccessibleName(tr("Notifications"));
    m_tableView->setProperty("rowHeight", KNVTNotificationRowDelegate::itemRowHeight);
    connect(delegate, &KNVTNotificationRowDelegate::buttonClicked, m_tableView.data(),
            &knvt::PaintedRowList::triggerRowAction);
    connect(m_tableView, &knvt::PaintedRowList::rowActionTriggered, this, [this](const QModelIndex &index, int button) {
        const QUrl uri = index.data(knvt::ObjectUriRole).toUrl();
        const auto kind = KNVTNotificationsModel::RowKind(index.data(KNVTNotificationsModel::RowKindRole).toInt());
        const bool accept = button == KNVTNotificationRowDelegate::AcceptButton;
        if (kind == KNVTNotificationsModel::RowKind::Friendship)
            accept ? acceptFriendshipRequest(uri) : declineFriendshipRequest(uri);
        else if (kind == KNVTNotificationsModel::RowKind::TaskList)
            accept ? acceptTaskListRequest(uri) : declineTaskListRequest(uri);
    });
    auto *layout = new QVBoxLayout(view);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_tableView);
    view->resize(340, 320);
    view->setMinimumSize(320, 260);
    setView(view);

    // The empty-list text waits for the first change: on opening the list only fills its rows.
    updateCells();
    knvt::NotificationCenter::defaultCenter().addObserver(QString::fromLatin1(KNVTTaskStoreDidChangeNotification),
                                                          nullptr, this,
                                                          [this](const knvt::Notification &) { reloadData(); });
}

void KNVTNotificationsViewController::updateCells()
{
    m_model->updateCells();
}

void KNVTNotificationsViewController::reloadData()
{
    updateCells();
    if (m_tableView)
        knvt::setLabelText(m_tableView, m_model->rowCount() == 0 ? tr("No Notifications") : QString());
}

void KNVTNotificationsViewController::acceptFriendshipRequest(const QUrl &uri)
{
    KNVTTaskStore &store = knvt::taskStore(m_store);
    if (auto *user = dynamic_cast<KNVTCDUser *>(store.objectForURI(uri))) {
        store.acceptFriendshipInviteFromUser(user);
        store.saveLater(knvt::Opener::User);
    }
}

void KNVTNotificationsViewController::declineFriendshipRequest(const QUrl &uri)
{
    KNVTTaskStore &store = knvt::taskStore(m_store);
    if (auto *user = dynamic_cast<KNVTCDUser *>(store.objectForURI(uri))) {
        store.declineFriendshipInviteFromUser(user);
        store.saveLater(knvt::Opener::User);
    }
}

void KNVTNotificationsViewController::acceptTaskListRequest(const QUrl &uri)
{
    answerTaskList(uri, KNVTTaskListCollaboratorStatusAccepted);
}

void KNVTNotificationsViewController::declineTaskListRequest(const QUrl &uri)
{
    answerTaskList(uri, KNVTTaskListCollaboratorStatusDeclined);
}

void KNVTNotificationsViewController::answerTaskList(const QUrl &uri, qint64 status)
{
    KNVTTaskStore &store = knvt::taskStore(m_store);
    if (auto *taskList = dynamic_cast<KNVTCDTaskList *>(store.objectForURI(uri))) {
        taskList->setTaskListCollaboratorStatus(status);
        store.saveLater(knvt::Opener::User);
    }
}
