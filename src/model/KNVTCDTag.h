#pragma once

#include "model/KNVTCDAccessors.h"
#include "model/KNVTCDTaskStoreObject.h"

#include <QJsonObject>
#include <QStringList>

#include <vector>

class KNVTCDTaggedTask;
class KNVTCDTask;
class KNVTCDUser;

// A label the user puts on any number of tasks. The tag reaches its tasks through link rows (KNVTCDTaggedTask),
// which the service keeps as objects of their own; a tombstoned link no longer tags its task.
class KNVTCDTag : public KNVTCDTaskStoreObject
{
    OSTORE_OBJECT(KNVTCDTag)
    KNVTCD_SYNCED_ATTRIBUTES
    OSTORE_STRING(title, setTitle)
    OSTORE_INT(creatorOrderIndex, setCreatorOrderIndex)
    KNVTCD_TO_ONE(KNVTCDUser, creator, setCreator)
    KNVTCD_TO_MANY(KNVTCDTaggedTask, taggedTasks)

public:
    // By the creator's order index, smaller first, equal indexes by title (localized, case-insensitive). Tags
    // without an index come after all others and are not ordered among themselves.
    static Comparator tagComparator();

    // The printout of every live task that carries all of `tags`: a page title naming the tags, then the tasks in
    // the groups Incomplete, Scheduled, Someday and Completed, each under its header and left out when empty.
    static QString HTMLStringForPrintingTags(const std::vector<KNVTCDTag *> &tags);
    // Always YES in practice: the printout starts with its page title even when no task carries the tags.
    static bool hasHTMLStringForPrintingTags(const std::vector<KNVTCDTag *> &tags);

    // The live tasks linked to this tag through a live link; unsorted.
    std::vector<KNVTCDTask *> tasks() const;
    // Only the tag's creator, when that is the local user, may rename, reorder or delete it.
    bool canEdit() const;

    // -- Sync service --------------------------------------------------------------------------------------------
    // The JSON attributes to push for the property names in `keys`: "creator_order_index" (null without an index)
    // and "title" (left out while empty). Other names, the creator included, add nothing.
    QJsonObject attributesForKeys(const QStringList &keys) const;
    // Fills the tag from the service's JSON. A "tagged_items" array also brings the tag's links up to date: named
    // links are merged or inserted, synced links it no longer names are deleted (none when an item of the array
    // cannot be read), links never pushed are kept.
    void updateWithAttributes(const knvt::JSONView &attributes) override;

protected:
    // Filled once it carries the identifier the service hands out.
    bool wasFilledFromService() const override { return numericIdentifier().has_value(); }
    // The creator is set by whoever makes the tag and is never pushed.
    bool excludesChangedKey(std::string_view key) const override { return key == "creator"; }
    // A synced link that still waits for its task (the task was not here when the link arrived) can only be
    // completed by walking the tag's items again, and an unchanged tag is otherwise never applied twice. Without
    // local changes to lose, the tag therefore takes the service's copy again while such a link exists.
    bool mergesRegardlessOfDate() const override;
    void insertMissingNestedObjectsWithAttributes(const knvt::JSONView &attributes) override;

private:
    void updateTaggedTasksWithItems(const knvt::JSONView &items, NestedMerge merge);
};
