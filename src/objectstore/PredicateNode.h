#pragma once

#include "objectstore/Types.h"
#include "objectstore/Value.h"

#include <memory>
#include <vector>

namespace ostore {

// One node of a predicate as built in C++; entity-independent until compiled.
struct PredicateNode
{
    enum class Kind { True, False, And, Or, Not, Compare, IsNull, In, Self, SelfIn, Any, Count, Contains, Equals };
    enum class Op { Eq, Ne, Lt, Le, Gt, Ge };

    Kind kind = Kind::True;
    Op op = Op::Eq;
    QString path;              // key path, or the to-many of Any/Count
    Value operand;             // Compare, Self; never none (a nil operand becomes IsNull)
    std::vector<Value> values; // In, SelfIn
    QString text;              // Contains, Equals
    Fold fold = Fold::None;
    qint64 number = 0; // Count
    std::vector<std::shared_ptr<const PredicateNode>> children;
};

} // namespace ostore
