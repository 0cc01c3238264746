#pragma once

#include "model/KNVTCDTaskList.h"

#include "store/KNVTTaskStoreLostEdit.h"

#include "objectstore/ObjectID.h"

#include "foundation/Error.h"
#include "foundation/JSONDocument.h"
#include "foundation/JSONView.h"

#include <QDeadlineTimer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class KNVTRESTFulRequest;
class KNVTTaskStoreSyncSession;

namespace ostore {
class Context;
class Object;
} // namespace ostore

namespace knvt {

class ReplyMerge;

// The pull of one session, from its first reply to its end: the reply it applies a slice at a time, that reply's list
// rule, the removals it puts off until every reply is in, the entity tags it learns and the reads it no longer
// trusts. The session hands it every reply of a read, tells it what the service's answers removed or refused, and asks
// it what to write before each save; of the session it uses only the context and the save.
//
// What a collection or a list left out is removed only once every reply is in, and then only when it is still where
// it went missing from and carries no change of the user's that waits for its push. A read that failed puts off only
// the removals it could have named: those of its own kind of object (a list's read names tasks, a picture's nothing),
// which are fetched whole again by a later pull. The pull keeps its progress in the data it saves: a list whose
// missing tasks wait for the later replies stays marked to be fetched again until their removal is settled, so that a
// save made meanwhile (in passing, or the user's), followed by kill -9, a crash or a quit that gives up on a reply,
// leaves the next pull to fetch that list again rather than to keep what the service deleted.
class SessionPull : public KNVTCDTaskList::PulledTaskHandler
{
public:
    explicit SessionPull(KNVTTaskStoreSyncSession &session);
    ~SessionPull() override;
    SessionPull(const SessionPull &) = delete;
    SessionPull &operator=(const SessionPull &) = delete;

    // ---- Replies -------------------------------------------------------------------------------------------------
    // Applies a read's reply a slice at a time: begin, then proceed in later passes until it answers true. An array is
    // applied element by element, under its collection's rule when it has one; a list's own reply applies its fields
    // at once and its tasks one by one; any other reply is applied whole by begin. No other reply is applied while one
    // is under way.
    void begin(std::shared_ptr<const KNVTRESTFulRequest> request);
    bool proceed(const QDeadlineTimer &deadline);
    // Whether the last reply read as what its request asks: a collection's array, a list's object, an image (a 304 has
    // nothing to read and so does). An element of it that cannot be read leaves the reply readable, only not trusted
    // as the whole collection.
    bool lastReplyWasReadable() const { return m_lastReplyReadable; }
    // A reply applied as a whole, outside any collection's rule: the account's, or whatever wrapped entities it holds.
    void applyWhole(const JSONView &value, const KNVTRESTFulRequest &request);
    // A read that failed with `error`: it is read again by a later session, and meanwhile nothing of its kind goes that
    // it might have named. Returns the error that names to the user what it was reading.
    Error readFailed(const KNVTRESTFulRequest &request, const Error &error);
    // The service answered the read of one list that the user no longer has it. The collection that named it this
    // session said otherwise, so that collection is read whole again. The list goes with its tasks, unless it or one of
    // them holds work of the user's not yet sent: then it stays, to be read again, until a read of the service settles
    // where it stands. Returns the error that names the list, null when the list was not here.
    Error listGone(const KNVTRESTFulRequest &request, const Error &error);
    // The service shows no picture of the user that a read asked for: it is done, and asked for again only once the
    // user's avatar date says there is a new one.
    void noPicture(const KNVTRESTFulRequest &request);
    // The service answered the update or delete of `object` that it no longer has it. Whatever the object, it keeps
    // the user's change while the reads that named it, read whole, settle it: left out (of its collection, or of the
    // array of the task, list or tag it belongs to), it goes; brought back, the user's change is put back over what the
    // read brought, and sent again.
    void changeAnsweredGone(ostore::Object &object, const Error &error);
    // Puts the user's changes answered gone back over what the reads brought of the objects still here, and keeps what
    // the user wrote on those that went, to be told. Once every reply is in, and before a failed or cancelled session
    // saves what it applied.
    void settleAnsweredGone();
    // The error of the first change answered gone whose object is still here once the removals are settled: the
    // service still holds it, or no read of this session could tell. Null when none is.
    Error changeStillAnsweredGone() const;
    // What the user wrote on objects the service had deleted before it got the edit, handed over once.
    std::vector<KNVTTaskStoreLostEdit> takeLostEdits() { return std::exchange(m_lostEdits, {}); }

    // ---- New objects the push holds back -------------------------------------------------------------------------
    // A create of `object` was answered with nothing that says whether the service made it: the reads of where it
    // lands settle it (knvt::CreationsInDoubt).
    void creationInDoubt(const ostore::Object &object);
    // A new object the push holds back: in doubt until a read settles it, or refused or unsettled until the user
    // changes it; a refused one in a list goes out again once a read of the list shows the user allowed to add to it
    // where the library said otherwise.
    // An unsettled one is named to the user in every session that holds it, so that the words stay until the user acts
    // or its copies settle it; one the user deleted, until fewer than two copies stand.
    void creationHeld(const ostore::Object &object);
    // The service answered the create of `object` 404: it is held until a read after the answer shows the service
    // holding where it lands, and then goes once more. Its reads are read whole, so that the next one can tell.
    void creationNotFound(const ostore::Object &object);
    // The service did not allow the change of `object`, which the session undoes: the reads that named it are read
    // whole, to bring the service's copy back, and none of this session removes it for lacking.
    void changeUndone(const ostore::Object &object);
    // `object` goes because the service answered that it no longer has it: the replies that named it are no longer
    // taken for current, so a later read fetches them whole and brings it back if the service still lists it.
    void distrustReadsThatNamed(const ostore::Object &object);

    // ---- What to write before a save -----------------------------------------------------------------------------
    // Removes what went missing and is still missing now that the later replies are in; with `listsOnly` only the
    // lists (once every collection of lists is read). The lists whose missing tasks are settled here are no longer
    // marked to be fetched again: the save that follows writes the removals and the mark's end together.
    void removeObjectsStillMissing(bool listsOnly);
    // A session that fails or is cancelled removes nothing it put off: what it read is fetched whole again instead.
    void fetchAgainWhatWentMissing();
    // Before every save of the session's context: links that go with their tasks leave the service's tags as they
    // were, so the tags are read whole again.
    void willSave();
    void didSave() { m_appliedSinceSave = 0; }

    // ---- What the pull learnt ------------------------------------------------------------------------------------
    // The error of the first read that failed or left the library at odds with what was read; it outlives a resume,
    // as the read is still to do.
    const Error &failedReadError() const { return m_failedReadError; }
    // Resource key -> entity tag (a QString) of the collections read whole and trusted.
    const QVariantMap &resourceETags() const { return m_resourceETags; }
    // Resource keys whose stored entity tag no longer describes what is here, so that the next read of each must fetch
    // it whole: a reply held elements that could not be read, a tag links tasks that are not here, an object it named
    // was removed on the service's word, or what it left out was not settled.
    QStringList staleResourceETags() const;

    // ---- KNVTCDTaskList::PulledTaskHandler -----------------------------------------------------------------------
    void mergePulledTask(KNVTCDTask &task, const JSONView &attributes) override;
    void pulledTaskMissing(KNVTCDTaskList &list, KNVTCDTask &task) override;

private:
    // The kinds of object a read names, and so whose removals its failure puts off.
    enum class Names { Nothing, Account, People, Lists, Tasks, Tags };

    // A collection's reply names every object of a local set; what it leaves out is gone, once settled.
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
        JSONDocument document;
        std::optional<ListRule> listRule;
        // The reply of one list: its own fields are applied at once, its tasks one by one.
        std::optional<KNVTCDTaskList::PulledTasks> listTasks;
        ostore::ObjectID list;
        JSONView::ElementIterator next;
        JSONView::ElementIterator end;
    };
    struct MissingObject
    {
        ostore::ObjectID object;
        // The collection it went missing from; empty for a task that a list's reply left out.
        QString resource;
        // The list a task went missing from; none for any other object.
        ostore::ObjectID taskList;
        // A list's place when it went missing: a list that another collection of the same pull holds has another
        // status or archive state by the time the collections are read.
        std::optional<qint64> collaboratorStatus;
        bool archived = false;
        // The kind of read that left it out.
        Names names = Names::Nothing;
    };
    struct AnsweredGone
    {
        ostore::ObjectID object;
        Error error;
        // The user's change the answer left unsent, put back over whatever a read brings of the object.
        QStringList keys;
        ostore::ValueMap values;
        // What the user wrote in that change, told if the object turns out gone; no text when it wrote none.
        KNVTTaskStoreLostEdit written;
        bool told = false;
    };

    ostore::Context *context() const;
    ReplyMerge merge();
    // Whether the reply reads as what its request asks; logs and distrusts a collection whose elements (or nested
    // elements) cannot all be read.
    bool checkReadability(const JSONView &value, const KNVTRESTFulRequest &request);
    // Stores an avatar's bytes when they decode as an image; returns whether they do.
    bool applyPicture(const QByteArray &data, const KNVTRESTFulRequest &request);
    // False for a resource that has no such rule: its elements are applied one by one and nothing is removed.
    bool beginListRule(const QString &resource, ListRule &rule);
    void applyListRuleElement(ListRule &rule, const JSONView &element);
    void endListRule(const ListRule &rule);
    // Starts the reply of one list, whose tasks are applied one by one; false for any other reply.
    bool beginListReply(Reply &reply, const JSONView &value);
    KNVTCDTaskList *listOfReply(const Reply &reply) const;
    void end(Reply &reply);
    // Keeps the entity tag of a collection read whole and trusted.
    void keepETag(const KNVTRESTFulRequest &request);
    // Whether a tags reply links a task that is not here, a link that could not be stored.
    bool linksTasksThatAreNotHere(const JSONView &tags);
    void invalidateResourceETag(const QString &resource);
    void distrust(const QString &resource);
    // Saves between the slices of a large reply, once many elements wait in the context.
    void saveInPassing();
    void putOffRemoval(ostore::Object &object, const QString &resource);
    // Marks what `entry` went missing from to be read whole again.
    void fetchAgain(const MissingObject &entry);
    // Whether a task that went missing may go: still where it went missing from, with nothing of the user's waiting
    // that the service could still take.
    bool mayRemoveMissingTask(const KNVTCDTask &task, const ostore::ObjectID &taskList) const;
    bool wasAnsweredGone(const ostore::ObjectID &object) const;
    // A reply brought `parent` whole, as `inner`: the objects answered gone that belong to it (its comments and
    // watchers, its rows, its links) and that its arrays, read whole, leave out are gone.
    void settleAnsweredGoneUnder(const ostore::Object &parent, const JSONView &inner);
    // Whether `request` is a read a push makes first, to settle its creates in doubt.
    static bool settlesCreations(const KNVTRESTFulRequest &request);
    // Settles the creations in doubt that land where `request` reads, before its reply `value` is applied.
    void settleCreationsInDoubt(const KNVTRESTFulRequest &request, const JSONView &value);
    // The read of `request`, its reply `value` readable, shows where the creations answered 404 land: each goes once
    // more.
    void showPlacesOfCreationsNotFound(const KNVTRESTFulRequest &request, const JSONView &value);
    // Whether the user may add to `list` now, where refused creations wait; false when none waits there.
    bool refusedCreationsWaitIn(const ostore::Object *list) const;
    // The read just applied shows the user allowed to add to `list`: its refused creations go out again.
    void allowRefusedCreationsIn(const KNVTCDTaskList &list);
    // Names an object kept while more than one object of the service could be it, once in this session.
    void nameUnsettled(const ostore::Object &object);
    static Names namesOf(const KNVTRESTFulRequest &request);
    static Names namesOfCollection(const QString &resource);
    // What the read of `request` was reading, and its name, for the user.
    Error namedReadError(const KNVTRESTFulRequest &request, const Error &error);

    KNVTTaskStoreSyncSession &m_session;
    std::unique_ptr<Reply> m_reply;
    bool m_lastReplyReadable = true;
    // Every element of the last reply could be read.
    bool m_lastReplyWhole = true;
    std::vector<MissingObject> m_missingObjects;
    // The kinds of object that failed reads might have named, a bit for each.
    unsigned m_unreadNames = 0;
    Error m_failedReadError;
    std::vector<AnsweredGone> m_answeredGone;
    std::vector<KNVTTaskStoreLostEdit> m_lostEdits;
    std::vector<ostore::ObjectID> m_creationsInDoubt;
    std::vector<ostore::ObjectID> m_refusedCreations;
    std::vector<ostore::ObjectID> m_creationsNotFound;
    // The unsettled new objects this session named, each once however often it holds them.
    QSet<ostore::ObjectID> m_unsettledNamed;
    QSet<ostore::ObjectID> m_undone;
    QVariantMap m_resourceETags;
    QStringList m_staleResourceETags;
    // Collections not taken for current since an object they named was removed; read whole, they are again.
    QStringList m_distrustedResourceETags;
    // Elements of pulled replies applied since the context was last saved.
    int m_appliedSinceSave = 0;
};

} // namespace knvt
