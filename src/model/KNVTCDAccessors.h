#pragma once

#include "objectstore/Object.h"

// Relationship accessors for the entity classes, split into a declaration (in the class) and a definition (in the
// class's .cpp). The entities refer to each other in circles (a task has a list, a list has tasks), and the cast to a
// related class needs that class complete wherever the accessor body is compiled; with one class per header, only
// the class's .cpp can include all of them. Each declaration registers the property with the object store exactly as
// the OSTORE_* macros do, so the model still checks it at start-up.

#define KNVTCD_TO_ONE(Target, name, setter)                                                                            \
    OSTORE_SLOT_(name, ToOne, ToOne)                                                                                   \
    Target *name() const;                                                                                              \
    void setter(Target *value);

#define KNVTCD_DEFINE_TO_ONE(Class, Target, name, setter)                                                              \
    Target *Class::name() const                                                                                        \
    {                                                                                                                  \
        return static_cast<Target *>(toOneValue(accessorTarget(ostoreSlot_##name)));                                   \
    }                                                                                                                  \
    void Class::setter(Target *value)                                                                                  \
    {                                                                                                                  \
        setToOneValue(accessorTarget(ostoreSlot_##name), value);                                                       \
    }

// The members whose to-one names this object; read-only.
#define KNVTCD_TO_MANY(Source, name)                                                                                   \
    OSTORE_SLOT_(name, ToMany, ToOne)                                                                                  \
    std::vector<Source *> name() const;

#define KNVTCD_DEFINE_TO_MANY(Class, Source, name)                                                                     \
    std::vector<Source *> Class::name() const                                                                          \
    {                                                                                                                  \
        std::vector<Source *> out;                                                                                     \
        for (::ostore::Object * o : toManyValue(accessorTarget(ostoreSlot_##name)))                                    \
            out.push_back(static_cast<Source *>(o));                                                                   \
        return out;                                                                                                    \
    }

// The single holder of a one-to-one declared on the other entity; read-only.
#define KNVTCD_TO_ONE_INVERSE(Source, name)                                                                            \
    OSTORE_SLOT_(name, InverseToOne, ToOne)                                                                            \
    Source *name() const;

#define KNVTCD_DEFINE_TO_ONE_INVERSE(Class, Source, name)                                                              \
    Source *Class::name() const                                                                                        \
    {                                                                                                                  \
        return static_cast<Source *>(inverseToOneValue(accessorTarget(ostoreSlot_##name)));                            \
    }

// The seven synced attributes of an entity that the service both pulls and pushes.
#define KNVTCD_SYNCED_ATTRIBUTES                                                                                       \
    OSTORE_INT(numericIdentifier, setNumericIdentifier)                                                                \
    OSTORE_STRING(eTag, setETag)                                                                                       \
    OSTORE_BOOL(needsUpdating, setNeedsUpdating)                                                                       \
    OSTORE_DATE(createdDate, setCreatedDate)                                                                           \
    OSTORE_DATE(modifiedDate, setModifiedDate)                                                                         \
    OSTORE_DATE(deletedDate, setDeletedDate)                                                                           \
    OSTORE_STRING(changedKeysString, setChangedKeysString)

// The same without the change-tracking string, for entities that are only ever pulled.
#define KNVTCD_PULLED_ATTRIBUTES                                                                                       \
    OSTORE_INT(numericIdentifier, setNumericIdentifier)                                                                \
    OSTORE_STRING(eTag, setETag)                                                                                       \
    OSTORE_BOOL(needsUpdating, setNeedsUpdating)                                                                       \
    OSTORE_DATE(createdDate, setCreatedDate)                                                                           \
    OSTORE_DATE(modifiedDate, setModifiedDate)                                                                         \
    OSTORE_DATE(deletedDate, setDeletedDate)
