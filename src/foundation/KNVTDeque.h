#pragma once

#include "foundation/Assert.h"

#include <QDebug>
#include <QList>
#include <QString>
#include <QStringList>

#include <concepts>
#include <optional>
#include <type_traits>

namespace knvt::detail {

// An array's description the way the rest of the program's logs show one: "(\n    a,\n    b\n)".
QString arrayDescription(const QStringList &elementDescriptions);

// Raw and smart pointers; a string that merely compares with nullptr is not one.
template <typename T>
concept NullablePointer = std::is_pointer_v<T> || requires(const T &value)
{
    value.operator->();
    {
        value == nullptr
        } -> std::convertible_to<bool>;
};

} // namespace knvt::detail

// A double-ended queue over one array, stored back to front: index 0 holds the back object and the last index the
// front object, so front operations are amortised constant time and back operations move the whole array. Holds
// values of T; a null pointer cannot be stored. Belongs to one thread at a time.
template <typename T>
class KNVTDeque
{
public:
    // What a pop or a look at an end gives: the object, or nothing when the deque is empty. For pointer-like objects
    // nothing is the null pointer, for plain values an empty optional.
    using Result = std::conditional_t<knvt::detail::NullablePointer<T>, T, std::optional<T>>;

    KNVTDeque() = default;

    // The objects in storage order, back first and front last. The deque and the list never share later changes.
    QList<T> objects() const { return m_objects; }
    void setObjects(const QList<T> &objects)
    {
        for (const T &object : objects)
            requireObject(object, "setObjects");
        m_objects = objects;
    }

    qsizetype numberOfObjects() const { return m_objects.size(); }

    void pushFrontObject(T object)
    {
        requireObject(object, "pushFrontObject");
        m_objects.append(std::move(object));
    }

    void pushBackObject(T object)
    {
        requireObject(object, "pushBackObject");
        m_objects.insert(0, std::move(object));
    }

    Result popFrontObject()
    {
        if (m_objects.isEmpty())
            return Result{};
        return m_objects.takeLast();
    }

    Result popBackObject()
    {
        if (m_objects.isEmpty())
            return Result{};
        return m_objects.takeFirst();
    }

    Result frontObject() const
    {
        if (m_objects.isEmpty())
            return Result{};
        return m_objects.last();
    }

    Result backObject() const
    {
        if (m_objects.isEmpty())
            return Result{};
        return m_objects.first();
    }

    // "KNVTDeque -- " followed by the storage array's description, back first.
    QString description() const
    {
        QStringList elements;
        elements.reserve(m_objects.size());
        for (const T &object : m_objects) {
            QString text;
            QDebug(&text).noquote().nospace() << object;
            elements.append(text);
        }
        return QStringLiteral("KNVTDeque -- ") + knvt::detail::arrayDescription(elements);
    }

private:
    static void requireObject([[maybe_unused]] const T &object, [[maybe_unused]] const char *operation)
    {
        if constexpr (knvt::detail::NullablePointer<T>)
            KNVT_ASSERT(!(object == nullptr), "KNVTDeque", operation);
    }

    QList<T> m_objects;
};
