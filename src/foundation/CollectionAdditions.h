#pragma once

#include "foundation/Assert.h"

#include <QList>

#include <iterator>
#include <memory>
#include <set>
#include <type_traits>
#include <typeinfo>
#include <utility>

// Small operations on arrays, index sets and sets. Arrays are any sequence container; for the class tests its
// elements are pointers to polymorphic objects (raw or smart), and null elements match no class.
namespace knvt {

// Row numbers and other positions, ascending and without repeats.
using IndexSet = std::set<qsizetype>;

// The indexes of the set as a list, in ascending order.
QList<qsizetype> indexes(const IndexSet &indexSet);

namespace detail {

template <typename Class, typename Element>
bool isMemberOfClass(const Element &element)
{
    const auto *object = std::to_address(element);
    return object != nullptr && typeid(*object) == typeid(Class);
}

template <typename Class, typename Element>
bool isKindOfClass(const Element &element)
{
    return dynamic_cast<const Class *>(std::to_address(element)) != nullptr;
}

} // namespace detail

// Whether some element's dynamic type is exactly Class (a subclass does not count).
template <typename Class, typename Array>
bool containsMemberOfClass(const Array &array)
{
    for (const auto &element : array) {
        if (detail::isMemberOfClass<Class>(element))
            return true;
    }
    return false;
}

// Whether some element is a Class or derives from it.
template <typename Class, typename Array>
bool containsKindOfClass(const Array &array)
{
    for (const auto &element : array) {
        if (detail::isKindOfClass<Class>(element))
            return true;
    }
    return false;
}

template <typename Class, typename Array>
qsizetype numberOfInstancesForMembersOfClass(const Array &array)
{
    qsizetype count = 0;
    for (const auto &element : array) {
        if (detail::isMemberOfClass<Class>(element))
            ++count;
    }
    return count;
}

template <typename Class, typename Array>
qsizetype numberOfInstancesForKindOfClass(const Array &array)
{
    qsizetype count = 0;
    for (const auto &element : array) {
        if (detail::isKindOfClass<Class>(element))
            ++count;
    }
    return count;
}

enum class EnumerationOptions { None, Reverse };

// Calls block(objects, indexes, stop) for every run of `count` consecutive elements, in the direction asked for.
// `objects` holds the run in the order it was visited and `indexes` their positions in the array; both are reused
// from call to call, so a block that keeps them copies them. Setting `stop` ends the enumeration. A count larger
// than the array never calls the block; the count must be at least 1.
template <typename Array, typename Block>
void enumerateNumberOfConsecutiveObjects(const Array &array, qsizetype count, EnumerationOptions options, Block &&block)
{
    KNVT_ASSERT(count >= 1, "QList", "enumerateNumberOfConsecutiveObjects");
    using Element = std::remove_cvref_t<decltype(*std::begin(array))>;
    QList<Element> objects;
    IndexSet windowIndexes;
    objects.reserve(count);
    bool stop = false;
    const bool reverse = options == EnumerationOptions::Reverse;

    auto visit = [&](const Element &element, qsizetype index) {
        if (objects.size() == count)
            objects.removeFirst();
        // The index that leaves is the one of the object that leaves: the lowest going forward, the highest going
        // backward, so that the indexes always name the objects handed over with them.
        if (qsizetype(windowIndexes.size()) == count)
            windowIndexes.erase(reverse ? std::prev(windowIndexes.end()) : windowIndexes.begin());
        objects.append(element);
        windowIndexes.insert(index);
        if (objects.size() == count && qsizetype(windowIndexes.size()) == count)
            block(std::as_const(objects), std::as_const(windowIndexes), stop);
    };

    const qsizetype size = qsizetype(std::size(array));
    if (reverse) {
        qsizetype index = size;
        for (auto it = std::rbegin(array); it != std::rend(array) && !stop; ++it)
            visit(*it, --index);
    } else {
        qsizetype index = 0;
        for (auto it = std::begin(array); it != std::end(array) && !stop; ++it)
            visit(*it, index++);
    }
}

// Compares the receiver, the old set, with `other`, the new one: `objectsAdded` receives what only the new set holds
// and `objectsRemoved` what only the old set holds. Both are always overwritten, with empty sets when there is
// nothing. Membership is the sets' own equality.
template <typename Set>
void comparedToSet(const Set &set, const Set &other, Set &objectsAdded, Set &objectsRemoved)
{
    Set added;
    for (const auto &element : other) {
        if (!set.contains(element))
            added.insert(element);
    }
    Set removed;
    for (const auto &element : set) {
        if (!other.contains(element))
            removed.insert(element);
    }
    objectsAdded = std::move(added);
    objectsRemoved = std::move(removed);
}

} // namespace knvt
