#include "accounts/KNVTUsersViewController.h"

#include "accounts/KNVTUsersModel.h"
#include "accounts/PaintedRowList.h"
#include "accounts/RowPainting.h"

#include "model/ContextAdditions.h"
#include "model/KNVTCDUser.h"

#include <QListView>
#include <QVBoxLayout>

#include <algorithm>

KNVTUsersViewController::KNVTUsersViewController(KNVTTaskStore *store, QObject *parent)
    : KNVTViewController(parent), m_model(new KNVTUsersModel(store, this))
{}

KNVTUsersViewController::~KNVTUsersViewController() = default;

QListView *KNVTUsersViewController::tableView()
{
    view();
    return m_tableView;
}

void KNVTUsersViewController::loadView()
{
    auto *view = new QWidget;
    view->setObjectName(QStringLiteral("KNVTUsersViewController"));
    m_tableView = knvt::makePeopleListView(m_model, false);
    m_tableView->setAccessibleName(tr("People"));
    m_tableView->setFrameShape(QFrame::NoFrame);
    auto *layout = new QVBoxLayout(view);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_tableView);
    connect(m_tableView->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (KNVTUsersViewControllerDelegate *delegate = m_delegate.get())
            delegate->usersViewControllerSelectionDidChange(this);
    });
    setView(view);
}

void KNVTUsersViewController::setUsers(const std::vector<KNVTCDUser *> &users)
{
    m_model->setUsers(users);
}

void KNVTUsersViewController::updateUsers(const std::vector<KNVTCDUser *> &users, const ostore::ChangeSet &changes)
{
    m_model->updateUsers(users, changes);
}

KNVTCDUser *KNVTUsersViewController::selectedUser()
{
    QModelIndexList selected = tableView()->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return nullptr;
    const auto first = std::min_element(selected.cbegin(), selected.cend(),
                                        [](const QModelIndex &a, const QModelIndex &b) { return a.row() < b.row(); });
    return m_model->userAtRow(first->row());
}

void KNVTUsersViewController::setSelectedUser(const KNVTCDUser *user)
{
    if (!user)
        return;
    const int row = m_model->rowOfUser(user);
    if (row < 0)
        return;
    const QModelIndex index = m_model->index(row);
    tableView()->selectionModel()->select(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    tableView()->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    tableView()->scrollTo(index);
}
