#include "objectstore/EvalScope.h"

#include "objectstore/Context.h"
#include "objectstore/Coordinator.h"
#include "objectstore/Object.h"

namespace ostore {

EvalScope::EvalScope(Context &context) : m_context(context), m_coordinator(*context.coordinator())
{
    const size_t n = m_coordinator.model().entityCount();
    m_tables.assign(n, nullptr);
    m_required.assign(n, false);
    m_overlays.resize(n);
}

void EvalScope::require(EntityId entity)
{
    m_required[entity] = true;
}

bool EvalScope::prepare(knvt::Error *error)
{
    std::vector<EntityId> wanted;
    for (EntityId e = 0; e < EntityId(m_required.size()); ++e)
        if (m_required[e])
            wanted.push_back(e);
    if (!m_coordinator.ensureLoaded(wanted, error))
        return false;
    for (EntityId e : wanted) {
        m_tables[e] = m_coordinator.table(e);
        auto &state = m_context.m_states[e];
        Overlay &o = m_overlays[e];
        o.inserts = !state.inserted.empty();
        o.any = !state.overlaid.empty();
        if (!o.any)
            continue;
        const Table *t = m_tables[e];
        const size_t words = (t->slotCount() + 63) / 64;
        if (state.overlayTable != t || state.overlayGeneration != t->generation()) {
            state.overlayBits.assign(words, 0);
            state.overlayByPosition.clear();
            for (const auto &[zid, object] : state.overlaid) {
                const quint32 pos = object->position();
                if (pos == Table::kNoPosition)
                    continue;
                state.overlayBits[pos >> 6] |= quint64(1) << (pos & 63);
                state.overlayByPosition.emplace(pos, object);
            }
            state.overlayTable = t;
            state.overlayGeneration = t->generation();
        } else if (state.overlayBits.size() < words) {
            state.overlayBits.resize(words, 0);
        }
        o.bits = &state.overlayBits;
        o.objects = &state.overlayByPosition;
    }
    return true;
}

RowRef EvalScope::rowAt(EntityId entity, quint32 pos) const
{
    const Overlay &o = m_overlays[entity];
    RowRef r{m_tables[entity], pos, nullptr};
    if (o.any && ((*o.bits)[pos >> 6] >> (pos & 63)) & 1)
        r.object = o.objects->at(pos);
    return r;
}

RowRef EvalScope::rowForZid(EntityId entity, qint64 zid) const
{
    if (m_overlays[entity].inserts) {
        if (Object *o = m_context.registered({entity, zid}); o && o->isInserted())
            return RowRef{m_tables[entity], RowRef::kNoPosition, o};
    }
    const quint32 pos = m_tables[entity]->find(zid);
    if (pos == Table::kNoPosition)
        return {};
    return rowAt(entity, pos);
}

RowRef EvalScope::rowFor(const Object *object) const
{
    const EntityId e = object->entity().id;
    if (object->isInserted())
        return RowRef{m_tables[e], RowRef::kNoPosition, object};
    if (object->m_state != Object::State::Committed)
        return {};
    const quint32 pos = object->position();
    if (pos == Table::kNoPosition)
        return {};
    return RowRef{m_tables[e], pos, object};
}

qint64 EvalScope::zidOf(const RowRef &row) const
{
    return row.object ? row.object->m_zid : row.table->zid(row.pos);
}

int EvalScope::columnOf(EntityId entity, int property) const
{
    return m_coordinator.model().entity(entity).properties[property].column;
}

bool EvalScope::isPendingDelete(const Object *object) const
{
    return object->m_pendingDelete || object->m_state == Object::State::Gone;
}

bool EvalScope::hasDirty(const Object *object, int property) const
{
    return object->dirtyValue(property) != nullptr;
}

const PendingObjects *EvalScope::pendingSources(EntityId source, int property, qint64 target) const
{
    const auto &pending = m_context.entityState(source).pending;
    if (pending.empty())
        return nullptr;
    auto byProperty = pending.find(property);
    if (byProperty == pending.end())
        return nullptr;
    auto it = byProperty->second.find(target);
    return it == byProperty->second.end() || it->second.empty() ? nullptr : &it->second;
}

CellView EvalScope::viewOf(const Value &value)
{
    switch (value.index()) {
    case 1: return CellView::integer(std::get<qint64>(value));
    case 2: return CellView::integer(std::get<bool>(value) ? 1 : 0);
    case 3: return CellView::real(std::get<double>(value));
    case 4: return CellView::text(std::get<QString>(value));
    case 5: return CellView::integer(std::get<QDateTime>(value).toMSecsSinceEpoch());
    case 7: return CellView::integer(std::get<ObjectID>(value).zid);
    default: return CellView::none();
    }
}

CellView EvalScope::read(const RowRef &row, int property) const
{
    if (row.object) {
        if (const Value *v = row.object->dirtyValue(property))
            return viewOf(*v);
        if (row.pos == RowRef::kNoPosition)
            return CellView::none();
    }
    return row.table->view(row.table->entity().properties[property].column, row.pos);
}

RowRef EvalScope::hop(const RowRef &row, EntityId entity, int property) const
{
    const CellView fk = read(row, property);
    if (fk.null)
        return {};
    return rowForZid(m_coordinator.model().entity(entity).properties[property].target, fk.cell.i);
}

RowRef EvalScope::holder(const RowRef &row, const InverseDescription &inverse) const
{
    RowRef found;
    forEachMember(row, inverse, [&](const RowRef &member) {
        found = member;
        return false;
    });
    return found;
}

} // namespace ostore
