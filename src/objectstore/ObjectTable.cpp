#include "objectstore/ObjectTable.h"

#include "objectstore/Object.h"

#include "foundation/Assert.h"

#include <algorithm>
#include <new>
#include <utility>

namespace ostore {

namespace {

// Slots of the smaller table moved over by each insert. A table grows when it is half full, so the next one is half
// full after as many inserts as the smaller table had slots to spare: half of them. Four a time moves it all in a
// quarter of them.
constexpr size_t kMovedPerInsert = 4;
constexpr size_t kFirstSize = 64;

} // namespace

size_t ObjectTable::hash(qint64 zid)
{
    quint64 x = quint64(zid);
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdULL;
    x ^= x >> 33;
    return size_t(x);
}

ObjectTable::Slots ObjectTable::emptySlots(size_t size)
{
    // calloc rather than new Slot[]: a large block comes as fresh pages the system zeroes as they are first written,
    // where a table zeroed by hand would be written whole here.
    auto *slot = static_cast<Slot *>(std::calloc(size, sizeof(Slot)));
    if (!slot)
        throw std::bad_alloc();
    return {std::unique_ptr<Slot[], Free>(slot), size};
}

Object *ObjectTable::find(const Slots &table, ObjectID id)
{
    if (table.size == 0)
        return nullptr;
    const size_t mask = table.size - 1;
    for (size_t i = hash(id.zid) & mask;; i = (i + 1) & mask) {
        const Slot &slot = table.slot[i];
        if (slot.zid == 0)
            return nullptr;
        // Z_IDs are drawn per entity, so two entities may share one.
        if (slot.zid == id.zid && slot.object->entity().id == id.entity)
            return slot.object;
    }
}

Object *ObjectTable::find(ObjectID id) const
{
    if (id.zid == 0)
        return nullptr;
    if (Object *object = find(m_slots, id))
        return object;
    return find(m_smaller, id);
}

void ObjectTable::insert(std::unique_ptr<Object> object)
{
    KNVT_ASSERT(object && object->objectID().zid != 0, "ostore::ObjectTable", "insert: no identity");
    KNVT_ASSERT(!find(object->objectID()), "ostore::ObjectTable", "insert: already registered");
    // At most half full, so that probes stay short.
    if ((m_objects.size() + 1) * 2 > m_slots.size)
        grow();
    place(m_slots, object->objectID().zid, object.get());
    m_objects.push_back(std::move(object));
    moveOver(kMovedPerInsert);
}

void ObjectTable::place(Slots &table, qint64 zid, Object *object)
{
    const size_t mask = table.size - 1;
    size_t i = hash(zid) & mask;
    while (table.slot[i].zid != 0)
        i = (i + 1) & mask;
    table.slot[i] = Slot{zid, object};
}

void ObjectTable::grow()
{
    // What is left of the last growth, which the inserts since have all but moved.
    moveOver(m_smaller.size);
    Slots larger = emptySlots(m_slots.size == 0 ? kFirstSize : m_slots.size * 2);
    m_smaller = std::exchange(m_slots, std::move(larger));
    m_moved = 0;
}

void ObjectTable::moveOver(size_t count)
{
    if (m_smaller.size == 0)
        return;
    const size_t end = std::min(m_smaller.size, m_moved + count);
    for (; m_moved < end; ++m_moved) {
        const Slot &slot = m_smaller.slot[m_moved];
        if (slot.zid != 0)
            place(m_slots, slot.zid, slot.object);
    }
    if (m_moved == m_smaller.size) {
        m_smaller = Slots{};
        m_moved = 0;
    }
}

} // namespace ostore
