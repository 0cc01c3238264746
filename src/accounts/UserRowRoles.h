#pragma once

#include "uikit/ItemDataRole.h"

namespace knvt {

// The roles of the people lists' models, read by KNVTUserRowDelegate. Qt::DisplayRole is the name the row stands for
// and Qt::CheckStateRole, where a list has check boxes, whether the person is chosen.
enum UserRowRole : int {
    UserFullNameRole = ObjectUriRole + 100,
    UserUsernameRole,
    UserInitialsRole,
    UserIsMeRole,
    UserAvatarImageRole,
};

} // namespace knvt
