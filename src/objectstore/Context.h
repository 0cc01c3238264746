#pragma once

#include "objectstore/ChangeSet.h"
#include "objectstore/FetchRequest.h"
#include "objectstore/Model.h"
#include "objectstore/Object.h"
#include "objectstore/ObjectTable.h"
#include "objectstore/RecordedDate.h"
#include "objectstore/RowRef.h"

#include "foundation/Error.h"

#include <QObject>
#include <QThread>

#include <cstdint>
#include <deque>
#include <memory_resource>
#include <unordered_map>
#include <vector>

namespace ostore {

class Coordinator;
class EvalScope;
class Evaluator;
struct RowWrite;

// A scratch pad over the coordinator's cache: the main one, plus one per sync session. It holds only its registered
// objects and their unsaved changes, and answers every fetch and count in memory. Main thread only.
class Context : public QObject
{
    Q_OBJECT

public:
    explicit Context(Coordinator *coordinator, QObject *parent = nullptr);
    ~Context() override;

    Coordinator *coordinator() const { return m_coordinator; }

    template <class T>
    T *insert()
    {
        return static_cast<T *>(insertObject(entityFor<T>()));
    }
    Object *insert(const QString &entityName);
    // Acts at once: an unsaved insert is gone; anything else is pending deletion and the delete rules run.
    void remove(Object *object);
    // The registered object (also when pending deletion), else the committed row registered now; nullptr for a gone
    // row or another context's unsaved insert.
    Object *existingObject(ObjectID id);

    std::vector<Object *> fetch(const FetchRequest &request, knvt::Error *error = nullptr);
    // A fetch without sort or limit cut into slices, so that a query over a large library can run between events:
    // each slice reads the rows from `from` (0 to begin) on, about `rows` of them, and the last slice the unsaved
    // inserts too. `next` is where the following slice begins, or -1 after the last. Together the slices answer
    // what one fetch would, in its order, while nothing is saved between them.
    struct FetchSlice
    {
        std::vector<Object *> objects;
        qint64 next = -1;
    };
    FetchSlice fetchSlice(const FetchRequest &request, qint64 from, qint64 rows, knvt::Error *error = nullptr);
    // Registers nothing and runs no hook; 0 on failure.
    qsizetype count(const FetchRequest &request, knvt::Error *error = nullptr);
    // The LAST element of the unsorted result: the newest match.
    Object *firstObject(const FetchRequest &request);

    template <class T>
    std::vector<T *> fetch(const Predicate &predicate = {}, const std::vector<SortDescriptor> &sort = {},
                           qsizetype limit = 0, knvt::Error *error = nullptr)
    {
        std::vector<T *> out;
        for (Object *o : fetchEntity(entityFor<T>(), predicate, sort, limit, error))
            out.push_back(static_cast<T *>(o));
        return out;
    }
    template <class T>
    qsizetype count(const Predicate &predicate = {}, knvt::Error *error = nullptr)
    {
        return countEntity(entityFor<T>(), predicate, error);
    }
    // Whether `object` is among what a fetch of its entity with `predicate` would answer now, decided on the
    // object alone: a list asks it of the few objects a save changed instead of running its whole query again.
    bool evaluate(const Object *object, const Predicate &predicate);
    template <class T>
    T *firstObject(const Predicate &predicate = {})
    {
        return static_cast<T *>(firstEntity(entityFor<T>(), predicate));
    }
    // The earliest value later than `after` that the date attribute `key` holds among the committed rows of `entity`
    // for which `predicate` holds; invalid when there is none. Unsaved values are not looked at. Answered from an
    // ordered index of the attribute, built on first use and kept current by every commit, so that a call costs the
    // rows it passes over rather than a scan of the entity.
    QDateTime nextDate(const QString &entityName, const QString &key, const QDateTime &after,
                       const Predicate &predicate = {});
    // What firstObject() finds for "numericIdentifier == n" (the newest match, tombstones included), straight from
    // the identifier indexes without compiling a predicate: a pull looks up every object it receives this way.
    // The entity must have a numericIdentifier.
    Object *objectWithNumericIdentifier(const QString &entityName, qint64 numericIdentifier);
    template <class T>
    T *objectWithNumericIdentifier(qint64 numericIdentifier)
    {
        return static_cast<T *>(objectWithNumericIdentifier(entityFor<T>(), numericIdentifier));
    }

    bool hasChanges() const;
    // Moves whenever an object of this context may show another value: an unsaved change, an insert or deletion, a
    // save of any context, a merge, a refresh or a rollback. A reader that works something out from many objects
    // keeps its answer while the count stands.
    quint64 changeCount() const;
    bool save(knvt::Error *error = nullptr);
    // Saves as save() does and records `date` in the same commit; with nothing else to save, the date alone is
    // committed (and nothing is emitted).
    bool save(const RecordedDate &date, knvt::Error *error = nullptr);
    std::vector<Object *> insertedObjects() const;
    std::vector<Object *> updatedObjects() const;
    std::vector<Object *> deletedObjects() const;

    // Contexts share one cache, so another context's save is already visible; this only tells observers.
    void mergeChanges(const ChangeSet &changes, ChangeOrigin origin);
    // keepLocalChanges = false drops dirty values and a pending deletion; true drops only cached BLOBs.
    // Unsaved inserts are left alone. Emits nothing.
    void refresh(Object *object, bool keepLocalChanges);
    void refreshAll(bool keepLocalChanges);
    // Drops every unsaved change, so that the context shows what the library holds: unsaved inserts are gone (their
    // delete rules run), committed objects lose their unsaved values and pending deletions. Emits nothing; answers
    // the committed objects that showed unsaved changes as updated and the inserts that went as deleted.
    ChangeSet rollback();
    // The cached committed row (to-ones as ObjectID); BLOBs only when named. Empty for an unsaved insert.
    ValueMap committedValues(const Object *object, const QStringList &keys = {}) const;

    // How many gone objects at least keep the values they last had, the newest ones: a stale pointer to one reads
    // them. The objects that went in one commit all keep theirs until a later commit, however many they are; older
    // gone objects read as empty. Code keeps ObjectIDs across event-loop turns, so only a pointer held over the
    // change that removed its object reads a gone one, and the main context, which lives as long as the library is
    // open, no longer keeps the values of everything deleted during the run.
    static constexpr size_t kGoneKeepingValues = 64;

signals:
    void willSave();
    void didSave(const ostore::ChangeSet &changes);
    void objectsDidChange(const ostore::ChangeSet &changes, ostore::ChangeOrigin origin);

private:
    friend class Object;
    friend class Coordinator;
    friend class EvalScope;
    friend class Evaluator;

    // The unsaved-value indexes hold an entry per unsaved to-one and identifier: tens of thousands during a pull,
    // all let go when it is saved. They live in a pool of the context's own, so that coming and going costs a
    // free-list push instead of a round trip through the general allocator.
    using PendingByKey = std::pmr::unordered_map<qint64, PendingObjects>;

    struct EntityState
    {
        explicit EntityState(std::pmr::memory_resource *memory) : pending(memory), pendingIdentifiers(memory) {}

        std::unordered_map<qint64, Object *> overlaid; // committed rows with unsaved values or pending deletion
        std::vector<Object *> inserted;                // unsaved inserts, in insertion order
        // property -> target Z_ID -> sources whose unsaved to-one names it
        std::pmr::unordered_map<int, PendingByKey> pending;
        // numericIdentifier -> objects whose unsaved value is it (unsaved inserts and changed committed rows), so
        // that a lookup by identifier during a pull never walks every unsaved insert
        PendingByKey pendingIdentifiers;
        // The cache positions of `overlaid`, kept current between queries; rebuilt when the table's generation moves.
        std::vector<quint64> overlayBits;
        std::unordered_map<quint32, const Object *> overlayByPosition;
        const Table *overlayTable = nullptr;
        quint32 overlayGeneration = 0;
    };

    template <class T>
    EntityId entityFor() const;
    EntityId entityForName(const QString &name) const;
    const EntityState &entityState(EntityId entity) const { return m_states[entity]; }
    Object *registered(ObjectID id) const;
    void assertThread(const char *operation) const;
    bool isOpen() const;

    Object *insertObject(EntityId entity);
    std::vector<Object *> fetchEntity(EntityId entity, const Predicate &predicate,
                                      const std::vector<SortDescriptor> &sort, qsizetype limit, knvt::Error *error);
    qsizetype countEntity(EntityId entity, const Predicate &predicate, knvt::Error *error);
    Object *firstEntity(EntityId entity, const Predicate &predicate);
    Object *objectWithNumericIdentifier(EntityId entity, qint64 numericIdentifier);
    bool failClosed(knvt::Error *error) const;
    bool saveChanges(const RecordedDate *date, knvt::Error *error);
    // The committed rows of a forward scan, in words of 64 positions [firstWord, endWord), and whether the unsaved
    // inserts follow them.
    struct ScanRange
    {
        size_t firstWord = 0;
        size_t endWord = SIZE_MAX;
        bool inserts = true;
    };
    template <class F>
    void scan(EvalScope &scope, const Evaluator &evaluator, EntityId entity, bool backwards, const ScanRange &range,
              F &&f);
    void sortRows(EvalScope &scope, EntityId entity, std::vector<RowRef> &rows,
                  const std::vector<SortDescriptor> &sort);
    Object *objectFor(const RowRef &row, EntityId entity, std::vector<Object *> &awakened);
    Object *registerRow(EntityId entity, qint64 zid, quint32 pos);

    // Property writes, the four steps of a setter.
    // Values are taken by value and moved along: a pull writes hundreds of thousands of them, and every copy of a
    // text is a reference-count round trip.
    void setProperty(Object *object, int property, Value value);
    void setToOne(Object *object, int property, Object *target);
    bool storeValue(Object *object, int property, Value value);
    Value normalized(const PropertyDescription &p, Value value) const;
    void addPending(Object *object, int property, qint64 target);
    void removePending(Object *object, int property, qint64 target);
    // The objects whose unsaved value of `property` (the numericIdentifier or a to-one) equals `key`; nullptr for none.
    const PendingObjects *pendingWith(EntityId entity, int property, qint64 key) const;
    void indexIdentifier(Object *object, const Value &value, bool add);
    void updateOverlaid(Object *object);
    void markOverlay(EntityState &state, Object *object, bool overlaid);
    void clearDirty(Object *object);
    // Drops the pending-index entries of values that are no longer unsaved, after a save.
    void sweepPending();
    bool writableOrWarn(Object *object) const;

    std::vector<Object *> members(const Object *target, int inverse);
    Object *holderOf(const Object *target, int inverse);
    Object *resolve(ObjectID id);
    QByteArray blob(const Object *object, int property) const;
    void applyDeleteRules(Object *object);
    void notifyTargets(Object *object, Mutation mutation);

    // Freezes `object` as gone and lets the oldest gone objects beyond kGoneKeepingValues drop their values.
    void makeGone(Object *object);

    // Called by the coordinator.
    void rowVanished(ObjectID id);
    void didCommit(RowWrite &write);
    void detach();

    Coordinator *m_coordinator;
    // The coordinator's thread, which a context never leaves.
    const Qt::HANDLE m_threadId = QThread::currentThreadId();
    ObjectTable m_objects;
    std::pmr::unsynchronized_pool_resource m_pendingMemory;
    std::vector<EntityState> m_states;
    quint64 m_insertSequence = 0;
    quint64 m_changeCount = 0;
    qint64 m_nextZid = 0;
    bool m_saving = false;
    bool m_sweepPending = false;
    struct GoneWithValues
    {
        Object *object;
        quint64 commit; // the coordinator's cache change count when it went
    };
    // Oldest first.
    std::deque<GoneWithValues> m_goneWithValues;
};

} // namespace ostore

#include "objectstore/Coordinator.h"

template <class T>
ostore::EntityId ostore::Context::entityFor() const
{
    return m_coordinator->model().entityId(T::ostoreAccessors(), typeid(T));
}
