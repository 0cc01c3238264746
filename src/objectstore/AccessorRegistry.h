#pragma once

#include "objectstore/Types.h"

#include <QString>

#include <vector>

namespace ostore {

// The properties an entity class names through its accessor macros, collected during static initialisation so that
// the model can refuse, at start-up, a class whose accessors name a property the model lacks.
class AccessorRegistry
{
public:
    enum class Kind { Attribute, ToOne, ToMany, InverseToOne };
    struct Accessor
    {
        QString name;
        Kind kind;
        Type type;
    };

    explicit AccessorRegistry(const char *className) : m_className(QString::fromLatin1(className)) {}

    int add(const char *name, Kind kind, Type type = Type::Int64)
    {
        m_accessors.push_back({QString::fromLatin1(name), kind, type});
        return int(m_accessors.size()) - 1;
    }
    const std::vector<Accessor> &accessors() const { return m_accessors; }
    const QString &className() const { return m_className; }

private:
    QString m_className;
    std::vector<Accessor> m_accessors;
};

} // namespace ostore
