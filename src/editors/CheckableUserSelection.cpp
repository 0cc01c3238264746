#include "editors/CheckableUserSelection.h"

#include "editors/EditorObjects.h"
#include "editors/KNVTUserSelectionFactory.h"

#include "model/KNVTCDUser.h"

#include <QStandardItemModel>

namespace knvt {

CheckableUserSelection::CheckableUserSelection(KNVTUserSelectionDelegate *delegate, QWidget *parent)
    : QListView(parent), m_delegate(delegate), m_model(new QStandardItemModel(this))
{
    setObjectName(QStringLiteral("userSelectionView"));
    setModel(m_model);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    connect(m_model, &QStandardItemModel::itemChanged, this, &CheckableUserSelection::itemChanged);
}

void CheckableUserSelection::setUsers(const std::vector<KNVTCDUser *> &users)
{
    m_users = urisOfObjects(users);
    reload();
}

void CheckableUserSelection::setSelectedUsers(const std::vector<KNVTCDUser *> &users)
{
    m_selected = urisOfObjects(users);
    reload();
}

std::vector<KNVTCDUser *> CheckableUserSelection::selectedUsers() const
{
    return liveObjects<KNVTCDUser>(m_selected);
}

void CheckableUserSelection::reload()
{
    m_reloading = true;
    m_model->clear();
    for (const QUrl &uri : std::as_const(m_users)) {
        const KNVTCDUser *user = liveObject<KNVTCDUser>(uri);
        if (!user)
            continue;
        auto *item = new QStandardItem(user->extendedDisplayName());
        item->setData(uri, Qt::UserRole);
        item->setCheckable(true);
        item->setCheckState(m_selected.contains(uri) ? Qt::Checked : Qt::Unchecked);
        m_model->appendRow(item);
    }
    m_reloading = false;
}

void CheckableUserSelection::setRowChecked(int row, bool checked)
{
    if (QStandardItem *item = m_model->item(row))
        item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

void CheckableUserSelection::itemChanged(QStandardItem *item)
{
    if (m_reloading)
        return;
    const QUrl uri = item->data(Qt::UserRole).toUrl();
    KNVTCDUser *user = liveObject<KNVTCDUser>(uri);
    if (!user)
        return;
    if (item->checkState() == Qt::Checked) {
        if (!m_selected.contains(uri))
            m_selected.append(uri);
        if (m_delegate)
            m_delegate->userSelectionDidSelectUser(this, user);
    } else {
        m_selected.removeAll(uri);
        if (m_delegate)
            m_delegate->userSelectionDidDeselectUser(this, user);
    }
}

QSize CheckableUserSelection::sizeHint() const
{
    return QSize(240, 160);
}

namespace {

class CheckableUserSelectionFactory final : public KNVTUserSelectionFactory
{
public:
    KNVTUserSelection *makeUserSelection(const std::vector<KNVTCDUser *> &users,
                                         const std::vector<KNVTCDUser *> &selectedUsers,
                                         KNVTUserSelectionDelegate *delegate) override
    {
        auto *list = new CheckableUserSelection(delegate);
        list->setUsers(users);
        list->setSelectedUsers(selectedUsers);
        return list;
    }
};

KNVTUserSelectionFactory *&installedFactory()
{
    static KNVTUserSelectionFactory *factory = nullptr;
    return factory;
}

} // namespace

} // namespace knvt

KNVTUserSelectionFactory &KNVTUserSelectionFactory::shared()
{
    static knvt::CheckableUserSelectionFactory checkable;
    KNVTUserSelectionFactory *installed = knvt::installedFactory();
    return installed ? *installed : checkable;
}

void KNVTUserSelectionFactory::setShared(KNVTUserSelectionFactory *factory)
{
    knvt::installedFactory() = factory;
}
