#include "model/KNVTCDTaskStoreObject.h"

#include "model/ContextAdditions.h"
#include "model/FillInsertion.h"
#include "model/KNVTCDAccount.h"
#include "model/KNVTCDFriendship.h"
#include "model/KNVTCDTag.h"
#include "model/KNVTCDTaggedTask.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskComment.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDTaskListCollaborator.h"
#include "model/KNVTCDTaskWatcher.h"
#include "model/KNVTCDUser.h"
#include "model/TitleSortKeys.h"

#include "objectstore/Where.h"

#include "foundation/DataAdditions.h"
#include "foundation/KNVTRailsDateFormatter.h"
#include "foundation/StringAdditions.h"

#include <QLocale>

#include <algorithm>
#include <cstring>

using namespace ostore::where;

namespace {

const QString kChangedKeysString = QStringLiteral("changedKeysString");
const QString kNumericIdentifier = QStringLiteral("numericIdentifier");
const QString kCreatedDate = QStringLiteral("createdDate");
const QString kModifiedDate = QStringLiteral("modifiedDate");
const QString kDeletedDate = QStringLiteral("deletedDate");
const QString kPlainTextType = QStringLiteral("text/plain");

const QString kPushState = QStringLiteral("pushState");
const QString kPushedAttributes = QStringLiteral("pushedAttributes");

// Bookkeeping of the sync itself, never a local change to push.
bool isSyncBookkeepingKey(std::string_view key)
{
    return key == "changedKeysString" || key == "numericIdentifier" || key == "createdDate" || key == "modifiedDate"
        || key == "pushState" || key == "pushedAttributes";
}

template <class T>
T *firstObject(const KNVTCDTaskStoreObject *receiver, const QString &entityName, const ostore::Predicate &predicate)
{
    ostore::Context *context = receiver->context();
    if (!context)
        return nullptr;
    return static_cast<T *>(knvt::firstObjectForFetchRequestForEntityName(*context, entityName, predicate));
}

// The newest object of T with this identifier, tombstones included; nullptr for a missing identifier.
template <class T>
T *objectWithNumericIdentifier(const KNVTCDTaskStoreObject *receiver, std::optional<qint64> numericIdentifier)
{
    ostore::Context *context = receiver->context();
    if (!context || !numericIdentifier)
        return nullptr;
    return context->objectWithNumericIdentifier<T>(*numericIdentifier);
}

} // namespace

// ---- Insertion ----

void KNVTCDTaskStoreObject::awakeFromInsert()
{
    ostore::Object::awakeFromInsert();
    // Taken by this object alone: objects its own awakening inserts (a user's avatar) are ordinary insertions.
    if (std::exchange(s_nextInsertionIsFilled, false))
        m_updatingWithAttributes = true;
}

// ---- Change tracking ----

void KNVTCDTaskStoreObject::didChangeValue(std::string_view key)
{
    recordChangedKey(key);
}

void KNVTCDTaskStoreObject::recordChangedKey(std::string_view key)
{
    // A fill discards every key it would record here; building the string for each of its writes dominated pulls.
    if (m_updatingWithAttributes)
        return;
    if (isSyncBookkeepingKey(key) || excludesChangedKey(key) || !hasProperty(kChangedKeysString))
        return;
    const QString current = stringForKey(kChangedKeysString);
    const QString added = QString::fromUtf8(key.data(), qsizetype(key.size()));
    // The first key is the whole string; every new object records one as it is set up.
    if (current.isEmpty() && !added.isEmpty()) {
        setValue(kChangedKeysString, added);
        return;
    }
    // Most edits repeat a key already recorded: a plain scan answers them without building the set.
    if (!added.isEmpty()) {
        for (const QStringView piece : QStringView(current).tokenize(u' '))
            if (piece == added)
                return;
    }
    // The recorded keys are a set, stored sorted so that the string stays the same from run to run. An empty piece
    // names no key and would only put a stray blank into the string.
    QStringList keys = current.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    keys.append(added);
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    setValue(kChangedKeysString, keys.join(QLatin1Char(' ')));
}

bool KNVTCDTaskStoreObject::excludesChangedKey(std::string_view key) const
{
    Q_UNUSED(key);
    return false;
}

QStringList KNVTCDTaskStoreObject::changedKeys() const
{
    if (!hasProperty(kChangedKeysString))
        return {};
    const QString string = stringForKey(kChangedKeysString);
    if (string.isNull())
        return {};
    return string.split(QLatin1Char(' '));
}

void KNVTCDTaskStoreObject::clearChangedKeys()
{
    if (const int p = entity().property(kChangedKeysString); p >= 0)
        setPropertyValue(p, ostore::Value());
}

// ---- A new object and the service ----

KNVTCDTaskStoreObject::PushState KNVTCDTaskStoreObject::pushState() const
{
    const qint64 state = intForKey(kPushState).value_or(0);
    return state >= qint64(PushState::PossiblySent) && state <= qint64(PushState::PlaceShown) ? PushState(state)
                                                                                              : PushState::None;
}

QString KNVTCDTaskStoreObject::pushedAttributes() const
{
    return stringForKey(kPushedAttributes);
}

void KNVTCDTaskStoreObject::setPushState(PushState state, const QString &pushedAttributes)
{
    if (!hasProperty(kPushState))
        return;
    setValue(kPushState, state == PushState::None ? ostore::Value() : ostore::Value(qint64(state)));
    setValue(kPushedAttributes,
             state == PushState::None || pushedAttributes.isEmpty() ? ostore::Value()
                                                                    : ostore::Value(pushedAttributes));
}

// ---- Merge and fill ----

bool KNVTCDTaskStoreObject::wasFilledFromService() const
{
    return dateForKey(kCreatedDate).isValid();
}

bool KNVTCDTaskStoreObject::mergeAttributes(const knvt::JSONView &reply)
{
    // A fill reads a few dozen keys of this one object: they are found through an index of its keys.
    const knvt::JSONView::KeyIndex keys(reply);
    const knvt::JSONView &attributes = keys.view();
    bool apply = !wasFilledFromService() || mergesRegardlessOfDate();
    if (!apply) {
        const QDateTime local = dateForKey(kModifiedDate);
        if (!local.isValid()) {
            // Nothing to be newer than: the service's copy is the only dated one.
            apply = true;
        } else {
            // Without a readable date the reply cannot be shown to be newer, and applying it could throw away
            // local changes that have not been pushed yet.
            const QDateTime remote = dateFromJSON(attributes.value("updated_at"));
            apply = remote.isValid() && local < remote;
        }
    }
    if (apply)
        updateWithAttributes(attributes);
    else
        insertMissingNestedObjectsWithAttributes(attributes);
    return apply;
}

QStringList KNVTCDTaskStoreObject::keysSettledByReply(const knvt::JSONView &attributes) const
{
    Q_UNUSED(attributes);
    return {};
}

void KNVTCDTaskStoreObject::updateWithAttributes(const knvt::JSONView &attributes)
{
    UpdatingScope updating(*this);
    updateIdentityWithAttributes(attributes);
    updateDeletedDateWithAttributes(attributes);
    clearChangedKeys();
}

// Each key is looked up once: these run for every object of a pull.
void KNVTCDTaskStoreObject::updateIdentityWithAttributes(const knvt::JSONView &attributes)
{
    if (const int p = entity().numericIdentifierProperty; p >= 0) {
        const std::optional<qint64> id = numericIdentifierFromJSON(attributes.value("id"));
        setPropertyValue(p, id ? ostore::Value(*id) : ostore::Value());
    }
    if (const int p = entity().property(kCreatedDate); p >= 0)
        setPropertyValue(p, dateFromJSON(attributes.value("created_at")));
    if (const int p = entity().property(kModifiedDate); p >= 0)
        setPropertyValue(p, dateFromJSON(attributes.value("updated_at")));
}

void KNVTCDTaskStoreObject::updateDeletedDateWithAttributes(const knvt::JSONView &attributes)
{
    const knvt::JSONView deletedAt = attributes.value("deleted_at");
    if (!deletedAt.isString())
        return;
    if (const int p = entity().property(kDeletedDate); p >= 0)
        setPropertyValue(p, dateFromJSON(deletedAt));
}

KNVTCDUser *KNVTCDTaskStoreObject::relatedUserWithAttributes(const knvt::JSONView &attributes, std::string_view name)
{
    // "<name>_id": the names are short, so the key is built on the stack.
    char identifierKey[32];
    if (name.size() + 3 > sizeof identifierKey)
        return nullptr;
    std::memcpy(identifierKey, name.data(), name.size());
    std::memcpy(identifierKey + name.size(), "_id", 3);
    const std::optional<qint64> id =
        numericIdentifierFromJSON(attributes.value(std::string_view(identifierKey, name.size() + 3)));
    if (!id)
        return nullptr;
    if (KNVTCDUser *user = userForNumericIdentifier(id))
        return user;
    const knvt::JSONView embedded = attributes.value(name);
    ostore::Context *ctx = context();
    if (!embedded.isObject() || !ctx)
        return nullptr;
    auto *user = knvt::insertObjectForFill<KNVTCDUser>(*ctx);
    user->updateWithAttributes(embedded);
    return user;
}

std::optional<qint64> KNVTCDTaskStoreObject::numericIdentifierFromJSON(const knvt::JSONView &value)
{
    return value.wholeNumber();
}

std::optional<knvt::JSONView> KNVTCDTaskStoreObject::readableNestedElement(std::string_view arrayKey,
                                                                           const knvt::JSONView &element)
{
    if (!element.isObject())
        return std::nullopt;
    if (!numericIdentifierFromJSON(element.value("id")))
        return std::nullopt;
    if (arrayKey == "task_list_collaborators" && !numericIdentifierFromJSON(element.value("user_id")))
        return std::nullopt;
    if (arrayKey == "tagged_items" && !element.value("taggable_type").isString())
        return std::nullopt;
    return element;
}

QDateTime KNVTCDTaskStoreObject::dateFromJSON(const knvt::JSONView &value)
{
    if (!value.isString())
        return QDateTime();
    return KNVTRailsDateFormatter(KNVTRailsDateFormatterTypeDateTime).dateFromUTF8(value.utf8());
}

QJsonValue KNVTCDTaskStoreObject::JSONValueFromDate(const QDateTime &date)
{
    if (!date.isValid())
        return QJsonValue(QJsonValue::Null);
    return KNVTRailsDateFormatter(KNVTRailsDateFormatterTypeDateTime).stringFromDate(date);
}

// ---- Lookups ----

KNVTCDUser *KNVTCDTaskStoreObject::userForNumericIdentifier(std::optional<qint64> numericIdentifier) const
{
    return objectWithNumericIdentifier<KNVTCDUser>(this, numericIdentifier);
}

KNVTCDUser *KNVTCDTaskStoreObject::myUser() const
{
    // "friendshipStatus == %@" with 6
    return firstObject<KNVTCDUser>(this, QStringLiteral("KNVTCDUser"), key(QStringLiteral("friendshipStatus")) == 6);
}

KNVTCDTask *KNVTCDTaskStoreObject::taskForNumericIdentifier(std::optional<qint64> numericIdentifier) const
{
    return objectWithNumericIdentifier<KNVTCDTask>(this, numericIdentifier);
}

KNVTCDTaskList *KNVTCDTaskStoreObject::taskListForNumericIdentifier(std::optional<qint64> numericIdentifier) const
{
    return objectWithNumericIdentifier<KNVTCDTaskList>(this, numericIdentifier);
}

KNVTCDTaskListCollaborator *KNVTCDTaskStoreObject::taskListCollaboratorForTaskList(const KNVTCDTaskList *taskList,
                                                                                   const KNVTCDUser *user) const
{
    // "taskList == %@ AND user == %@"
    return firstObject<KNVTCDTaskListCollaborator>(this, QStringLiteral("KNVTCDTaskListCollaborator"),
                                                   key(QStringLiteral("taskList")) == taskList
                                                       && key(QStringLiteral("user")) == user);
}

KNVTCDTaskWatcher *KNVTCDTaskStoreObject::taskWatcherForNumericIdentifier(std::optional<qint64> numericIdentifier) const
{
    return objectWithNumericIdentifier<KNVTCDTaskWatcher>(this, numericIdentifier);
}

KNVTCDTaskComment *KNVTCDTaskStoreObject::taskCommentForNumericIdentifier(std::optional<qint64> numericIdentifier) const
{
    return objectWithNumericIdentifier<KNVTCDTaskComment>(this, numericIdentifier);
}

KNVTCDTag *KNVTCDTaskStoreObject::tagForNumericIdentifier(std::optional<qint64> numericIdentifier) const
{
    return objectWithNumericIdentifier<KNVTCDTag>(this, numericIdentifier);
}

KNVTCDTaggedTask *KNVTCDTaskStoreObject::taggedTaskForNumericIdentifier(std::optional<qint64> numericIdentifier) const
{
    return objectWithNumericIdentifier<KNVTCDTaggedTask>(this, numericIdentifier);
}

KNVTCDTaggedTask *KNVTCDTaskStoreObject::taggedTaskForTag(const KNVTCDTag *tag, const KNVTCDTask *task) const
{
    // "tag == %@ AND task == %@ && deletedDate == nil"
    return firstObject<KNVTCDTaggedTask>(this, QStringLiteral("KNVTCDTaggedTask"),
                                         key(QStringLiteral("tag")) == tag && key(QStringLiteral("task")) == task
                                             && isNull(kDeletedDate));
}

KNVTCDFriendship *KNVTCDTaskStoreObject::friendshipForNumericIdentifier(std::optional<qint64> numericIdentifier) const
{
    return objectWithNumericIdentifier<KNVTCDFriendship>(this, numericIdentifier);
}

KNVTCDFriendship *KNVTCDTaskStoreObject::friendshipForInviter(const KNVTCDUser *inviter,
                                                              const KNVTCDUser *invitee) const
{
    // "inviter == %@ AND invitee == %@"
    return firstObject<KNVTCDFriendship>(this, QStringLiteral("KNVTCDFriendship"),
                                         key(QStringLiteral("inviter")) == inviter
                                             && key(QStringLiteral("invitee")) == invitee);
}

KNVTCDFriendship *
KNVTCDTaskStoreObject::friendshipForInviterNumericIdentifier(std::optional<qint64> inviterNumericIdentifier,
                                                             std::optional<qint64> inviteeNumericIdentifier) const
{
    if (!inviterNumericIdentifier || !inviteeNumericIdentifier)
        return nullptr;
    // "inviter.numericIdentifier == %@ AND invitee.numericIdentifier == %@"
    return firstObject<KNVTCDFriendship>(this, QStringLiteral("KNVTCDFriendship"),
                                         key(QStringLiteral("inviter.numericIdentifier")) == *inviterNumericIdentifier
                                             && key(QStringLiteral("invitee.numericIdentifier"))
                                                 == *inviteeNumericIdentifier);
}

KNVTCDAccount *KNVTCDTaskStoreObject::accountForNumericIdentifier(std::optional<qint64> numericIdentifier) const
{
    return objectWithNumericIdentifier<KNVTCDAccount>(this, numericIdentifier);
}

// ---- Comparators ----

namespace {

QDateTime scheduleDate(const QDateTime &start, const QDateTime &due)
{
    if (start.isValid() && due.isValid())
        return std::min(start, due);
    return start.isValid() ? start : due;
}

// Newest first; undated last.
bool newerStatusModifiedDate(const QDateTime &a, const QDateTime &b)
{
    if (a.isValid() != b.isValid())
        return a.isValid();
    return a.isValid() && a > b;
}

} // namespace

KNVTCDTaskStoreObject::Comparator KNVTCDTaskStoreObject::scheduledObjectComparator()
{
    return [](const KNVTCDTaskStoreObject *a, const KNVTCDTaskStoreObject *b) {
        const QDateTime da =
            scheduleDate(a->dateForKey(QStringLiteral("startDate")), a->dateForKey(QStringLiteral("dueDate")));
        const QDateTime db =
            scheduleDate(b->dateForKey(QStringLiteral("startDate")), b->dateForKey(QStringLiteral("dueDate")));
        if (da.isValid() != db.isValid())
            return da.isValid();
        if (da.isValid() && da != db)
            return da < db;
        return knvt::TitleSortKeys::compare(a, b) < 0;
    };
}

KNVTCDTaskStoreObject::Comparator KNVTCDTaskStoreObject::somedayObjectComparator()
{
    return objectTitleComparator();
}

KNVTCDTaskStoreObject::Comparator KNVTCDTaskStoreObject::completedObjectComparator()
{
    return [](const KNVTCDTaskStoreObject *a, const KNVTCDTaskStoreObject *b) {
        return newerStatusModifiedDate(a->dateForKey(QStringLiteral("statusModifiedDate")),
                                       b->dateForKey(QStringLiteral("statusModifiedDate")));
    };
}

KNVTCDTaskStoreObject::Comparator KNVTCDTaskStoreObject::archivedObjectComparator()
{
    return completedObjectComparator();
}

KNVTCDTaskStoreObject::Comparator KNVTCDTaskStoreObject::objectTitleComparator()
{
    return [](const KNVTCDTaskStoreObject *a, const KNVTCDTaskStoreObject *b) {
        return knvt::TitleSortKeys::compare(a, b) < 0;
    };
}

// ---- Pasteboard ----

const QStringList &KNVTCDTaskStoreObject::readableTypesForPasteboard()
{
    static const QStringList types{QString::fromLatin1(KNVTTastStoreManagedObjectDragAndDropUTI), kPlainTextType};
    return types;
}

const QStringList &KNVTCDTaskStoreObject::writableTypesForPasteboard() const
{
    return readableTypesForPasteboard();
}

QVariant KNVTCDTaskStoreObject::pasteboardPropertyListForType(const QString &type) const
{
    if (type == QLatin1String(KNVTTastStoreManagedObjectDragAndDropUTI))
        return QVariant(knvt::managedObjectIDURIRepresentation(*this));
    if (type == kPlainTextType)
        return QVariant(hasPasteboardString() ? pasteboardString() : description());
    return QVariant();
}

KNVTCDTaskStoreObject::PasteboardReadingOptions KNVTCDTaskStoreObject::readingOptionsForType(const QString &type)
{
    if (type == QLatin1String(KNVTTastStoreManagedObjectDragAndDropUTI))
        return PasteboardReadingAsKeyedArchive;
    if (type == kPlainTextType)
        return PasteboardReadingAsString;
    return PasteboardReadingAsData;
}

QString KNVTCDTaskStoreObject::description() const
{
    return QStringLiteral("<%1: %2>").arg(entity().name, knvt::managedObjectIDURIStringRepresentation(*this));
}

QUrl KNVTCDTaskStoreObject::localURL() const
{
    const QString uri = knvt::managedObjectIDURIStringRepresentation(*this);
    return QUrl(QStringLiteral("quillvane://api/1/managed_objects/%1").arg(knvt::base64Encoded(uri.toUtf8())));
}

// ---- Generic attribute reads ----

bool KNVTCDTaskStoreObject::hasProperty(const QString &key) const
{
    return entity().property(key) >= 0;
}

std::optional<qint64> KNVTCDTaskStoreObject::intForKey(const QString &key) const
{
    if (!hasProperty(key))
        return std::nullopt;
    const ostore::Value v = value(key);
    if (const qint64 *i = std::get_if<qint64>(&v))
        return *i;
    return std::nullopt;
}

QString KNVTCDTaskStoreObject::stringForKey(const QString &key) const
{
    if (!hasProperty(key))
        return QString();
    const ostore::Value v = value(key);
    if (const QString *s = std::get_if<QString>(&v))
        return *s;
    return QString();
}

QDateTime KNVTCDTaskStoreObject::dateForKey(const QString &key) const
{
    if (!hasProperty(key))
        return QDateTime();
    const ostore::Value v = value(key);
    if (const QDateTime *d = std::get_if<QDateTime>(&v))
        return *d;
    return QDateTime();
}
