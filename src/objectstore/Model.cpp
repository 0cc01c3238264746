#include "objectstore/Model.h"

#include "foundation/Assert.h"

#include <QCryptographicHash>

#include <cstdio>
#include <cstdlib>

namespace ostore {

namespace {

[[noreturn]] void modelError(const QString &message)
{
    std::fprintf(stderr, "ostore::Model: %s\n", qPrintable(message));
    std::fflush(stderr);
    std::abort();
}

const char *sqlType(Type type)
{
    switch (type) {
    case Type::Int64:
    case Type::Bool:
    case Type::Date:
    case Type::ToOne: return "INTEGER";
    case Type::Double: return "REAL";
    case Type::String: return "TEXT";
    case Type::Blob: return "BLOB";
    }
    return "";
}

} // namespace

Model::Model(int version) : m_version(version) {}

Model::EntityBuilder Model::addEntity(const QString &name, std::type_index type, std::function<Object *()> factory,
                                      AccessorRegistry *accessors)
{
    KNVT_ASSERT(!m_finalized, "ostore::Model", "entity");
    if (entityId(name) != kNoEntity)
        modelError(QStringLiteral("entity %1 declared twice").arg(name));
    auto e = std::make_unique<EntityDescription>();
    e->name = name;
    e->id = EntityId(m_entities.size());
    e->type = type;
    e->factory = std::move(factory);
    e->accessors = accessors;
    // A class declared twice resolves to its first entity.
    if (m_entityByType.emplace(type, e->id).second && accessors) {
        const size_t number = size_t(accessors->typeNumber());
        if (m_entityByTypeNumber.size() <= number)
            m_entityByTypeNumber.resize(number + 1, kNoEntity);
        m_entityByTypeNumber[number] = e->id;
    }
    m_entities.push_back(std::move(e));
    return EntityBuilder(this, m_entities.back().get());
}

Model &Model::migration(int fromVersion, QStringList steps)
{
    m_migrations[fromVersion] = std::move(steps);
    return *this;
}

Model::EntityBuilder &Model::EntityBuilder::add(PropertyDescription p)
{
    KNVT_ASSERT(!m_model->m_finalized, "ostore::Model", "attr");
    if (m_entity->propertyByName.contains(p.name) || p.name.startsWith(QLatin1String("Z_")))
        modelError(QStringLiteral("property %1.%2 declared twice or reserved").arg(m_entity->name, p.name));
    p.key = p.name.toUtf8();
    if (p.type != Type::Blob) {
        p.column = int(m_entity->columnProperties.size());
        m_entity->columnProperties.push_back(int(m_entity->properties.size()));
    }
    m_entity->propertyByName.insert(p.name, int(m_entity->properties.size()));
    if (p.name == QLatin1String("numericIdentifier") && p.type == Type::Int64)
        m_entity->numericIdentifierProperty = int(m_entity->properties.size());
    m_entity->properties.push_back(std::move(p));
    if (m_entity->properties.size() > 64)
        modelError(QStringLiteral("entity %1 has more than 64 properties").arg(m_entity->name));
    return *this;
}

Model::EntityBuilder &Model::EntityBuilder::attr(const QString &name, Type type, Value defaultValue)
{
    KNVT_ASSERT(type != Type::ToOne, "ostore::Model", "attr");
    PropertyDescription p;
    p.name = name;
    p.type = type;
    p.defaultValue = std::move(defaultValue);
    return add(std::move(p));
}

Model::EntityBuilder &Model::EntityBuilder::toOne(const QString &name, const QString &target, const QString &inverse,
                                                  OnTargetDelete rule)
{
    PropertyDescription p;
    p.name = name;
    p.type = Type::ToOne;
    p.targetName = target;
    p.inverseName = inverse;
    p.onTargetDelete = rule;
    return add(std::move(p));
}

Model::EntityBuilder &Model::EntityBuilder::oneToOne(const QString &name, const QString &target, const QString &inverse,
                                                     OnTargetDelete rule)
{
    toOne(name, target, inverse, rule);
    m_entity->properties.back().unique = true;
    return *this;
}

EntityId Model::entityId(const QString &name) const
{
    for (const auto &e : m_entities)
        if (e->name == name)
            return e->id;
    return kNoEntity;
}

EntityId Model::entityId(std::type_index type) const
{
    if (auto it = m_entityByType.find(type); it != m_entityByType.end())
        return it->second;
    modelError(QStringLiteral("class %1 is not an entity of the model").arg(QString::fromLatin1(type.name())));
}

void Model::finalize()
{
    if (m_finalized)
        return;
    for (auto &e : m_entities) {
        for (int i = 0; i < int(e->properties.size()); ++i) {
            PropertyDescription &p = e->properties[i];
            if (!p.isToOne())
                continue;
            p.target = entityId(p.targetName);
            if (p.target == kNoEntity)
                modelError(QStringLiteral("%1.%2 targets unknown entity %3").arg(e->name, p.name, p.targetName));
            EntityDescription &t = *m_entities[p.target];
            if (t.inverseByName.contains(p.inverseName) || t.propertyByName.contains(p.inverseName))
                modelError(QStringLiteral("inverse %1.%2 declared twice").arg(t.name, p.inverseName));
            InverseDescription inv;
            inv.name = p.inverseName;
            inv.key = p.inverseName.toUtf8();
            inv.source = e->id;
            inv.sourceProperty = i;
            inv.unique = p.unique;
            inv.onTargetDelete = p.onTargetDelete;
            p.inverse = int(t.inverses.size());
            t.inverseByName.insert(inv.name, p.inverse);
            t.inverses.push_back(std::move(inv));
        }
    }
    // Every accessor macro must name a property of the model, with the matching kind and type.
    for (auto &e : m_entities) {
        if (!e->accessors)
            continue;
        for (const auto &a : e->accessors->accessors()) {
            int target = -1;
            bool ok = false;
            switch (a.kind) {
            case AccessorRegistry::Kind::Attribute:
                target = e->property(a.name);
                ok = target >= 0 && e->properties[target].type == a.type;
                break;
            case AccessorRegistry::Kind::ToOne:
                target = e->property(a.name);
                ok = target >= 0 && e->properties[target].isToOne();
                break;
            case AccessorRegistry::Kind::ToMany:
                target = e->inverse(a.name);
                ok = target >= 0 && !e->inverses[target].unique;
                break;
            case AccessorRegistry::Kind::InverseToOne:
                target = e->inverse(a.name);
                ok = target >= 0 && e->inverses[target].unique;
                break;
            }
            if (!ok)
                modelError(QStringLiteral("accessor %1::%2 names no matching property of entity %3")
                               .arg(e->accessors->className(), a.name, e->name));
            e->accessorTargets.push_back(target);
        }
    }
    m_finalized = true;
}

QString Model::ddl() const
{
    QString out;
    for (const auto &e : m_entities) {
        out += QStringLiteral("CREATE TABLE \"%1\" (Z_ROWID INTEGER PRIMARY KEY AUTOINCREMENT, "
                              "Z_ID INTEGER NOT NULL UNIQUE, Z_TXN INTEGER NOT NULL")
                   .arg(e->name);
        for (const auto &p : e->properties)
            out += QStringLiteral(", \"%1\" %2").arg(p.name, QLatin1String(sqlType(p.type)));
        out += QStringLiteral(");\n");
        out += QStringLiteral("CREATE INDEX \"%1_Z_TXN\" ON \"%1\" (Z_TXN);\n").arg(e->name);
    }
    out += QStringLiteral("CREATE TABLE Z_METADATA (key TEXT PRIMARY KEY, value);\n");
    out +=
        QStringLiteral("CREATE TABLE Z_DELETED (txn INTEGER NOT NULL, entity TEXT NOT NULL, zid INTEGER NOT NULL);\n");
    out += QStringLiteral("CREATE INDEX Z_DELETED_txn ON Z_DELETED (txn);\n");
    return out;
}

QString Model::schemaHash() const
{
    return QString::fromLatin1(QCryptographicHash::hash(ddl().toUtf8(), QCryptographicHash::Sha256).toHex());
}

} // namespace ostore
