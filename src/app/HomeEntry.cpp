#include "app/HomeEntry.h"

#include "model/KNVTCDTag.h"
#include "model/KNVTCDTaskList.h"

namespace knvt {

HomeEntry HomeEntry::focusList(KNVTFocusType focusType)
{
    HomeEntry entry;
    entry.kind = Kind::FocusList;
    entry.focusType = focusType;
    return entry;
}

HomeEntry HomeEntry::taskList(const KNVTCDTaskList &taskList)
{
    HomeEntry entry;
    entry.kind = Kind::TaskList;
    entry.uri = taskList.uri();
    return entry;
}

HomeEntry HomeEntry::homeItem(const KNVTHomeItem &item)
{
    HomeEntry entry;
    entry.kind = Kind::Item;
    entry.item = item;
    return entry;
}

HomeEntry HomeEntry::tag(const KNVTCDTag &tag)
{
    HomeEntry entry;
    entry.kind = Kind::Tag;
    entry.uri = tag.uri();
    return entry;
}

bool HomeEntry::operator==(const HomeEntry &other) const
{
    if (kind != other.kind)
        return false;
    switch (kind) {
    case Kind::FocusList: return focusType == other.focusType;
    case Kind::TaskList:
    case Kind::Tag: return uri == other.uri;
    case Kind::Item: return item == other.item;
    }
    return false;
}

size_t qHash(const HomeEntry &entry, size_t seed)
{
    switch (entry.kind) {
    case HomeEntry::Kind::FocusList: return ::qHash(int(entry.focusType), seed);
    case HomeEntry::Kind::TaskList:
    case HomeEntry::Kind::Tag: return ::qHash(entry.uri, seed);
    case HomeEntry::Kind::Item: return ::qHash(entry.item, seed);
    }
    return seed;
}

} // namespace knvt
