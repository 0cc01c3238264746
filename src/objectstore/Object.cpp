#include "objectstore/Object.h"

#include "objectstore/Context.h"
#include "objectstore/Coordinator.h"
#include "objectstore/Table.h"

#include "foundation/Assert.h"

namespace ostore {

Object::~Object() = default;

QUrl Object::uri() const
{
    return m_context->coordinator()->uri(objectID());
}

Context *Object::context() const
{
    return m_state == State::Gone || m_state == State::Detached ? nullptr : m_context;
}

Object::Overlay &Object::overlay()
{
    if (!m_overlay)
        m_overlay = std::make_unique<Overlay>();
    return *m_overlay;
}

const Value *Object::dirtyValue(int property) const
{
    if (!m_overlay)
        return nullptr;
    for (const auto &[p, v] : m_overlay->dirty)
        if (p == property)
            return &v;
    return nullptr;
}

Table *Object::table() const
{
    Coordinator *c = m_context->coordinator();
    return c->isOpen() ? c->table(m_entity->id) : nullptr;
}

quint32 Object::position() const
{
    if (m_state != State::Committed)
        return Table::kNoPosition;
    const Table *t = table();
    if (!t)
        return Table::kNoPosition;
    if (m_generation != t->generation() || m_position >= t->slotCount() || !t->isLive(m_position)
        || t->zid(m_position) != m_zid) {
        m_position = t->find(m_zid);
        m_generation = t->generation();
    }
    return m_position;
}

Value Object::committedValue(int property) const
{
    const PropertyDescription &p = m_entity->properties[property];
    if (p.type == Type::Blob)
        return m_context->blob(this, property);
    const quint32 pos = position();
    if (pos == Table::kNoPosition)
        return Value();
    const Table *t = table();
    if (t->isNull(p.column, pos))
        return Value();
    const Cell &c = t->cell(p.column, pos);
    switch (p.type) {
    case Type::Int64: return Value(c.i);
    case Type::Bool: return Value(c.i != 0);
    case Type::Double: return Value(c.d);
    case Type::String: return Value(c.s->toQString());
    case Type::Date: return Value(QDateTime::fromMSecsSinceEpoch(c.i, Qt::UTC));
    case Type::ToOne: return Value(ObjectID{p.target, c.i});
    case Type::Blob: break;
    }
    return Value();
}

Value Object::currentValue(int property) const
{
    m_context->assertThread("read");
    if (const Value *d = dirtyValue(property))
        return *d;
    switch (m_state) {
    case State::Gone:
    case State::Detached:
        return m_overlay && size_t(property) < m_overlay->frozen.size() ? m_overlay->frozen[property] : Value();
    case State::Inserted: return Value();
    case State::Committed: break;
    }
    return committedValue(property);
}

void Object::freeze(State state)
{
    // Keeps every value readable after the row (or the whole cache) is gone; unsaved values are dropped for rows
    // that existed, kept for unsaved inserts, whose only values they are.
    std::vector<Value> values(m_entity->properties.size());
    for (int p = 0; p < int(values.size()); ++p) {
        if (m_state == State::Inserted) {
            if (const Value *d = dirtyValue(p))
                values[p] = *d;
        } else if (m_entity->properties[p].type == Type::Blob) {
            if (m_overlay)
                for (const auto &[bp, b] : m_overlay->blobs)
                    if (bp == p)
                        values[p] = b;
        } else {
            values[p] = committedValue(p);
        }
    }
    Overlay &o = overlay();
    o.dirty.clear();
    o.blobs.clear();
    o.frozen = std::move(values);
    m_state = state;
    m_pendingDelete = false;
}

Value Object::value(const QString &key) const
{
    const int p = m_entity->property(key);
    KNVT_ASSERT(p >= 0, "ostore::Object", "value: unknown key");
    if (m_entity->properties[p].type == Type::Blob) {
        const QByteArray b = blobValue(p);
        return b.isNull() ? Value() : Value(b);
    }
    return currentValue(p);
}

void Object::setValue(const QString &key, const Value &value)
{
    const int p = m_entity->property(key);
    KNVT_ASSERT(p >= 0, "ostore::Object", "setValue: unknown key");
    m_context->setProperty(this, p, value);
}

bool Object::isUpdated() const
{
    return m_state == State::Committed && hasDirty();
}

ValueMap Object::changedValues() const
{
    ValueMap out;
    if (m_overlay)
        for (const auto &[p, v] : m_overlay->dirty)
            out.insert(m_entity->properties[p].name, v);
    return out;
}

std::optional<qint64> Object::intValue(int property) const
{
    const Value v = currentValue(property);
    if (const qint64 *i = std::get_if<qint64>(&v))
        return *i;
    return std::nullopt;
}

std::optional<bool> Object::boolValue(int property) const
{
    const Value v = currentValue(property);
    if (const bool *b = std::get_if<bool>(&v))
        return *b;
    return std::nullopt;
}

std::optional<double> Object::doubleValue(int property) const
{
    const Value v = currentValue(property);
    if (const double *d = std::get_if<double>(&v))
        return *d;
    return std::nullopt;
}

QString Object::stringValue(int property) const
{
    m_context->assertThread("read");
    if (m_state == State::Committed && !dirtyValue(property)) {
        // The common read: straight from the cache, without building a Value.
        const quint32 pos = position();
        if (pos == Table::kNoPosition)
            return QString();
        const Table *t = table();
        const int column = m_entity->properties[property].column;
        if (t->isNull(column, pos))
            return QString();
        const Str *s = t->cell(column, pos).s;
        return s->length() ? s->toQString() : QStringLiteral("");
    }
    const Value v = currentValue(property);
    if (const QString *s = std::get_if<QString>(&v))
        return *s;
    return QString();
}

QDateTime Object::dateValue(int property) const
{
    const Value v = currentValue(property);
    if (const QDateTime *d = std::get_if<QDateTime>(&v))
        return *d;
    return QDateTime();
}

QByteArray Object::blobValue(int property) const
{
    if (const Value *d = dirtyValue(property)) {
        if (const QByteArray *b = std::get_if<QByteArray>(d))
            return *b;
        return QByteArray();
    }
    const Value v = currentValue(property);
    if (const QByteArray *b = std::get_if<QByteArray>(&v))
        return *b;
    return QByteArray();
}

Object *Object::toOneValue(int property) const
{
    const Value v = currentValue(property);
    const ObjectID *id = std::get_if<ObjectID>(&v);
    if (!id)
        return nullptr;
    return m_context->resolve(*id);
}

Object *Object::inverseToOneValue(int inverse) const
{
    return m_context->holderOf(this, inverse);
}

std::vector<Object *> Object::toManyValue(int inverse) const
{
    return m_context->members(this, inverse);
}

void Object::setPropertyValue(int property, Value value)
{
    m_context->setProperty(this, property, std::move(value));
}

void Object::setToOneValue(int property, Object *target)
{
    m_context->setToOne(this, property, target);
}

} // namespace ostore
