#pragma once

#include "app/KNVTHomeItem.h"

#include "model/KNVTFocusType.h"

#include <QHashFunctions>
#include <QUrl>

class KNVTCDTag;
class KNVTCDTaskList;

namespace knvt {

// One row under a section of the home list: a focus list (by type), a project or area or a tag (by its URI), or the
// home item. Entries compare as the user sees them: a rebuilt focus list equals the old one of its type, a list is the
// same list again after a rebuild, the item matches by identifier.
struct HomeEntry
{
    enum class Kind { FocusList, TaskList, Item, Tag };

    Kind kind = Kind::FocusList;
    KNVTFocusType focusType = KNVTFocusTypeInbox;
    QUrl uri;
    KNVTHomeItem item;

    static HomeEntry focusList(KNVTFocusType focusType);
    static HomeEntry taskList(const KNVTCDTaskList &taskList);
    static HomeEntry homeItem(const KNVTHomeItem &item);
    static HomeEntry tag(const KNVTCDTag &tag);

    bool operator==(const HomeEntry &other) const;
};

size_t qHash(const HomeEntry &entry, size_t seed = 0);

} // namespace knvt
