#include "objectstore/Context.h"

#include "objectstore/Coordinator.h"
#include "objectstore/EvalScope.h"
#include "objectstore/Evaluator.h"
#include "objectstore/KeyPath.h"
#include "objectstore/Logging.h"
#include "objectstore/RowWrite.h"

#include "foundation/Assert.h"
#include "foundation/StringAdditions.h"

#include <QCollator>
#include <QRandomGenerator>
#include <QThread>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <numeric>

namespace ostore {

namespace {

[[noreturn]] void valueError(const PropertyDescription &p)
{
    std::fprintf(stderr, "ostore: a value of the wrong type for %s\n", p.name.toUtf8().constData());
    std::fflush(stderr);
    std::abort();
}

std::string_view keyView(const QByteArray &key)
{
    return std::string_view(key.constData(), size_t(key.size()));
}

} // namespace

Context::Context(Coordinator *coordinator, QObject *parent) : QObject(parent), m_coordinator(coordinator)
{
    KNVT_ASSERT(coordinator != nullptr, "ostore::Context", "Context");
    KNVT_ASSERT(QThread::currentThread() == coordinator->thread(), "ostore::Context", "Context");
    m_states.reserve(coordinator->model().entityCount());
    for (size_t e = 0; e < coordinator->model().entityCount(); ++e)
        m_states.emplace_back(&m_pendingMemory);
    coordinator->registerContext(this);
}

Context::~Context()
{
    m_coordinator->unregisterContext(this);
}

void Context::assertThread(const char *operation) const
{
    // Every property write passes here: comparing thread ids is a register read, where asking Qt for the current
    // QThread took a measurable share of a large pull.
    KNVT_ASSERT(QThread::currentThreadId() == m_threadId, "ostore::Context", operation);
}

bool Context::isOpen() const
{
    return m_coordinator->isOpen();
}

bool Context::failClosed(knvt::Error *error) const
{
    knvt::Error::report(error, ErrorFactory::make(ErrorCode::StoreClosed, m_coordinator->path()));
    return false;
}

EntityId Context::entityForName(const QString &name) const
{
    const EntityId e = m_coordinator->model().entityId(name);
    KNVT_ASSERT(e != kNoEntity, "ostore::Context", "unknown entity name");
    return e;
}

Object *Context::registered(ObjectID id) const
{
    return m_objects.find(id);
}

// ---- insert, remove, lookup ----

Object *Context::insert(const QString &entityName)
{
    return insertObject(entityForName(entityName));
}

Object *Context::insertObject(EntityId entity)
{
    assertThread("insert");
    const EntityDescription &d = m_coordinator->model().entity(entity);
    std::unique_ptr<Object> object(d.factory());
    object->m_context = this;
    object->m_entity = &d;
    object->m_state = Object::State::Inserted;
    const Table *table = m_coordinator->isOpen() ? m_coordinator->table(entity) : nullptr;
    // A context numbers its inserts upwards from a random start, redrawn on a collision: a first pull inserts tens
    // of thousands of rows, and neighbouring identities fill the unique index page by page where random ones touch
    // a different page for every row. Starts stay below 2^62, so counting up never overflows.
    qint64 zid = 0;
    do {
        if (m_nextZid <= 0)
            m_nextZid = qint64(QRandomGenerator::global()->generate64() & 0x3FFFFFFFFFFFFFFFULL);
        zid = m_nextZid++;
        if (zid != 0 && !m_objects.find({entity, zid}) && !(table && table->find(zid) != Table::kNoPosition))
            break;
        m_nextZid = 0;
    } while (true);
    object->m_zid = zid;
    ++m_changeCount;
    Object::Overlay &overlay = object->overlay();
    overlay.insertSequence = ++m_insertSequence;
    // A new row is written whole, most often by a pull that sets nearly every property: one allocation instead of
    // one per doubling.
    overlay.dirty.reserve(d.properties.size());
    for (int p = 0; p < int(d.properties.size()); ++p)
        if (!isNone(d.properties[p].defaultValue))
            overlay.dirty.emplace_back(p, normalized(d.properties[p], d.properties[p].defaultValue));
    Object *raw = object.get();
    if (const Value *id = raw->dirtyValue(d.numericIdentifierProperty))
        indexIdentifier(raw, *id, true);
    m_objects.insert(std::move(object));
    m_states[entity].inserted.push_back(raw);
    raw->awakeFromInsert();
    return raw;
}

void Context::remove(Object *object)
{
    assertThread("remove");
    if (!object)
        return;
    KNVT_ASSERT(object->m_context == this, "ostore::Context", "remove: object of another context");
    if (object->m_state == Object::State::Gone || object->m_state == Object::State::Detached || object->m_pendingDelete)
        return;
    ++m_changeCount;
    // Marked first, so that cascades reaching it again stop and member lists leave it out.
    object->m_pendingDelete = true;
    if (object->isInserted()) {
        applyDeleteRules(object);
        notifyTargets(object, Mutation::Remove);
        if (object->m_overlay)
            for (const auto &[p, v] : object->m_overlay->dirty) {
                if (const ObjectID *id = std::get_if<ObjectID>(&v))
                    removePending(object, p, id->zid);
                else if (p == object->m_entity->numericIdentifierProperty)
                    indexIdentifier(object, v, false);
            }
        auto &inserted = m_states[object->m_entity->id].inserted;
        inserted.erase(std::find(inserted.begin(), inserted.end(), object));
        makeGone(object);
        return;
    }
    updateOverlaid(object);
    applyDeleteRules(object);
    notifyTargets(object, Mutation::Remove);
}

void Context::applyDeleteRules(Object *object)
{
    const EntityDescription &d = *object->m_entity;
    for (int i = 0; i < int(d.inverses.size()); ++i) {
        const InverseDescription &inv = d.inverses[i];
        for (Object *member : members(object, i)) {
            if (inv.onTargetDelete == OnTargetDelete::Cascade)
                remove(member);
            else
                setToOne(member, inv.sourceProperty, nullptr);
        }
    }
}

void Context::notifyTargets(Object *object, Mutation mutation)
{
    const EntityDescription &d = *object->m_entity;
    for (int p = 0; p < int(d.properties.size()); ++p) {
        const PropertyDescription &prop = d.properties[p];
        if (!prop.isToOne())
            continue;
        const Value v = object->currentValue(p);
        const ObjectID *id = std::get_if<ObjectID>(&v);
        if (!id)
            continue;
        Object *target = resolve(*id);
        if (target && target->m_state != Object::State::Gone)
            target->didChangeToMany(keyView(m_coordinator->model().entity(prop.target).inverses[prop.inverse].key),
                                    mutation, {object});
    }
}

Object *Context::existingObject(ObjectID id)
{
    assertThread("existingObject");
    return resolve(id);
}

Object *Context::resolve(ObjectID id)
{
    if (Object *o = registered(id))
        return o->m_state == Object::State::Gone ? nullptr : o;
    if (!isOpen() || id.entity >= m_states.size() || id.zid <= 0)
        return nullptr;
    if (!m_coordinator->ensureLoaded({id.entity}, nullptr))
        return nullptr;
    const quint32 pos = m_coordinator->table(id.entity)->find(id.zid);
    if (pos == Table::kNoPosition)
        return nullptr;
    Object *o = registerRow(id.entity, id.zid, pos);
    o->awakeFromFetch();
    return o;
}

Object *Context::registerRow(EntityId entity, qint64 zid, quint32 pos)
{
    const EntityDescription &d = m_coordinator->model().entity(entity);
    std::unique_ptr<Object> object(d.factory());
    object->m_context = this;
    object->m_entity = &d;
    object->m_zid = zid;
    object->m_state = Object::State::Committed;
    object->m_position = pos;
    object->m_generation = m_coordinator->table(entity)->generation();
    Object *raw = object.get();
    m_objects.insert(std::move(object));
    return raw;
}

Object *Context::objectFor(const RowRef &row, EntityId entity, std::vector<Object *> &awakened)
{
    if (row.object)
        return const_cast<Object *>(row.object);
    const qint64 zid = row.table->zid(row.pos);
    if (Object *o = registered({entity, zid}))
        return o;
    Object *o = registerRow(entity, zid, row.pos);
    awakened.push_back(o);
    return o;
}

// ---- fetch, count, first object ----

template <class F>
void Context::scan(EvalScope &scope, const Evaluator &evaluator, EntityId entity, bool backwards,
                   const ScanRange &range, F &&f)
{
    Table *table = scope.table(entity);
    const std::vector<Object *> &inserted = m_states[entity].inserted;
    auto visitPosition = [&](quint32 pos) {
        if (!table->isLive(pos))
            return true;
        const RowRef r = scope.rowAt(entity, pos);
        if (r.object && r.object->m_pendingDelete)
            return true;
        return evaluator.matches(r) ? f(r) : true;
    };
    auto visitInsert = [&](Object *o) {
        const RowRef r{table, RowRef::kNoPosition, o};
        return evaluator.matches(r) ? f(r) : true;
    };
    const std::optional<std::vector<quint32>> candidates = evaluator.candidates();
    const std::optional<std::vector<Object *>> insertCandidates = evaluator.insertCandidates();
    const std::vector<Object *> &inserts = insertCandidates ? *insertCandidates : inserted;
    // Without an index bucket, the plain column terms first narrow the live rows column by column.
    std::vector<quint64> rows;
    if (!candidates) {
        rows = table->liveWords();
        // Words outside the range are left empty, so that the narrowing passes them over.
        for (size_t w = 0; w < rows.size(); ++w)
            if (w < range.firstWord || w >= range.endWord)
                rows[w] = 0;
        const auto &state = m_states[entity];
        evaluator.prefilter(rows, state.overlaid.empty() ? nullptr : &state.overlayBits);
    }
    if (!backwards) {
        if (candidates) {
            for (quint32 pos : *candidates)
                if ((pos >> 6) >= range.firstWord && (pos >> 6) < range.endWord && !visitPosition(pos))
                    return;
        } else {
            for (size_t w = 0; w < rows.size(); ++w) {
                for (quint64 bits = rows[w]; bits; bits &= bits - 1)
                    if (!visitPosition(quint32((w << 6) | size_t(std::countr_zero(bits)))))
                        return;
            }
        }
        if (range.inserts)
            for (Object *o : inserts)
                if (!visitInsert(o))
                    return;
        return;
    }
    for (auto it = inserts.rbegin(); it != inserts.rend(); ++it)
        if (!visitInsert(*it))
            return;
    if (candidates) {
        for (auto it = candidates->rbegin(); it != candidates->rend(); ++it)
            if (!visitPosition(*it))
                return;
    } else {
        for (size_t w = rows.size(); w-- > 0;) {
            for (quint64 bits = rows[w]; bits;) {
                const int bit = 63 - std::countl_zero(bits);
                bits &= ~(quint64(1) << bit);
                if (!visitPosition(quint32((w << 6) | size_t(bit))))
                    return;
            }
        }
    }
}

std::vector<Object *> Context::fetch(const FetchRequest &request, knvt::Error *error)
{
    return fetchEntity(entityForName(request.entity), request.predicate, request.sort, request.limit, error);
}

Context::FetchSlice Context::fetchSlice(const FetchRequest &request, qint64 from, qint64 rows, knvt::Error *error)
{
    assertThread("fetch");
    FetchSlice slice;
    if (!isOpen()) {
        failClosed(error);
        return slice;
    }
    const EntityId entity = entityForName(request.entity);
    EvalScope scope(*this);
    Evaluator evaluator(scope, entity, request.predicate);
    if (!scope.prepare(error))
        return slice;
    // Whole words of 64 positions, as the scan narrows them.
    const size_t words = (size_t(scope.table(entity)->slotCount()) + 63) / 64;
    ScanRange range;
    range.firstWord = size_t(std::max<qint64>(from, 0)) / 64;
    range.endWord = std::min(words, range.firstWord + (size_t(std::max<qint64>(rows, 1)) + 63) / 64);
    range.inserts = range.endWord >= words;
    std::vector<RowRef> found;
    scan(scope, evaluator, entity, false, range, [&](const RowRef &r) {
        found.push_back(r);
        return true;
    });
    std::vector<Object *> awakened;
    slice.objects.reserve(found.size());
    for (const RowRef &r : found)
        slice.objects.push_back(objectFor(r, entity, awakened));
    for (Object *o : awakened)
        o->awakeFromFetch();
    slice.next = range.inserts ? -1 : qint64(range.endWord) * 64;
    return slice;
}

qsizetype Context::count(const FetchRequest &request, knvt::Error *error)
{
    return countEntity(entityForName(request.entity), request.predicate, error);
}

Object *Context::firstObject(const FetchRequest &request)
{
    return firstEntity(entityForName(request.entity), request.predicate);
}

std::vector<Object *> Context::fetchEntity(EntityId entity, const Predicate &predicate,
                                           const std::vector<SortDescriptor> &sort, qsizetype limit, knvt::Error *error)
{
    assertThread("fetch");
    if (!isOpen()) {
        failClosed(error);
        return {};
    }
    EvalScope scope(*this);
    Evaluator evaluator(scope, entity, predicate);
    std::vector<KeyPath> sortPaths;
    for (const SortDescriptor &s : sort) {
        sortPaths.push_back(KeyPath::compile(m_coordinator->model(), entity, s.key, false));
        sortPaths.back().require(scope);
    }
    if (!scope.prepare(error))
        return {};
    std::vector<RowRef> rows;
    scan(scope, evaluator, entity, false, ScanRange(), [&](const RowRef &r) {
        rows.push_back(r);
        return true;
    });
    if (!sort.empty()) {
        const size_t n = rows.size(), k = sort.size();
        std::vector<CellView> keys(n * k);
        std::vector<std::optional<QCollatorSortKey>> collated(n * k);
        for (size_t i = 0; i < n; ++i) {
            for (size_t j = 0; j < k; ++j) {
                CellView &v = keys[i * k + j];
                v = sortPaths[j].read(scope, rows[i]);
                if (!v.null && sort[j].collation == Collation::Localized && sortPaths[j].type == Type::String)
                    collated[i * k + j] = knvt::titleCollator().sortKey(v.string.toString());
            }
        }
        std::vector<quint32> order(n);
        std::iota(order.begin(), order.end(), 0);
        auto compareKey = [&](size_t a, size_t b, size_t j) -> int {
            const CellView &x = keys[a * k + j], &y = keys[b * k + j];
            if (x.null || y.null)
                return x.null == y.null ? 0 : x.null ? -1 : 1; // nulls are the smallest
            switch (sortPaths[j].type) {
            case Type::String:
                if (collated[a * k + j])
                    return collated[a * k + j]->compare(*collated[b * k + j]);
                return QAnyStringView::compare(x.string, y.string);
            case Type::Double: return x.cell.d < y.cell.d ? -1 : x.cell.d > y.cell.d ? 1 : 0;
            default: return x.cell.i < y.cell.i ? -1 : x.cell.i > y.cell.i ? 1 : 0;
            }
        };
        std::stable_sort(order.begin(), order.end(), [&](quint32 a, quint32 b) {
            for (size_t j = 0; j < k; ++j) {
                const int c = compareKey(a, b, j);
                if (c != 0)
                    return sort[j].ascending ? c < 0 : c > 0;
            }
            return false;
        });
        std::vector<RowRef> sorted;
        sorted.reserve(n);
        for (quint32 i : order)
            sorted.push_back(rows[i]);
        rows.swap(sorted);
    }
    if (limit > 0 && qsizetype(rows.size()) > limit)
        rows.resize(size_t(limit));
    // Registered only after the scan, so that an awakeFromFetch that inserts cannot disturb it.
    std::vector<Object *> out, awakened;
    out.reserve(rows.size());
    for (const RowRef &r : rows)
        out.push_back(objectFor(r, entity, awakened));
    for (Object *o : awakened)
        o->awakeFromFetch();
    return out;
}

qsizetype Context::countEntity(EntityId entity, const Predicate &predicate, knvt::Error *error)
{
    assertThread("count");
    if (!isOpen()) {
        failClosed(error);
        return 0;
    }
    EvalScope scope(*this);
    Evaluator evaluator(scope, entity, predicate);
    if (!scope.prepare(error))
        return 0;
    qsizetype n = 0;
    scan(scope, evaluator, entity, false, ScanRange(), [&](const RowRef &) {
        ++n;
        return true;
    });
    return n;
}

bool Context::evaluate(const Object *object, const Predicate &predicate)
{
    assertThread("evaluate");
    if (!isOpen() || !object || object->m_context != this)
        return false;
    EvalScope scope(*this);
    Evaluator evaluator(scope, object->entity().id, predicate);
    if (object->m_pendingDelete || object->m_state == Object::State::Gone || !scope.prepare(nullptr))
        return false;
    const RowRef row = scope.rowFor(object);
    return row.isValid() && evaluator.matches(row);
}

Object *Context::firstEntity(EntityId entity, const Predicate &predicate)
{
    assertThread("firstObject");
    if (!isOpen())
        return nullptr;
    EvalScope scope(*this);
    Evaluator evaluator(scope, entity, predicate);
    if (!scope.prepare(nullptr))
        return nullptr;
    RowRef found;
    scan(scope, evaluator, entity, true, ScanRange(), [&](const RowRef &r) {
        found = r;
        return false;
    });
    if (!found.isValid())
        return nullptr;
    std::vector<Object *> awakened;
    Object *o = objectFor(found, entity, awakened);
    for (Object *a : awakened)
        a->awakeFromFetch();
    return o;
}

QDateTime Context::nextDate(const QString &entityName, const QString &key, const QDateTime &after,
                            const Predicate &predicate)
{
    assertThread("nextDate");
    if (!isOpen() || !after.isValid())
        return {};
    const EntityId entity = entityForName(entityName);
    const EntityDescription &description = m_coordinator->model().entity(entity);
    const int property = description.property(key);
    if (property < 0 || description.properties[size_t(property)].type != Type::Date)
        return {};
    const int column = description.properties[size_t(property)].column;
    EvalScope scope(*this);
    scope.require(entity);
    Evaluator evaluator(scope, entity, predicate);
    if (!scope.prepare(nullptr))
        return {};
    Table *table = scope.table(entity);
    const Table::OrderedIndex &index = table->orderedIndex(column);
    for (auto it = index.upper_bound({after.toMSecsSinceEpoch(), Table::kNoPosition}); it != index.end(); ++it)
        if (evaluator.matches(RowRef{table, it->second, nullptr}))
            return QDateTime::fromMSecsSinceEpoch(it->first);
    return {};
}

Object *Context::objectWithNumericIdentifier(const QString &entityName, qint64 numericIdentifier)
{
    return objectWithNumericIdentifier(entityForName(entityName), numericIdentifier);
}

Object *Context::objectWithNumericIdentifier(EntityId entity, qint64 numericIdentifier)
{
    assertThread("firstObject");
    if (!isOpen())
        return nullptr;
    const int property = m_coordinator->model().entity(entity).numericIdentifierProperty;
    KNVT_ASSERT(property >= 0, "ostore::Context", "objectWithNumericIdentifier: the entity has no numericIdentifier");
    if (!m_coordinator->table(entity) && !m_coordinator->ensureLoaded({entity}, nullptr))
        return nullptr;
    // The order of an unsorted fetch: committed rows by position, then unsaved inserts in insertion order. The
    // newest match is the last one of that order, so an unsaved insert wins over any row.
    const PendingObjects *changed = pendingWith(entity, property, numericIdentifier);
    Object *newestInsert = nullptr;
    if (changed)
        for (Object *o : *changed)
            if (o->m_state == Object::State::Inserted
                && (!newestInsert || o->m_overlay->insertSequence > newestInsert->m_overlay->insertSequence))
                newestInsert = o;
    if (newestInsert)
        return newestInsert;

    Table *table = m_coordinator->table(entity);
    const EntityState &state = m_states[entity];
    quint32 newest = Table::kNoPosition;
    // A row matches through its unsaved value when it has one (the context indexes those), else through the cache.
    auto consider = [&](quint32 pos) {
        if ((newest != Table::kNoPosition && pos <= newest) || !table->isLive(pos))
            return;
        if (auto it = state.overlaid.find(table->zid(pos)); it != state.overlaid.end()) {
            const Object *o = it->second;
            if (o->m_pendingDelete)
                return;
            if (const Value *d = o->dirtyValue(property)) {
                const qint64 *i = std::get_if<qint64>(d);
                if (!i || *i != numericIdentifier)
                    return;
            }
        }
        newest = pos;
    };
    table->numericIdentifierIndex().forEach(numericIdentifier, consider);
    if (changed)
        for (const Object *o : *changed)
            if (o->m_state == Object::State::Committed)
                if (const quint32 pos = o->position(); pos != Table::kNoPosition)
                    consider(pos);
    if (newest == Table::kNoPosition)
        return nullptr;
    std::vector<Object *> awakened;
    Object *o = objectFor(RowRef{table, newest, nullptr}, entity, awakened);
    for (Object *a : awakened)
        a->awakeFromFetch();
    return o;
}

std::vector<Object *> Context::members(const Object *target, int inverse)
{
    if (!isOpen() || target->m_state == Object::State::Gone || target->m_state == Object::State::Detached)
        return {};
    const InverseDescription &inv = target->m_entity->inverses[inverse];
    // Only an unsaved to-one can name an unsaved insert; a pull asks every object it inserts for its members.
    if (target->m_state == Object::State::Inserted) {
        const PendingObjects *sources = pendingWith(inv.source, inv.sourceProperty, target->m_zid);
        if (!sources || sources->empty())
            return {};
    }
    EvalScope scope(*this);
    scope.require(target->m_entity->id);
    scope.require(inv.source);
    if (!scope.prepare(nullptr))
        return {};
    std::vector<RowRef> rows;
    scope.forEachMember(scope.rowFor(target), inv, [&](const RowRef &r) {
        rows.push_back(r);
        return true;
    });
    // Z_ROWID order (cache positions follow it), then unsaved inserts in insertion order.
    auto rank = [](const RowRef &r) {
        return r.pos != RowRef::kNoPosition ? std::pair<int, quint64>(0, r.pos)
                                            : std::pair<int, quint64>(1, r.object->m_overlay->insertSequence);
    };
    std::sort(rows.begin(), rows.end(), [&](const RowRef &a, const RowRef &b) { return rank(a) < rank(b); });
    std::vector<Object *> out, awakened;
    for (const RowRef &r : rows)
        out.push_back(objectFor(r, inv.source, awakened));
    for (Object *o : awakened)
        o->awakeFromFetch();
    return out;
}

Object *Context::holderOf(const Object *target, int inverse)
{
    const std::vector<Object *> m = members(target, inverse);
    return m.empty() ? nullptr : m.back();
}

QByteArray Context::blob(const Object *object, int property) const
{
    if (const Value *d = object->dirtyValue(property)) {
        const QByteArray *b = std::get_if<QByteArray>(d);
        return b ? *b : QByteArray();
    }
    if (object->m_overlay) {
        for (const auto &[p, b] : object->m_overlay->blobs)
            if (p == property)
                return b;
    }
    if (object->m_state != Object::State::Committed || !isOpen()) {
        // Gone or closed: only what was frozen; an unsaved insert has no committed BLOB.
        if (object->m_state == Object::State::Inserted || !object->m_overlay
            || size_t(property) >= object->m_overlay->frozen.size())
            return QByteArray();
        const QByteArray *frozen = std::get_if<QByteArray>(&object->m_overlay->frozen[property]);
        return frozen ? *frozen : QByteArray();
    }
    const QByteArray b = m_coordinator->readBlob(object->m_entity->id, property, object->m_zid);
    const_cast<Object *>(object)->overlay().blobs.emplace_back(property, b);
    return b;
}

// ---- writes ----

Value Context::normalized(const PropertyDescription &p, Value value) const
{
    switch (value.index()) {
    case 0: return Value();
    case 1: { // qint64
        const qint64 i = std::get<qint64>(value);
        if (p.type == Type::Int64)
            return value;
        if (p.type == Type::Bool)
            return Value(i != 0);
        if (p.type == Type::Double)
            return Value(double(i));
        valueError(p);
    }
    case 2: // bool
        if (p.type == Type::Bool)
            return value;
        if (p.type == Type::Int64)
            return Value(qint64(std::get<bool>(value)));
        break;
    case 3: // double
        if (p.type == Type::Double)
            return value;
        break;
    case 4: // QString
        if (p.type == Type::String)
            return std::get<QString>(value).isNull() ? Value() : std::move(value);
        break;
    case 5: { // QDateTime
        if (p.type != Type::Date)
            break;
        const QDateTime &d = std::get<QDateTime>(value);
        if (!d.isValid())
            return Value();
        // Dates read from the service are UTC already; converting them again costs a time-zone lookup.
        if (d.timeSpec() == Qt::UTC)
            return value;
        return Value(QDateTime::fromMSecsSinceEpoch(d.toMSecsSinceEpoch(), Qt::UTC));
    }
    case 6: // QByteArray
        if (p.type == Type::Blob)
            return std::get<QByteArray>(value).isNull() ? Value() : std::move(value);
        break;
    case 7: // ObjectID
        if (p.type == Type::ToOne)
            return std::get<ObjectID>(value).isNull() ? Value() : std::move(value);
        break;
    }
    valueError(p);
}

bool Context::writableOrWarn(Object *object) const
{
    if (object->m_state != Object::State::Gone && object->m_state != Object::State::Detached)
        return true;
    if (!object->m_warned) {
        qCWarning(lcObjectStore) << "ignored a write to" << object->m_entity->name << object->m_zid
                                 << "whose row no longer exists";
        object->m_warned = true;
    }
    return false;
}

void Context::updateOverlaid(Object *object)
{
    if (object->m_state != Object::State::Committed)
        return;
    EntityState &state = m_states[object->m_entity->id];
    const bool overlaid = object->hasDirty() || object->m_pendingDelete;
    if (overlaid)
        state.overlaid[object->m_zid] = object;
    else
        state.overlaid.erase(object->m_zid);
    markOverlay(state, object, overlaid);
}

void Context::markOverlay(EntityState &state, Object *object, bool overlaid)
{
    const Table *table = object->table();
    if (!table || state.overlayTable != table || state.overlayGeneration != table->generation()) {
        state.overlayTable = nullptr; // rebuilt by the next query
        return;
    }
    const quint32 pos = object->position();
    if (pos == Table::kNoPosition)
        return;
    if (state.overlayBits.size() <= pos >> 6)
        state.overlayBits.resize((pos >> 6) + 1, 0);
    const quint64 bit = quint64(1) << (pos & 63);
    if (overlaid) {
        state.overlayBits[pos >> 6] |= bit;
        state.overlayByPosition[pos] = object;
    } else {
        state.overlayBits[pos >> 6] &= ~bit;
        state.overlayByPosition.erase(pos);
    }
}

bool Context::storeValue(Object *object, int property, Value value)
{
    ++m_changeCount;
    const Value committed = object->isInserted() ? Value() : object->committedValue(property);
    auto &dirty = object->overlay().dirty;
    auto it = std::find_if(dirty.begin(), dirty.end(), [&](const auto &e) { return e.first == property; });
    const bool isDirty = !(value == committed);
    if (property == object->m_entity->numericIdentifierProperty) {
        if (it != dirty.end())
            indexIdentifier(object, it->second, false);
        if (isDirty)
            indexIdentifier(object, value, true);
    }
    if (!isDirty) {
        if (it != dirty.end())
            dirty.erase(it);
    } else if (it != dirty.end()) {
        it->second = std::move(value);
    } else {
        dirty.emplace_back(property, std::move(value));
    }
    updateOverlaid(object);
    return isDirty;
}

void Context::addPending(Object *object, int property, qint64 target)
{
    m_states[object->m_entity->id].pending[property][target].push_back(object);
}

void Context::removePending(Object *object, int property, qint64 target)
{
    auto &byProperty = m_states[object->m_entity->id].pending;
    auto p = byProperty.find(property);
    if (p == byProperty.end())
        return;
    auto t = p->second.find(target);
    if (t == p->second.end())
        return;
    auto &v = t->second;
    v.erase(std::remove(v.begin(), v.end(), object), v.end());
    if (v.empty())
        p->second.erase(t);
}

const PendingObjects *Context::pendingWith(EntityId entity, int property, qint64 key) const
{
    const EntityState &state = m_states[entity];
    if (property == m_coordinator->model().entity(entity).numericIdentifierProperty) {
        auto it = state.pendingIdentifiers.find(key);
        return it == state.pendingIdentifiers.end() ? nullptr : &it->second;
    }
    auto p = state.pending.find(property);
    if (p == state.pending.end())
        return nullptr;
    auto t = p->second.find(key);
    return t == p->second.end() ? nullptr : &t->second;
}

void Context::indexIdentifier(Object *object, const Value &value, bool add)
{
    const qint64 *id = std::get_if<qint64>(&value);
    if (!id)
        return;
    auto &byIdentifier = m_states[object->m_entity->id].pendingIdentifiers;
    if (add) {
        byIdentifier[*id].push_back(object);
        return;
    }
    auto it = byIdentifier.find(*id);
    if (it == byIdentifier.end())
        return;
    auto &v = it->second;
    v.erase(std::remove(v.begin(), v.end(), object), v.end());
    if (v.empty())
        byIdentifier.erase(it);
}

void Context::sweepPending()
{
    m_sweepPending = false;
    // An entry stays while its object still holds that unsaved value.
    auto holds = [](const Object *object, int property, qint64 key) {
        const Value *v = object->dirtyValue(property);
        if (!v)
            return false;
        if (const ObjectID *id = std::get_if<ObjectID>(v))
            return id->zid == key;
        const qint64 *i = std::get_if<qint64>(v);
        return i && *i == key;
    };
    auto sweep = [&](PendingByKey &byKey, int property) {
        for (auto it = byKey.begin(); it != byKey.end();) {
            PendingObjects &objects = it->second;
            const qint64 key = it->first;
            objects.erase(std::remove_if(objects.begin(), objects.end(),
                                         [&](const Object *o) { return !holds(o, property, key); }),
                          objects.end());
            it = objects.empty() ? byKey.erase(it) : std::next(it);
        }
    };
    for (EntityId e = 0; e < EntityId(m_states.size()); ++e) {
        EntityState &state = m_states[e];
        for (auto it = state.pending.begin(); it != state.pending.end();) {
            sweep(it->second, it->first);
            it = it->second.empty() ? state.pending.erase(it) : std::next(it);
        }
        sweep(state.pendingIdentifiers, m_coordinator->model().entity(e).numericIdentifierProperty);
    }
}

void Context::clearDirty(Object *object)
{
    if (object->m_overlay) {
        for (const auto &[p, v] : object->m_overlay->dirty) {
            if (const ObjectID *id = std::get_if<ObjectID>(&v))
                removePending(object, p, id->zid);
            else if (p == object->m_entity->numericIdentifierProperty)
                indexIdentifier(object, v, false);
        }
        object->m_overlay->dirty.clear();
    }
    updateOverlaid(object);
}

void Context::setProperty(Object *object, int property, Value value)
{
    assertThread("setValue");
    if (!writableOrWarn(object))
        return;
    const PropertyDescription &p = object->m_entity->properties[property];
    if (p.isToOne()) {
        const Value v = normalized(p, std::move(value));
        Object *target = nullptr;
        if (const ObjectID *id = std::get_if<ObjectID>(&v)) {
            target = resolve(*id);
            KNVT_ASSERT(target != nullptr, "ostore::Context", "setValue: to-one target does not exist");
        }
        setToOne(object, property, target);
        return;
    }
    storeValue(object, property, normalized(p, std::move(value)));
    object->didChangeValue(keyView(p.key));
}

void Context::setToOne(Object *object, int property, Object *target)
{
    assertThread("setValue");
    if (!writableOrWarn(object))
        return;
    const PropertyDescription &p = object->m_entity->properties[property];
    KNVT_ASSERT(p.isToOne(), "ostore::Context", "setToOne: not a to-one");
    KNVT_ASSERT(!target || target->m_context == this, "ostore::Context", "setToOne: target belongs to another context");
    KNVT_ASSERT(!target || target->m_entity->id == p.target, "ostore::Context", "setToOne: target of the wrong entity");
    const Value old = object->currentValue(property);
    const ObjectID oldId = std::holds_alternative<ObjectID>(old) ? std::get<ObjectID>(old) : ObjectID{};
    const ObjectID newId = target ? target->objectID() : ObjectID{};

    if (const Value *d = object->dirtyValue(property))
        if (const ObjectID *id = std::get_if<ObjectID>(d))
            removePending(object, property, id->zid);
    const bool dirty = storeValue(object, property, target ? Value(newId) : Value());
    if (dirty && target)
        addPending(object, property, newId.zid);

    if (p.unique && target && !(oldId == newId)) {
        for (Object *previous : members(target, p.inverse))
            if (previous != object)
                setToOne(previous, property, nullptr);
    }
    object->didChangeValue(keyView(p.key));
    if (!(oldId == newId)) {
        const std::string_view inverseKey = keyView(m_coordinator->model().entity(p.target).inverses[p.inverse].key);
        if (!oldId.isNull()) {
            Object *previous = resolve(oldId);
            if (previous && previous->m_state != Object::State::Gone)
                previous->didChangeToMany(inverseKey, Mutation::Remove, {object});
        }
        if (target)
            target->didChangeToMany(inverseKey, Mutation::Insert, {object});
    }
}

// ---- save ----

quint64 Context::changeCount() const
{
    return m_changeCount + (m_coordinator ? m_coordinator->m_cacheChangeCount : 0);
}

bool Context::hasChanges() const
{
    for (const EntityState &s : m_states)
        if (!s.inserted.empty() || !s.overlaid.empty())
            return true;
    return false;
}

std::vector<Object *> Context::insertedObjects() const
{
    std::vector<Object *> out;
    for (const EntityState &s : m_states)
        out.insert(out.end(), s.inserted.begin(), s.inserted.end());
    return out;
}

std::vector<Object *> Context::updatedObjects() const
{
    std::vector<Object *> out;
    for (const EntityState &s : m_states)
        for (const auto &[zid, o] : s.overlaid)
            if (!o->m_pendingDelete && o->hasDirty())
                out.push_back(o);
    return out;
}

std::vector<Object *> Context::deletedObjects() const
{
    std::vector<Object *> out;
    for (const EntityState &s : m_states)
        for (const auto &[zid, o] : s.overlaid)
            if (o->m_pendingDelete)
                out.push_back(o);
    return out;
}

bool Context::save(knvt::Error *error)
{
    return saveChanges(nullptr, error);
}

bool Context::save(const RecordedDate &date, knvt::Error *error)
{
    return saveChanges(&date, error);
}

bool Context::saveChanges(const RecordedDate *date, knvt::Error *error)
{
    assertThread("save");
    KNVT_ASSERT(!m_saving, "ostore::Context", "save: re-entrant save");
    if (!isOpen())
        return failClosed(error);
    if (!hasChanges())
        return !date || m_coordinator->commitRecordedDate(*date, error);
    m_saving = true;
    emit willSave();
    if (!isOpen()) {
        m_saving = false;
        return failClosed(error);
    }
    std::vector<RowWrite> writes;
    size_t total = 0;
    for (const EntityState &s : m_states)
        total += s.inserted.size() + s.overlaid.size();
    writes.reserve(total);
    for (EntityId e = 0; e < EntityId(m_states.size()); ++e) {
        EntityState &s = m_states[e];
        for (Object *o : s.inserted) {
            RowWrite w;
            w.kind = RowWrite::Kind::Insert;
            w.object = o;
            w.entity = e;
            writes.push_back(std::move(w));
        }
        std::vector<Object *> overlaid;
        for (const auto &[zid, o] : s.overlaid)
            overlaid.push_back(o);
        std::sort(overlaid.begin(), overlaid.end(), [](Object *a, Object *b) { return a->position() < b->position(); });
        for (Object *o : overlaid) {
            RowWrite w;
            w.object = o;
            w.entity = e;
            if (o->m_pendingDelete) {
                w.kind = RowWrite::Kind::Delete;
            } else {
                w.kind = RowWrite::Kind::Update;
                for (const auto &[p, v] : o->m_overlay->dirty)
                    w.properties.push_back(p);
                std::sort(w.properties.begin(), w.properties.end());
            }
            writes.push_back(std::move(w));
        }
    }
    ChangeSet changes;
    const bool ok = m_coordinator->commit(*this, writes, changes, date, error);
    bool unsavedLeft = false;
    for (EntityState &s : m_states) {
        s.inserted.erase(
            std::remove_if(s.inserted.begin(), s.inserted.end(), [](Object *o) { return !o->isInserted(); }),
            s.inserted.end());
        unsavedLeft = unsavedLeft || !s.inserted.empty()
            || std::any_of(s.overlaid.begin(), s.overlaid.end(),
                           [](const auto &entry) { return entry.second->hasDirty(); });
    }
    // Usually nothing unsaved is left, and the pending indexes go as a whole instead of entry by entry.
    if (!unsavedLeft) {
        m_sweepPending = false;
        for (EntityState &s : m_states) {
            s.pending.clear();
            s.pendingIdentifiers.clear();
        }
    } else if (m_sweepPending) {
        sweepPending();
    }
    m_saving = false;
    if (!ok)
        return false;
    emit didSave(changes);
    m_coordinator->emitQueuedExternal();
    return true;
}

void Context::didCommit(RowWrite &write)
{
    // The saved values leave the pending indexes in one sweep once the whole save is applied: taken out one object
    // at a time, each removal searched a bucket that holds every unsaved source of a popular target.
    Object *o = write.object;
    switch (write.kind) {
    case RowWrite::Kind::Insert:
        m_sweepPending = true;
        o->m_state = Object::State::Committed;
        o->m_overlay.reset();
        o->m_position = Table::kNoPosition;
        break;
    case RowWrite::Kind::Update:
        if (o->m_state == Object::State::Committed) {
            m_sweepPending = true;
            if (o->m_overlay)
                o->m_overlay->dirty.clear();
            updateOverlaid(o);
        }
        break;
    case RowWrite::Kind::Delete: break; // rowVanished made it gone
    }
}

void Context::rowVanished(ObjectID id)
{
    Object *o = registered(id);
    if (!o || o->m_state != Object::State::Committed)
        return;
    clearDirty(o);
    m_states[id.entity].overlaid.erase(id.zid);
    m_states[id.entity].overlayTable = nullptr;
    makeGone(o);
}

void Context::makeGone(Object *object)
{
    object->freeze(Object::State::Gone);
    const quint64 commit = m_coordinator->m_cacheChangeCount;
    m_goneWithValues.push_back({object, commit});
    while (m_goneWithValues.size() > kGoneKeepingValues && m_goneWithValues.front().commit != commit) {
        // A gone object has no unsaved values nor BLOBs left: its overlay held only what it froze.
        m_goneWithValues.front().object->m_overlay.reset();
        m_goneWithValues.pop_front();
    }
}

void Context::detach()
{
    ++m_changeCount;
    for (const std::unique_ptr<Object> &o : m_objects.objects()) {
        if (o->m_state == Object::State::Committed || o->m_state == Object::State::Inserted)
            o->freeze(Object::State::Detached);
    }
    for (EntityState &s : m_states)
        s = EntityState(&m_pendingMemory);
}

// ---- merge, refresh, committed values ----

void Context::mergeChanges(const ChangeSet &changes, ChangeOrigin origin)
{
    assertThread("mergeChanges");
    ++m_changeCount;
    emit objectsDidChange(changes, origin);
}

void Context::refresh(Object *object, bool keepLocalChanges)
{
    assertThread("refresh");
    if (!object || object->m_context != this || object->m_state != Object::State::Committed)
        return;
    if (object->m_overlay)
        object->m_overlay->blobs.clear();
    if (keepLocalChanges)
        return;
    ++m_changeCount;
    object->m_pendingDelete = false;
    clearDirty(object);
}

void Context::refreshAll(bool keepLocalChanges)
{
    assertThread("refreshAll");
    for (const std::unique_ptr<Object> &o : m_objects.objects())
        refresh(o.get(), keepLocalChanges);
}

ChangeSet Context::rollback()
{
    assertThread("rollback");
    ChangeSet changes;
    // Inserts first: their delete rules touch the committed objects that point at them, which are restored below.
    for (EntityState &state : m_states) {
        const std::vector<Object *> inserted = state.inserted;
        for (Object *object : inserted) {
            // A cascade from an earlier insert may have taken it already.
            if (!object->isInserted())
                continue;
            changes.deleted.push_back(object->objectID());
            remove(object);
        }
    }
    for (EntityState &state : m_states) {
        std::vector<Object *> overlaid;
        overlaid.reserve(state.overlaid.size());
        for (const auto &[zid, object] : state.overlaid)
            overlaid.push_back(object);
        std::sort(overlaid.begin(), overlaid.end(), [](Object *a, Object *b) { return a->m_zid < b->m_zid; });
        for (Object *object : overlaid) {
            changes.updated.push_back(object->objectID());
            refresh(object, false);
        }
    }
    return changes;
}

ValueMap Context::committedValues(const Object *object, const QStringList &keys) const
{
    assertThread("committedValues");
    ValueMap out;
    if (!object || object->m_state == Object::State::Inserted)
        return out;
    const EntityDescription &d = *object->m_entity;
    auto add = [&](int p) {
        if (object->m_state == Object::State::Committed)
            out.insert(d.properties[p].name, object->committedValue(p));
        else
            out.insert(d.properties[p].name, object->currentValue(p));
    };
    if (keys.isEmpty()) {
        for (int p = 0; p < int(d.properties.size()); ++p)
            if (d.properties[p].type != Type::Blob)
                add(p);
    } else {
        for (const QString &k : keys) {
            const int p = d.property(k);
            KNVT_ASSERT(p >= 0, "ostore::Context", "committedValues: unknown key");
            add(p);
        }
    }
    return out;
}

} // namespace ostore

#include "moc_Context.cpp"
