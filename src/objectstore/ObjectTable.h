#pragma once

#include "objectstore/ObjectID.h"

#include <memory>
#include <vector>

namespace ostore {

class Object;

// The registered objects of one context, by identity. Objects are only ever added: a context frees none before it
// is destroyed. An open-addressing table of (Z_ID, object) slots: a first pull registers tens of thousands of objects,
// and a node per entry made every lookup and insert a string of cache misses.
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
    static size_t hash(qint64 zid);
    void place(Object *object);
    void grow();

    std::vector<std::unique_ptr<Object>> m_objects;
    std::vector<Slot> m_slots;
};

} // namespace ostore
