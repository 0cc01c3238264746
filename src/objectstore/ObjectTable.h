#pragma once

#include "objectstore/ObjectID.h"

#include <cstdlib>
#include <memory>
#include <vector>

namespace ostore {

class Object;

// The registered objects of one context, by identity. Objects are only ever added: a context frees none before it
// is destroyed. An open-addressing table of (Z_ID, object) slots: a first pull registers tens of thousands of objects,
// and a node per entry made every lookup and insert a string of cache misses.
// The table grows a few slots at a time: a larger table is taken (its pages zeroed by the system as they are first
// written) and every insert moves a few slots of the smaller one over until it is empty. Rehashed at once, the growth
// of a library's objects fetched by a search held the window for the whole rebuild, 19 and 43 ms at 100,000 tasks.
class ObjectTable
{
public:
    ObjectTable() = default;
    ObjectTable(const ObjectTable &) = delete;
    ObjectTable &operator=(const ObjectTable &) = delete;

    Object *find(ObjectID id) const;
    // Takes ownership; its identity must not be registered yet.
    void insert(std::unique_ptr<Object> object);
    // Every object, in the order of registration.
    const std::vector<std::unique_ptr<Object>> &objects() const { return m_objects; }

private:
    struct Slot
    {
        qint64 zid = 0; // 0: empty (a Z_ID is never 0)
        Object *object = nullptr;
    };
    struct Free
    {
        void operator()(Slot *slot) const { std::free(slot); }
    };
    // A power of two of slots, all empty when made.
    struct Slots
    {
        std::unique_ptr<Slot[], Free> slot;
        size_t size = 0;
    };
    static size_t hash(qint64 zid);
    static Slots emptySlots(size_t size);
    static Object *find(const Slots &table, ObjectID id);
    static void place(Slots &table, qint64 zid, Object *object);
    void grow();
    // Moves up to `count` slots of the smaller table into the current one, freeing it once all are moved.
    void moveOver(size_t count);

    std::vector<std::unique_ptr<Object>> m_objects;
    Slots m_slots;
    // The table being moved out of (none when no growth is under way), and the slots of it moved so far. Its entries
    // stay where they are until it is freed, so that its probe sequences hold for lookups meanwhile.
    Slots m_smaller;
    size_t m_moved = 0;
};

} // namespace ostore
