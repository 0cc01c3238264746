#pragma once

#include "objectstore/AccessorRegistry.h"
#include "objectstore/CellView.h"
#include "objectstore/EntityDescription.h"
#include "objectstore/Value.h"

#include <QUrl>

#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace ostore {

class Context;
class Table;

// One registered row (or unsaved insert) of a context. Owned by its context and never freed before it, so a stale
// pointer reads old values instead of dangling. Clean values are read from the coordinator's row cache on every
// access; unsaved values live in a small overlay.
class Object
{
public:
    virtual ~Object();
    Object(const Object &) = delete;
    Object &operator=(const Object &) = delete;

    ObjectID objectID() const { return {m_entity->id, m_zid}; }
    const EntityDescription &entity() const { return *m_entity; }
    QUrl uri() const;
    // nullptr once the object is gone or its library closed.
    Context *context() const;

    Value value(const QString &key) const;
    void setValue(const QString &key, const Value &value);

    bool isInserted() const { return m_state == State::Inserted; }
    bool isUpdated() const;
    // Pending deletion, or gone: its row no longer exists.
    bool isDeleted() const { return m_pendingDelete || m_state == State::Gone; }
    // The unsaved values (to-ones as ObjectID), all of them for an unsaved insert.
    ValueMap changedValues() const;

    virtual void awakeFromInsert() {}
    virtual void awakeFromFetch() {}
    virtual void didChangeValue(std::string_view key) { Q_UNUSED(key); }
    virtual void didChangeToMany(std::string_view key, Mutation mutation, const std::vector<Object *> &objects)
    {
        Q_UNUSED(key);
        Q_UNUSED(mutation);
        Q_UNUSED(objects);
    }

protected:
    Object() = default;

    int accessorTarget(int slot) const { return m_entity->accessorTargets[size_t(slot)]; }
    std::optional<qint64> intValue(int property) const;
    std::optional<bool> boolValue(int property) const;
    std::optional<double> doubleValue(int property) const;
    QString stringValue(int property) const;
    QDateTime dateValue(int property) const;
    QByteArray blobValue(int property) const;
    Object *toOneValue(int property) const;
    Object *inverseToOneValue(int inverse) const;
    std::vector<Object *> toManyValue(int inverse) const;
    void setPropertyValue(int property, Value value);
    void setToOneValue(int property, Object *target);

private:
    friend class Context;
    friend class Coordinator;
    friend class EvalScope;
    friend class Evaluator;

    enum class State : quint8 { Inserted, Committed, Gone, Detached };

    struct Overlay
    {
        std::vector<std::pair<int, Value>> dirty;      // unsaved values by property
        std::vector<std::pair<int, QByteArray>> blobs; // committed BLOBs read on demand
        std::vector<Value> frozen;                     // every value, once gone or closed
        quint64 insertSequence = 0;
    };

    Overlay &overlay();
    const Value *dirtyValue(int property) const;
    bool hasDirty() const { return m_overlay && !m_overlay->dirty.empty(); }
    // The cache position of the committed row, or kNoPosition.
    quint32 position() const;
    Table *table() const;
    Value committedValue(int property) const;
    Value currentValue(int property) const;
    void freeze(State state);

    Context *m_context = nullptr;
    const EntityDescription *m_entity = nullptr;
    qint64 m_zid = 0;
    mutable quint32 m_position = 0xFFFFFFFFu;
    mutable quint32 m_generation = 0;
    State m_state = State::Committed;
    bool m_pendingDelete = false;
    bool m_warned = false;
    std::unique_ptr<Overlay> m_overlay;
};

// A stale pointer must stay cheap to keep: the object itself, without its unsaved values.
static_assert(sizeof(void *) != 8 || sizeof(Object) <= 56);

// Downcast used by the accessor macros. A template, so that entity classes can name each other before they are
// complete: the cast is checked where the template is instantiated, once every class is defined.
template <class T>
T *objectCast(Object *object)
{
    return static_cast<T *>(object);
}

template <class T>
Object *asObject(T *object)
{
    return object;
}

} // namespace ostore

// Accessor macros. An entity class starts with OSTORE_OBJECT(ClassName); each macro then names a property of the
// model, and the model aborts at start-up when one does not exist with that kind and type.
#define OSTORE_OBJECT(Class)                                                                                           \
public:                                                                                                                \
    static ::ostore::AccessorRegistry &ostoreAccessors()                                                               \
    {                                                                                                                  \
        static ::ostore::AccessorRegistry registry(#Class);                                                            \
        return registry;                                                                                               \
    }                                                                                                                  \
                                                                                                                       \
private:                                                                                                               \
    using OstoreSelf = Class;                                                                                          \
                                                                                                                       \
public:

#define OSTORE_SLOT_(name, kind, type)                                                                                 \
private:                                                                                                               \
    static inline const int ostoreSlot_##name =                                                                        \
        OstoreSelf::ostoreAccessors().add(#name, ::ostore::AccessorRegistry::Kind::kind, ::ostore::Type::type);        \
                                                                                                                       \
public:

#define OSTORE_INT(name, setter)                                                                                       \
    OSTORE_SLOT_(name, Attribute, Int64)                                                                               \
    std::optional<qint64> name() const                                                                                 \
    {                                                                                                                  \
        return intValue(accessorTarget(ostoreSlot_##name));                                                            \
    }                                                                                                                  \
    void setter(std::optional<qint64> v)                                                                               \
    {                                                                                                                  \
        setPropertyValue(accessorTarget(ostoreSlot_##name), v ? ::ostore::Value(*v) : ::ostore::Value());              \
    }

#define OSTORE_BOOL(name, setter)                                                                                      \
    OSTORE_SLOT_(name, Attribute, Bool)                                                                                \
    std::optional<bool> name() const                                                                                   \
    {                                                                                                                  \
        return boolValue(accessorTarget(ostoreSlot_##name));                                                           \
    }                                                                                                                  \
    void setter(std::optional<bool> v)                                                                                 \
    {                                                                                                                  \
        setPropertyValue(accessorTarget(ostoreSlot_##name), v ? ::ostore::Value(*v) : ::ostore::Value());              \
    }

#define OSTORE_DOUBLE(name, setter)                                                                                    \
    OSTORE_SLOT_(name, Attribute, Double)                                                                              \
    std::optional<double> name() const                                                                                 \
    {                                                                                                                  \
        return doubleValue(accessorTarget(ostoreSlot_##name));                                                         \
    }                                                                                                                  \
    void setter(std::optional<double> v)                                                                               \
    {                                                                                                                  \
        setPropertyValue(accessorTarget(ostoreSlot_##name), v ? ::ostore::Value(*v) : ::ostore::Value());              \
    }

#define OSTORE_STRING(name, setter)                                                                                    \
    OSTORE_SLOT_(name, Attribute, String)                                                                              \
    QString name() const                                                                                               \
    {                                                                                                                  \
        return stringValue(accessorTarget(ostoreSlot_##name));                                                         \
    }                                                                                                                  \
    void setter(const QString &v)                                                                                      \
    {                                                                                                                  \
        setPropertyValue(accessorTarget(ostoreSlot_##name), ::ostore::Value(v));                                       \
    }

#define OSTORE_DATE(name, setter)                                                                                      \
    OSTORE_SLOT_(name, Attribute, Date)                                                                                \
    QDateTime name() const                                                                                             \
    {                                                                                                                  \
        return dateValue(accessorTarget(ostoreSlot_##name));                                                           \
    }                                                                                                                  \
    void setter(const QDateTime &v)                                                                                    \
    {                                                                                                                  \
        setPropertyValue(accessorTarget(ostoreSlot_##name), ::ostore::Value(v));                                       \
    }

#define OSTORE_BLOB(name, setter)                                                                                      \
    OSTORE_SLOT_(name, Attribute, Blob)                                                                                \
    QByteArray name() const                                                                                            \
    {                                                                                                                  \
        return blobValue(accessorTarget(ostoreSlot_##name));                                                           \
    }                                                                                                                  \
    void setter(const QByteArray &v)                                                                                   \
    {                                                                                                                  \
        setPropertyValue(accessorTarget(ostoreSlot_##name), ::ostore::Value(v));                                       \
    }

#define OSTORE_TO_ONE(Target, name, setter)                                                                            \
    OSTORE_SLOT_(name, ToOne, ToOne)                                                                                   \
    Target *name() const                                                                                               \
    {                                                                                                                  \
        return ::ostore::objectCast<Target>(toOneValue(accessorTarget(ostoreSlot_##name)));                            \
    }                                                                                                                  \
    void setter(Target *v)                                                                                             \
    {                                                                                                                  \
        setToOneValue(accessorTarget(ostoreSlot_##name), ::ostore::asObject(v));                                       \
    }

// The single holder of a oneToOne declared on the other entity; read-only.
#define OSTORE_TO_ONE_INVERSE(Source, name)                                                                            \
    OSTORE_SLOT_(name, InverseToOne, ToOne)                                                                            \
    Source *name() const                                                                                               \
    {                                                                                                                  \
        return ::ostore::objectCast<Source>(inverseToOneValue(accessorTarget(ostoreSlot_##name)));                     \
    }

// Members whose to-one names this object, in Z_ROWID order and then unsaved inserts; read-only.
#define OSTORE_TO_MANY(Source, name)                                                                                   \
    OSTORE_SLOT_(name, ToMany, ToOne)                                                                                  \
    std::vector<Source *> name() const                                                                                 \
    {                                                                                                                  \
        std::vector<Source *> out;                                                                                     \
        for (::ostore::Object * o : toManyValue(accessorTarget(ostoreSlot_##name)))                                    \
            out.push_back(::ostore::objectCast<Source>(o));                                                            \
        return out;                                                                                                    \
    }
