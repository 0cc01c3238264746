#include "accounts/KNVTUserGroupsViewController.h"

#include "store/KNVTTaskStore.h"

#include <QListView>
#include <QStringListModel>
#include <QVBoxLayout>

KNVTUserGroupsViewController::KNVTUserGroupsViewController(KNVTTaskStore *store, QObject *parent)
    : KNVTViewController(parent), m_model(new QStringListModel(this))
{
    // Invited is a group of its own in the store, but the window does not offer it.
    for (const KNVTUserGroupType type :
         {KNVTUserGroupTypeAll, KNVTUserGroupTypeCollaborators, KNVTUserGroupTypeFriends, KNVTUserGroupTypePending}) {
        m_userGroups.emplace_back(type, store);
    }
    QStringList names;
    for (const KNVTUserGroup &group : m_userGroups)
        names.append(group.localizedDisplayName());
    m_model->setStringList(names);
}

KNVTUserGroupsViewController::~KNVTUserGroupsViewController() = default;

QListView *KNVTUserGroupsViewController::tableView()
{
    view();
    return m_tableView;
}

void KNVTUserGroupsViewController::loadView()
{
    auto *view = new QWidget;
    view->setObjectName(QStringLiteral("KNVTUserGroupsViewController"));
    m_tableView = new QListView;
    m_tableView->setObjectName(QStringLiteral("tableView"));
    m_tableView->setAccessibleName(tr("Groups"));
    m_tableView->setModel(m_model);
    m_tableView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tableView->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tableView->setFrameShape(QFrame::NoFrame);
    // A side bar: the window's colour rather than the lists' base, whatever the theme.
    m_tableView->viewport()->setBackgroundRole(QPalette::Window);
    m_tableView->setStyleSheet(QStringLiteral("QListView::item { padding: 4px 10px; }"));
    auto *layout = new QVBoxLayout(view);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_tableView);
    m_tableView->setCurrentIndex(m_model->index(0));
    connect(m_tableView->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (KNVTUserGroupsViewControllerDelegate *delegate = m_delegate.get())
            delegate->userGroupsViewControllerSelectionDidChange(this);
    });
    setView(view);
}

const KNVTUserGroup *KNVTUserGroupsViewController::selectedUserGroup()
{
    const QModelIndexList selected = tableView()->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return nullptr;
    const int row = selected.first().row();
    return row >= 0 && size_t(row) < m_userGroups.size() ? &m_userGroups[size_t(row)] : nullptr;
}

void KNVTUserGroupsViewController::selectUserGroupAtIndex(int index)
{
    tableView()->setCurrentIndex(m_model->index(index));
}
