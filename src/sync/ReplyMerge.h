#pragma once

#include "model/KNVTCDTaskList.h"

#include "foundation/JSONDocument.h"
#include "foundation/JSONView.h"

#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <optional>
#include <string_view>

namespace ostore {
class Context;
class Object;
} // namespace ostore

namespace knvt {

// Applies the service's entities to a context, as every reply of a session does, pushed or pulled: each is matched by
// its identifier (or made), and merged without overwriting what still waits here to be pushed. It holds nothing but
// the context it works in.
class ReplyMerge
{
public:
    // `pulledTasks`, when given, takes the tasks of every list the merge applies.
    explicit ReplyMerge(ostore::Context &context, KNVTCDTaskList::PulledTaskHandler *pulledTasks = nullptr);

    // The inner object of a wrapped entity when it can be matched with what is here: an object under `rootKey` that
    // carries the service's identifier.
    static std::optional<JSONView> readableEntity(const JSONView &element, std::string_view rootKey);
    // The entity name of a root key ("task" -> "KNVTCDTask"); empty for a key that names none.
    static QString entityNameForRootKey(const QString &rootKey);
    // A list's reply without its tasks, for whoever applies them apart.
    static JSONDocument withoutTasks(const JSONView &list);

    // A missing identifier matches nothing: not the objects that were never pushed.
    ostore::Object *objectForNumericIdentifier(const QString &entityName, std::optional<qint64> identifier) const;
    ostore::Object *friendshipForInviterNumericIdentifier(std::optional<qint64> inviter,
                                                          std::optional<qint64> invitee) const;

    // Merges a reply into `object` without overwriting what is still waiting locally to be pushed: a key recorded in
    // its change list keeps its local value and stays recorded, unless `sent` shows that the value the reply answers
    // is the one still held (then the reply delivers it). Returns whether the reply was applied whole rather than
    // only its missing nested rows.
    bool mergeReply(ostore::Object &object, const JSONView &inner, const QVariantMap &sent = {});
    // The upsert of one entity by its "id": the local object of that identifier, or a new one, merged with `inner`.
    // nullptr for an inner object without an identifier, which cannot be matched. `applied` as mergeReply answers.
    ostore::Object *applyEntity(const QString &entityName, const JSONView &inner, bool *applied = nullptr);
    // Every wrapped entity of a reply: an object's members, an array's objects; anything else is passed over. A
    // comment or tagged item is stored only with a task it can hang on.
    void applyWrappedEntities(const JSONView &value);

    // The engine only detaches a removed list's tasks, which would drop them into the Inbox.
    void removeTaskListWithTasks(ostore::Object &taskList);
    // Writes the change list of `object`, sorted, each key once.
    static void setChangedKeys(ostore::Object &object, QStringList keys);

private:
    void applyWrappedEntity(const JSONView &object);

    ostore::Context &m_context;
    KNVTCDTaskList::PulledTaskHandler *m_pulledTasks;
};

} // namespace knvt
