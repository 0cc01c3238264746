#pragma once

#include "objectstore/Types.h"

#include <QString>

#include <atomic>
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

    explicit AccessorRegistry(const char *className)
        : m_className(QString::fromLatin1(className)), m_typeNumber(nextTypeNumber()++)
    {}

    int add(const char *name, Kind kind, Type type = Type::Int64)
    {
        m_accessors.push_back({QString::fromLatin1(name), kind, type});
        return int(m_accessors.size()) - 1;
    }
    const std::vector<Accessor> &accessors() const { return m_accessors; }
    const QString &className() const { return m_className; }
    // A small number of the class, unique in the process: models map it to their entity with one array read, where
    // a typed insert or lookup asked a hash of type_info for every object of a pull.
    int typeNumber() const { return m_typeNumber; }

private:
    static std::atomic<int> &nextTypeNumber()
    {
        static std::atomic<int> next{0};
        return next;
    }

    QString m_className;
    int m_typeNumber;
    std::vector<Accessor> m_accessors;
};

} // namespace ostore
