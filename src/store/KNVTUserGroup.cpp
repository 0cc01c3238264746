#include "store/KNVTUserGroup.h"

#include "store/KNVTTaskStore.h"
#include "store/KNVTTaskStoreQueries.h"

#include <QCoreApplication>

namespace {

QString nameForType(KNVTUserGroupType type)
{
    switch (type) {
    case KNVTUserGroupTypeAll: return QCoreApplication::translate("KNVTUserGroup", "All");
    case KNVTUserGroupTypeCollaborators: return QCoreApplication::translate("KNVTUserGroup", "Collaborators");
    case KNVTUserGroupTypeFriends: return QCoreApplication::translate("KNVTUserGroup", "Friends");
    case KNVTUserGroupTypeInvited: return QCoreApplication::translate("KNVTUserGroup", "Invited");
    case KNVTUserGroupTypePending: return QCoreApplication::translate("KNVTUserGroup", "Pending");
    }
    return QString();
}

} // namespace

KNVTUserGroup::KNVTUserGroup(KNVTUserGroupType type, KNVTTaskStoreQueries *store)
    : m_type(type), m_localizedDisplayName(nameForType(type)), m_store(store)
{}

std::vector<KNVTCDUser *> KNVTUserGroup::users() const
{
    KNVTTaskStoreQueries &store = m_store ? *m_store : *KNVTTaskStore::defaultTaskStore();
    switch (m_type) {
    case KNVTUserGroupTypeAll: return store.users();
    case KNVTUserGroupTypeCollaborators: return store.taskListCollaboratorUsers();
    case KNVTUserGroupTypeFriends: return store.friends();
    case KNVTUserGroupTypeInvited: return store.invitedFriends();
    case KNVTUserGroupTypePending: return store.pendingFriends();
    }
    return {};
}
