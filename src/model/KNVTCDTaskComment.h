#pragma once

#include "model/KNVTCDAccessors.h"
#include "model/KNVTCDTaskStoreObject.h"

#include <QJsonObject>
#include <QStringList>

class KNVTCDTask;
class KNVTCDUser;

// A text comment a user wrote on a task.
class KNVTCDTaskComment : public KNVTCDTaskStoreObject
{
    OSTORE_OBJECT(KNVTCDTaskComment)
    KNVTCD_SYNCED_ATTRIBUTES
    OSTORE_STRING(text, setText)
    KNVTCD_TO_ONE(KNVTCDTask, task, setTask)
    KNVTCD_TO_ONE(KNVTCDUser, user, setUser)

public:
    // A synced comment changed more than 5 s after it was written. A comment never synced is never edited.
    bool isEdited() const;

    // -- Sync service --------------------------------------------------------------------------------------------
    // "deleted_at" (null while there is none), "commentable_id" with "commentable_type" once the task has the
    // service's identifier, and "text" unless there is none.
    QJsonObject attributesForKeys(const QStringList &keys) const;
    // Fills the comment from the service's JSON. An author the store does not know is created from the embedded
    // "user" object; a known one is only linked.
    void updateWithAttributes(const knvt::JSONView &attributes) override;

    // Editing the text of a synced comment marks it edited at once: its modified date becomes now.
    void didChangeValue(std::string_view key) override;

protected:
    // A comment written here has a createdDate before the service ever saw it, so only the identifier tells.
    bool wasFilledFromService() const override { return numericIdentifier().has_value(); }
    // The task and the author never change once the comment exists; the service sets them from the first push.
    bool excludesChangedKey(std::string_view key) const override { return key == "task" || key == "user"; }
};
