#pragma once

#include "objectstore/Object.h"

#include "foundation/JSONView.h"

#include <QJsonValue>
#include <QStringList>
#include <QUrl>
#include <QVariant>

#include <functional>
#include <optional>
#include <string_view>

class KNVTCDAccount;
class KNVTCDFriendship;
class KNVTCDTag;
class KNVTCDTaggedTask;
class KNVTCDTask;
class KNVTCDTaskComment;
class KNVTCDTaskList;
class KNVTCDTaskListCollaborator;
class KNVTCDTaskWatcher;
class KNVTCDUser;

namespace knvt {
class TitleSortKeys;
}

// The drag type of task-store objects: its payload names objects by their identifier URIs. The spelling is the
// stored form other processes and older versions use.
inline constexpr char KNVTTastStoreManagedObjectDragAndDropUTI[] = "KNVTTastStoreManagedObjectDragAndDropUTI";

// Base of every entity of the task store. It declares no stored attributes: each entity declares the synced ones it
// has (numericIdentifier, eTag, needsUpdating, createdDate, modifiedDate, deletedDate, changedKeysString), and the
// behaviour here works on whichever of them the entity has.
class KNVTCDTaskStoreObject : public ostore::Object
{
public:
    // Strict "a comes before b", for std::stable_sort and friends.
    using Comparator = std::function<bool(const KNVTCDTaskStoreObject *a, const KNVTCDTaskStoreObject *b)>;

    enum PasteboardReadingOptions : unsigned {
        PasteboardReadingAsData = 0,
        PasteboardReadingAsString = 1,
        PasteboardReadingAsKeyedArchive = 4,
    };

    // -- Change tracking ---------------------------------------------------------------------------------------
    // Records `key` in changedKeysString (see recordChangedKey). Entities with side effects of their own override
    // this, run them and then call it.
    void didChangeValue(std::string_view key) override;
    // The words of changedKeysString; empty when nothing changed or the entity does not track changes.
    QStringList changedKeys() const;

    // -- A new object and the service ------------------------------------------------------------------------------
    // Where a new object stands with the service, kept with it so that it outlives the program. None for any object
    // the service has answered for, and for an entity that is not synced.
    enum class PushState : qint64 {
        None = 0,
        // Its creation went out and no answer said whether the service made it (the answer was lost, cut, unreadable
        // or without the object, or the program ended first): before it is sent again, a read of where it lands is
        // asked for what the service made of it.
        PossiblySent = 1,
        // The service did not allow it: it stays here unsent until the user changes it, or a read shows the user
        // allowed again.
        Refused = 2,
        // A read showed more than one object the service may have made of it: nothing is guessed, and it stays here
        // unsent until the user changes it.
        Unsettled = 3,
        // Its create was answered 404: held as a refused one, until a read after that answer shows the service holding
        // where it lands, which a place it has no longer would not.
        NotFound = 4,
        // Held after a 404, and a read since showed where it lands: it goes once more; answered 404 again, the place is
        // not what the service lacks, and it is held as refused.
        PlaceShown = 5,
    };
    PushState pushState() const;
    // The wire attributes, key by key, of what its creation sent (PossiblySent), or would send (the others), as
    // compact JSON; empty with None.
    QString pushedAttributes() const;
    void setPushState(PushState state, const QString &pushedAttributes = {});

    // -- Merge with the sync service -----------------------------------------------------------------------------
    // Newer wins: applies `attributes` through updateWithAttributes() when this object was never filled from the
    // service, when mergesRegardlessOfDate() says so, when it has no modifiedDate to compare with, or when the
    // reply's "updated_at" is strictly later than modifiedDate. A reply without a readable "updated_at" is not
    // applied to an object that has one. A reply that is not applied still inserts the members of the object's
    // nested arrays that are missing here (insertMissingNestedObjectsWithAttributes()). Returns whether it applied
    // the reply.
    bool mergeAttributes(const knvt::JSONView &attributes);
    // Fills the object from the service's JSON and clears changedKeysString. This default fills the synced fields
    // every entity shares; entities with keys of their own override it and call the pieces below in their order.
    virtual void updateWithAttributes(const knvt::JSONView &attributes);
    // Changed keys without a wire form of their own that a reply of the service settles, because it answers with
    // what this object holds for them: they wait for no push, which could never carry them. None by default.
    virtual QStringList keysSettledByReply(const knvt::JSONView &attributes) const;

    // Pieces of updateWithAttributes(), each touching only the attributes the entity has:
    // "id", "created_at" and "updated_at" into numericIdentifier, createdDate and modifiedDate (a missing or
    // unreadable value gives none).
    void updateIdentityWithAttributes(const knvt::JSONView &attributes);
    // "deleted_at" into deletedDate, only when it is a string; null or missing leaves the tombstone alone.
    void updateDeletedDateWithAttributes(const knvt::JSONView &attributes);
    // The user a relationship named `name` should point to after a fill, from "<name>_id" and "<name>": the user
    // with that identifier; failing that a new user, inserted into this object's context and filled from the
    // "<name>" dictionary; nullptr when the relationship is to stay as it is (no number under "<name>_id", or an
    // unknown user without a dictionary).
    KNVTCDUser *relatedUserWithAttributes(const knvt::JSONView &attributes, std::string_view name);
    // Discards every key recorded so far, the last step of a fill.
    void clearChangedKeys();
    // While the service's data is being applied to this object: from the start of its updateWithAttributes() to the
    // last step. Lets related objects tell a pulled change from a local edit.
    bool isUpdatingWithAttributes() const { return m_updatingWithAttributes; }

    // While one lives, the next store object inserted is one that a fill from the service writes whole right after
    // (knvt::insertObjectForFill): what its insertion would record as local changes, and the local stamps that go
    // with them (a new task's status and its date), the fill replaces, so they are neither recorded nor stamped.
    class FillInsertion
    {
    public:
        FillInsertion() { s_nextInsertionIsFilled = true; }
        ~FillInsertion() { s_nextInsertionIsFilled = false; }
        FillInsertion(const FillInsertion &) = delete;
        FillInsertion &operator=(const FillInsertion &) = delete;
    };
    // Reads the mark of a FillInsertion, for the insertion it was made for; entities that override this call it
    // first.
    void awakeFromInsert() override;
    // Ends what a FillInsertion began on this object, once it is inserted.
    void endFillInsertion() { m_updatingWithAttributes = false; }

    // The service's identifier in a JSON value: none unless it is a whole number.
    static std::optional<qint64> numericIdentifierFromJSON(const knvt::JSONView &value);
    // An element of the nested array `arrayKey` of a reply ("tasks", "task_list_collaborators", "comments",
    // "task_watchers", "tagged_items") as an object, when it can be matched with what is here: it carries the
    // service's identifier, and a collaborator row its "user_id", a tagged item its "taggable_type" (a string).
    // An array with an element that cannot be read is no account of what the service holds, so nothing is deleted
    // for lacking from it.
    static std::optional<knvt::JSONView> readableNestedElement(std::string_view arrayKey,
                                                               const knvt::JSONView &element);
    // How a nested array of a reply meets the object's rows.
    enum class NestedMerge {
        // The array is the whole collection: named rows are merged or inserted, synced rows it lacks are deleted.
        Reconcile,
        // Only what is missing is inserted; rows that are here are merged by their dates, none is deleted.
        InsertMissing,
    };
    // A service date-time in a JSON value: invalid unless it is a string in the service's format.
    static QDateTime dateFromJSON(const knvt::JSONView &value);
    // A date as the service reads it: its date-time text, or JSON null for no date (which clears it there).
    static QJsonValue JSONValueFromDate(const QDateTime &date);

    // -- Lookups in this object's context ------------------------------------------------------------------------
    // Each returns the newest match or nullptr. Lookups by identifier include tombstones, and return nullptr for a
    // missing identifier instead of matching the objects that were never pushed.
    KNVTCDUser *userForNumericIdentifier(std::optional<qint64> numericIdentifier) const;
    KNVTCDUser *myUser() const;
    KNVTCDTask *taskForNumericIdentifier(std::optional<qint64> numericIdentifier) const;
    KNVTCDTaskList *taskListForNumericIdentifier(std::optional<qint64> numericIdentifier) const;
    // Tombstoned rows included.
    KNVTCDTaskListCollaborator *taskListCollaboratorForTaskList(const KNVTCDTaskList *taskList,
                                                                const KNVTCDUser *user) const;
    KNVTCDTaskWatcher *taskWatcherForNumericIdentifier(std::optional<qint64> numericIdentifier) const;
    KNVTCDTaskComment *taskCommentForNumericIdentifier(std::optional<qint64> numericIdentifier) const;
    KNVTCDTag *tagForNumericIdentifier(std::optional<qint64> numericIdentifier) const;
    KNVTCDTaggedTask *taggedTaskForNumericIdentifier(std::optional<qint64> numericIdentifier) const;
    // Live links only: a tombstoned link is not found.
    KNVTCDTaggedTask *taggedTaskForTag(const KNVTCDTag *tag, const KNVTCDTask *task) const;
    KNVTCDFriendship *friendshipForNumericIdentifier(std::optional<qint64> numericIdentifier) const;
    KNVTCDFriendship *friendshipForInviter(const KNVTCDUser *inviter, const KNVTCDUser *invitee) const;
    KNVTCDFriendship *friendshipForInviterNumericIdentifier(std::optional<qint64> inviterNumericIdentifier,
                                                            std::optional<qint64> inviteeNumericIdentifier) const;
    KNVTCDAccount *accountForNumericIdentifier(std::optional<qint64> numericIdentifier) const;

    // -- Comparators over tasks and task lists (title, startDate, dueDate, statusModifiedDate) -------------------
    // By schedule date (the earlier of start and due date, else whichever is set) ascending, then by title;
    // objects with neither date come last.
    static Comparator scheduledObjectComparator();
    static Comparator somedayObjectComparator();
    // Newest statusModifiedDate first; objects without one come last.
    static Comparator completedObjectComparator();
    static Comparator archivedObjectComparator();
    // By title, localized and case-insensitive.
    static Comparator objectTitleComparator();

    // -- Pasteboard ----------------------------------------------------------------------------------------------
    // The drag type, then plain text ("text/plain").
    static const QStringList &readableTypesForPasteboard();
    const QStringList &writableTypesForPasteboard() const;
    // The identifier URI (QUrl) for the drag type; for plain text pasteboardString() when there is one, else
    // description(); an invalid QVariant for any other type.
    QVariant pasteboardPropertyListForType(const QString &type) const;
    static PasteboardReadingOptions readingOptionsForType(const QString &type);
    // "<EntityName: identifier URI>".
    virtual QString description() const;

    // -- Text hooks ----------------------------------------------------------------------------------------------
    virtual QString pasteboardString() const { return {}; }
    virtual QString HTMLStringForPrinting() const { return {}; }
    virtual QString HTMLOverviewStringForPrinting() const { return HTMLStringForPrinting(); }
    virtual QString shareActivityText() const { return {}; }
    virtual QString localNotificationBody() const { return {}; }
    virtual QString localNotificationAction() const { return {}; }
    bool hasPasteboardString() const { return !pasteboardString().isEmpty(); }
    bool hasHTMLStringForPrinting() const { return !HTMLStringForPrinting().isEmpty(); }
    bool hasHTMLOverviewStringForPrinting() const { return !HTMLOverviewStringForPrinting().isEmpty(); }
    bool canShowInLocalNotification() const { return !localNotificationBody().isEmpty(); }
    bool shouldShowInLocalNotification() const { return canShowInLocalNotification(); }

    // "quillvane://api/1/managed_objects/<Base64 of the identifier URI string>"; nothing opens it.
    QUrl localURL() const;

protected:
    KNVTCDTaskStoreObject() = default;

    // Marks the object as being filled from the service for its lifetime; fills may nest. Only a fill that ends in
    // clearChangedKeys() opens one: while it is open nothing is recorded on this object, since the fill discards the
    // keys anyway, and writes whose only purpose is a local stamp the fill replaces may skip it.
    class UpdatingScope
    {
    public:
        explicit UpdatingScope(KNVTCDTaskStoreObject &object)
            : m_object(object), m_previous(object.m_updatingWithAttributes)
        {
            object.m_updatingWithAttributes = true;
        }
        ~UpdatingScope() { m_object.m_updatingWithAttributes = m_previous; }
        UpdatingScope(const UpdatingScope &) = delete;
        UpdatingScope &operator=(const UpdatingScope &) = delete;

    private:
        KNVTCDTaskStoreObject &m_object;
        bool m_previous;
    };

    // Adds `key` to changedKeysString unless it is one of the synced bookkeeping keys or excludesChangedKey() says
    // so. Writes the string only when the key is new, so a repeated write records nothing more.
    void recordChangedKey(std::string_view key);
    // Keys of an entity that must never be pushed as changes (relationships the service maintains, mirrors).
    virtual bool excludesChangedKey(std::string_view key) const;
    // Whether the object was ever filled from the service: by default it has a createdDate. Entities whose
    // createdDate can be set locally test numericIdentifier instead.
    virtual bool wasFilledFromService() const;
    // Lets an entity take the service's reply whatever its date (a list waiting for a full update does).
    virtual bool mergesRegardlessOfDate() const { return false; }
    // Called by mergeAttributes() with a reply it does not apply. Members of a nested array can be deleted here
    // while their parent stays unchanged at the service (the links of the tasks of a list the user left, when the
    // user is let in again), and no newer copy of the parent would ever bring them back; so the members that are
    // missing here are inserted, and those that are here keep deciding by their own dates. Nothing is deleted.
    virtual void insertMissingNestedObjectsWithAttributes(const knvt::JSONView &attributes) { Q_UNUSED(attributes); }

    // Generic reads of attributes the concrete entity may or may not have; none when it lacks them.
    bool hasProperty(const QString &key) const;
    std::optional<qint64> intForKey(const QString &key) const;
    QString stringForKey(const QString &key) const;
    QDateTime dateForKey(const QString &key) const;

private:
    // Reads titles for the comparators' sort keys.
    friend class knvt::TitleSortKeys;

    // Main thread only, as every model object.
    static inline bool s_nextInsertionIsFilled = false;
    bool m_updatingWithAttributes = false;
};
