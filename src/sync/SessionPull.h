#pragma once

#include "model/KNVTCDTaskList.h"

#include "objectstore/ObjectID.h"

#include "foundation/JSONDocument.h"
#include "foundation/JSONView.h"

#include <QDeadlineTimer>
#include <QSet>
#include <QString>

#include <memory>
#include <optional>
#include <string>
#include <vector>

class KNVTRESTFulRequest;
class KNVTTaskStoreSyncSession;

namespace ostore {
class Context;
class Object;
} // namespace ostore

namespace knvt {

// The pull of one session, from its first reply to its end: the reply it applies a slice at a time, that reply's list
// rule, the removals it puts off until every reply is in, and its saves in passing. It keeps its progress in the data
// it saves: a list whose missing tasks wait for the later replies stays marked to be fetched again until their
// removal is settled, so that a save made meanwhile (in passing, or the user's), followed by kill -9, a crash or a quit
// that gives up on a reply, leaves the next pull to fetch that list again rather than to keep what the service deleted.
class SessionPull
{
public:
    explicit SessionPull(KNVTTaskStoreSyncSession &session);
    ~SessionPull();
    SessionPull(const SessionPull &) = delete;
    SessionPull &operator=(const SessionPull &) = delete;

    // Applies a pull's reply a slice at a time: begin, then continue in later passes until it answers true. An array
    // is applied element by element, under its collection's rule when it has one; a list's own reply applies its
    // fields at once and its tasks one by one; any other reply is applied whole by begin. No other reply is applied
    // while one is under way.
    void begin(std::shared_ptr<const KNVTRESTFulRequest> request);
    bool proceed(const QDeadlineTimer &deadline);

    // Removes what went missing and is still missing now that the later replies are in; with `tasksToo` false only the
    // lists (every collection of lists is read). The lists whose missing tasks are settled here are no longer marked
    // to be fetched again: the save that follows writes the removals and the mark's end together.
    void removeObjectsStillMissing(bool tasksToo);
    // A session that fails or is cancelled removes nothing it put off: what it read is fetched whole again instead.
    void fetchAgainWhatWentMissing();
    // Every save of the session's context counts as one here.
    void didSave() { m_appliedSinceSave = 0; }

private:
    // A collection's reply names every object of a local set; what it leaves out is gone (or, for lists, put off).
    struct ListRule
    {
        QString resource;
        QString entityName;
        std::string rootKey;
        bool declined = false;
        // False once an element could not be read: it may stand for any local object, so none counts as gone.
        bool complete = true;
        // The local set when the reply arrived, and those of it the reply named. Held by identity, so that a row
        // removed by the user while the reply is applied in slices is simply no longer found.
        std::vector<ostore::ObjectID> local;
        QSet<ostore::ObjectID> seen;
    };
    // The reply being applied in slices.
    struct Reply
    {
        std::shared_ptr<const KNVTRESTFulRequest> request;
        knvt::JSONDocument document;
        std::optional<ListRule> listRule;
        // The reply of one list: its own fields are applied at once, its tasks one by one.
        std::optional<KNVTCDTaskList::PulledTasks> listTasks;
        ostore::ObjectID list;
        knvt::JSONView::ElementIterator next;
        knvt::JSONView::ElementIterator end;
    };
    struct MissingObject
    {
        ostore::ObjectID object;
        // The list a task went missing from; none for a list.
        ostore::ObjectID taskList;
        // The collection a list went missing from, and the list's place then: a list that another collection of the
        // same pull holds has another status or archive state by the time the collections are read.
        QString resource;
        std::optional<qint64> collaboratorStatus;
        bool archived = false;
    };

    ostore::Context *context() const;
    // False for a resource that has no such rule: its elements are applied one by one and nothing is removed.
    bool beginListRule(const QString &resource, ListRule &rule);
    void applyListRuleElement(ListRule &rule, const knvt::JSONView &element);
    void endListRule(const ListRule &rule);
    // While it lives, the tasks of a list's reply are merged keeping the user's unpushed fields, and those the reply
    // left out are put off.
    KNVTCDTaskList::PulledTasksHandling pulledTasksHandling();
    // Starts the reply of one list, whose tasks are applied one by one; false for any other reply.
    bool beginListReply(Reply &reply, const knvt::JSONView &value);
    KNVTCDTaskList *listOfReply(const Reply &reply) const;
    void end(Reply &reply);
    // Saves between the slices of a large reply, once many elements wait in the context.
    void saveInPassing();
    // A list a collection reply left out, or a task a list's reply left out, may only have moved to a list or a
    // collection that the pull reads later; it is removed only when it is still where it went missing from once the
    // later replies are in (for a list, the other collections; for a task, every pull), so that an object the
    // service still has keeps its identity, its tags and the windows open on it.
    void putOffRemovalOfMissingTask(KNVTCDTaskList &list, ostore::Object &task);
    void putOffRemovalOfMissingTaskList(ostore::Object &taskList, const QString &resource);

    KNVTTaskStoreSyncSession &m_session;
    std::unique_ptr<Reply> m_reply;
    std::vector<MissingObject> m_missingObjects;
    // Elements of pulled replies applied since the context was last saved.
    int m_appliedSinceSave = 0;
};

} // namespace knvt
