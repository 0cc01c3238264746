#pragma once

#include "objectstore/Value.h"

#include <concepts>
#include <optional>

namespace ostore {

class Object;

// The right-hand side of a comparison: a number, a date, a string, an object or none.
// A null object pointer, an empty optional or nullptr all mean "none", so "key == %@" with a nil argument
// tests for null, as the queries expect.
class Operand
{
public:
    Operand(std::nullptr_t) {}
    Operand(int v) : m_value(qint64(v)) {}
    Operand(long v) : m_value(qint64(v)) {}
    Operand(long long v) : m_value(qint64(v)) {}
    Operand(unsigned v) : m_value(qint64(v)) {}
    Operand(double v) : m_value(v) {}
    Operand(bool v) : m_value(v) {}
    Operand(const QDateTime &v);
    Operand(const QString &v) : m_value(v.isNull() ? Value() : Value(v)) {}
    Operand(const char *v) : m_value(QString::fromUtf8(v)) {}
    Operand(ObjectID v) : m_value(v.isNull() ? Value() : Value(v)) {}
    Operand(const Object *object);
    template <class T>
    requires std::derived_from<T, Object> Operand(const T *object) : Operand(static_cast<const Object *>(object)) {}
    template <class T>
    Operand(const std::optional<T> &v) : Operand(nullptr)
    {
        if (v)
            *this = Operand(*v);
    }
    Operand(const Value &v) : m_value(v) {}

    const Value &value() const { return m_value; }
    bool isNone() const { return ostore::isNone(m_value); }

private:
    Value m_value;
};

} // namespace ostore
