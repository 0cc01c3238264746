#pragma once

#include "objectstore/CellView.h"
#include "objectstore/InverseDescription.h"
#include "objectstore/RowRef.h"
#include "objectstore/Table.h"
#include "objectstore/Types.h"
#include "objectstore/Value.h"

#include "foundation/Error.h"

#include <unordered_map>
#include <vector>

namespace ostore {

class Context;
class Coordinator;
class Object;

// What one query sees: the coordinator's cache through one context's unsaved changes. It loads the entities the
// query touches, and marks per entity the cache positions that this context has dirty or pending deletion, which
// are then read through their objects.
class EvalScope
{
public:
    explicit EvalScope(Context &context);

    Context &context() const { return m_context; }
    void require(EntityId entity);
    // Loads what was required; false (with the error) when an entity could not be loaded.
    bool prepare(knvt::Error *error);

    Table *table(EntityId entity) const { return m_tables[entity]; }
    RowRef rowAt(EntityId entity, quint32 pos) const;
    RowRef rowForZid(EntityId entity, qint64 zid) const;
    RowRef rowFor(const Object *object) const;
    qint64 zidOf(const RowRef &row) const;
    CellView read(const RowRef &row, int property) const;
    static CellView viewOf(const Value &value);
    // The target of a to-one, or an invalid row for none.
    RowRef hop(const RowRef &row, EntityId entity, int property) const;
    // The single holder of a unique inverse.
    RowRef holder(const RowRef &row, const InverseDescription &inverse) const;

    // Calls f(RowRef member) for each member the to-many getter would return (not in order) until f returns false.
    template <class F>
    bool forEachMember(const RowRef &target, const InverseDescription &inverse, F &&f) const;

    const PendingObjects *pendingSources(EntityId source, int property, qint64 target) const;

private:
    struct Overlay
    {
        const std::vector<quint64> *bits = nullptr;
        const std::unordered_map<quint32, const Object *> *objects = nullptr;
        bool any = false;
        bool inserts = false;
    };
    bool isPendingDelete(const Object *object) const;
    bool hasDirty(const Object *object, int property) const;
    int columnOf(EntityId entity, int property) const;

    Context &m_context;
    Coordinator &m_coordinator;
    std::vector<Table *> m_tables;
    std::vector<bool> m_required;
    std::vector<Overlay> m_overlays;
};

template <class F>
bool EvalScope::forEachMember(const RowRef &target, const InverseDescription &inverse, F &&f) const
{
    if (!target.isValid())
        return true;
    const qint64 targetZid = zidOf(target);
    Table *sources = m_tables[inverse.source];
    const int column = columnOf(inverse.source, inverse.sourceProperty);
    if (target.pos != RowRef::kNoPosition) {
        if (const std::vector<quint32> *bucket = sources->inverseBucket(column, targetZid)) {
            // Copy-free iteration: the bucket is not modified during a query.
            for (quint32 p : *bucket) {
                const RowRef r = rowAt(inverse.source, p);
                if (r.object && (isPendingDelete(r.object) || hasDirty(r.object, inverse.sourceProperty)))
                    continue; // its unsaved to-one is listed among the pending sources, if it still names the target
                if (!f(r))
                    return false;
            }
        }
    }
    const PendingObjects *pending = pendingSources(inverse.source, inverse.sourceProperty, targetZid);
    if (!pending)
        return true;
    for (Object *o : *pending) {
        const RowRef r = rowFor(o);
        if (!r.isValid() || isPendingDelete(o))
            continue;
        if (!f(r))
            return false;
    }
    return true;
}

} // namespace ostore
