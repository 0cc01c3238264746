#include "objectstore/ObjectTable.h"

#include "objectstore/Object.h"

#include "foundation/Assert.h"

namespace ostore {

size_t ObjectTable::hash(qint64 zid)
{
    quint64 x = quint64(zid);
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdULL;
    x ^= x >> 33;
    return size_t(x);
}

Object *ObjectTable::find(ObjectID id) const
{
    if (m_slots.empty() || id.zid == 0)
        return nullptr;
    const size_t mask = m_slots.size() - 1;
    for (size_t i = hash(id.zid) & mask;; i = (i + 1) & mask) {
        const Slot &slot = m_slots[i];
        if (slot.zid == 0)
            return nullptr;
        // Z_IDs are drawn per entity, so two entities may share one.
        if (slot.zid == id.zid && slot.object->entity().id == id.entity)
            return slot.object;
    }
}

void ObjectTable::insert(std::unique_ptr<Object> object)
{
    KNVT_ASSERT(object && object->objectID().zid != 0, "ostore::ObjectTable", "insert: no identity");
    KNVT_ASSERT(!find(object->objectID()), "ostore::ObjectTable", "insert: already registered");
    // At most half full, so that probes stay short.
    if ((m_objects.size() + 1) * 2 > m_slots.size())
        grow();
    place(object.get());
    m_objects.push_back(std::move(object));
}

void ObjectTable::place(Object *object)
{
    const qint64 zid = object->objectID().zid;
    const size_t mask = m_slots.size() - 1;
    size_t i = hash(zid) & mask;
    while (m_slots[i].zid != 0)
        i = (i + 1) & mask;
    m_slots[i] = Slot{zid, object};
}

void ObjectTable::grow()
{
    m_slots.assign(m_slots.empty() ? 64 : m_slots.size() * 2, Slot{});
    for (const std::unique_ptr<Object> &object : m_objects)
        place(object.get());
}

} // namespace ostore
