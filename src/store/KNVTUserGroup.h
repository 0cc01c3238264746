#pragma once

#include "store/KNVTUserGroupType.h"

#include <QString>

#include <vector>

class KNVTCDUser;
class KNVTTaskStoreQueries;

// One row of the people window's list of groups: a kind of group, its name, and the users it holds, asked of the
// task store at every call so that a changed friendship moves a user between groups without a new group object.
// Main thread only.
class KNVTUserGroup
{
public:
    // `store` answers the queries; nullptr means the shared task store. A type above Pending has no name and no
    // users.
    explicit KNVTUserGroup(KNVTUserGroupType type, KNVTTaskStoreQueries *store = nullptr);

    KNVTUserGroupType type() const { return m_type; }
    const QString &localizedDisplayName() const { return m_localizedDisplayName; }
    // Unsorted.
    std::vector<KNVTCDUser *> users() const;

private:
    KNVTUserGroupType m_type;
    QString m_localizedDisplayName;
    KNVTTaskStoreQueries *m_store;
};
