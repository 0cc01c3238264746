#pragma once

#include "objectstore/Operand.h"
#include "objectstore/Predicate.h"

#include <vector>

namespace ostore {

// `where::self()`: compares the evaluated object's own ObjectID, so it works before the first save.
class SelfExpression
{
public:
    Predicate operator==(const Operand &v) const;
    Predicate operator!=(const Operand &v) const;
    Predicate in(const std::vector<Operand> &objects) const;
    template <class T>
    requires std::derived_from<T, Object> Predicate in(const std::vector<T *> &objects)
    const { return in(std::vector<Operand>(objects.begin(), objects.end())); }
};

} // namespace ostore
