#pragma once

#include "objectstore/Types.h"

#include <QHashFunctions>

#include <functional>

namespace ostore {

// The identity of a row: its entity and the random Z_ID drawn when it was inserted. Valid before the first save.
struct ObjectID
{
    EntityId entity = kNoEntity;
    qint64 zid = 0;

    bool isNull() const { return zid == 0; }
    bool operator==(const ObjectID &) const = default;
};

inline size_t qHash(const ObjectID &id, size_t seed = 0)
{
    return qHashMulti(seed, id.entity, id.zid);
}

} // namespace ostore

template <>
struct std::hash<ostore::ObjectID>
{
    size_t operator()(const ostore::ObjectID &id) const noexcept
    {
        quint64 x = quint64(id.zid) ^ (quint64(id.entity) << 48);
        x ^= x >> 33;
        x *= 0xff51afd7ed558ccdULL;
        x ^= x >> 33;
        return size_t(x);
    }
};
