#pragma once

#include "objectstore/AccessorRegistry.h"
#include "objectstore/InverseDescription.h"
#include "objectstore/PropertyDescription.h"

#include <QHash>

#include <functional>
#include <typeindex>
#include <vector>

namespace ostore {

class Object;

// One entity of a model: its table, its stored properties and the inverses other entities' to-ones give it.
struct EntityDescription
{
    QString name;
    EntityId id = kNoEntity;
    std::type_index type = typeid(void);
    std::function<Object *()> factory;
    AccessorRegistry *accessors = nullptr;
    std::vector<int> accessorTargets; // accessor slot -> property or inverse index

    std::vector<PropertyDescription> properties;
    std::vector<InverseDescription> inverses;
    std::vector<int> columnProperties; // cache column -> property
    QHash<QString, int> propertyByName;
    QHash<QString, int> inverseByName;
    int numericIdentifierProperty = -1;

    int property(const QString &key) const { return propertyByName.value(key, -1); }
    int inverse(const QString &key) const { return inverseByName.value(key, -1); }
    int columnCount() const { return int(columnProperties.size()); }
};

} // namespace ostore
