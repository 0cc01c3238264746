#pragma once

#include "objectstore/CountExpression.h"
#include "objectstore/KeyExpression.h"
#include "objectstore/SelfExpression.h"

// Predicate builders: `using namespace ostore::where;` then
//   key("assignee") == me && (key("dueDate") <= now || isNull("startDate")) && any("tags", key("tag") == t)
namespace ostore::where {

inline KeyExpression key(const QString &path)
{
    return KeyExpression(path);
}
inline SelfExpression self()
{
    return SelfExpression();
}
inline CountExpression count(const QString &relationship)
{
    return CountExpression(relationship);
}
Predicate isNull(const QString &path);
Predicate notNull(const QString &path);
// True when at least one member of the to-many meets `member` (evaluated against the member's entity).
Predicate any(const QString &relationship, const Predicate &member);

} // namespace ostore::where
