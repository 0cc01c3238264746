#pragma once

#include "objectstore/EntityDescription.h"

#include <QStringList>

#include <map>
#include <memory>
#include <typeindex>
#include <unordered_map>

namespace ostore {

// The entities of one library, declared in code. The engine knows no entity names of its own.
//
//   ostore::Model m(4);
//   m.entity<Task>("Task").attr("title", Type::String).toOne("list", "List", "tasks", OnTargetDelete::Nullify);
//   m.migration(3, {"ALTER TABLE ..."});   // the steps from version 3 to 4
class Model
{
public:
    class EntityBuilder
    {
    public:
        EntityBuilder &attr(const QString &name, Type type, Value defaultValue = {});
        // A to-one stored in this entity; the target gets the to-many `inverse`. `rule` says what happens to this
        // entity's rows when their target is removed.
        EntityBuilder &toOne(const QString &name, const QString &target, const QString &inverse, OnTargetDelete rule);
        // As toOne, but each target has at most one holder, readable as a single object under `inverse`.
        EntityBuilder &oneToOne(const QString &name, const QString &target, const QString &inverse,
                                OnTargetDelete rule);

    private:
        friend class Model;
        EntityBuilder(Model *model, EntityDescription *entity) : m_model(model), m_entity(entity) {}
        EntityBuilder &add(PropertyDescription p);
        Model *m_model;
        EntityDescription *m_entity;
    };

    explicit Model(int version);
    Model(Model &&) = default;
    Model &operator=(Model &&) = default;

    int version() const { return m_version; }

    template <class T>
    EntityBuilder entity(const QString &name)
    {
        return addEntity(
            name, typeid(T), [] { return static_cast<Object *>(new T); }, &T::ostoreAccessors());
    }
    Model &migration(int fromVersion, QStringList steps);

    // Resolves relationships and checks every entity class's accessors against its properties; aborts on a
    // mismatch. Called by the coordinator; idempotent.
    void finalize();

    QString ddl() const;
    // Lower-case hex SHA-256 of ddl().
    QString schemaHash() const;
    const std::map<int, QStringList> &migrations() const { return m_migrations; }

    size_t entityCount() const { return m_entities.size(); }
    const EntityDescription &entity(EntityId id) const { return *m_entities[id]; }
    EntityId entityId(const QString &name) const;  // kNoEntity when unknown
    EntityId entityId(std::type_index type) const; // aborts when the class is not part of the model
    // The same for the class that owns `accessors`.
    EntityId entityId(const AccessorRegistry &accessors, std::type_index type) const
    {
        const size_t number = size_t(accessors.typeNumber());
        if (number < m_entityByTypeNumber.size() && m_entityByTypeNumber[number] != kNoEntity
            && m_entities[m_entityByTypeNumber[number]]->type == type)
            return m_entityByTypeNumber[number];
        return entityId(type);
    }

private:
    EntityBuilder addEntity(const QString &name, std::type_index type, std::function<Object *()> factory,
                            AccessorRegistry *accessors);

    int m_version;
    bool m_finalized = false;
    std::vector<std::unique_ptr<EntityDescription>> m_entities;
    // Typed calls (insert<T>, fetch<T>) resolve their entity on every call.
    std::unordered_map<std::type_index, EntityId> m_entityByType;
    std::vector<EntityId> m_entityByTypeNumber;
    std::map<int, QStringList> m_migrations;
};

} // namespace ostore
