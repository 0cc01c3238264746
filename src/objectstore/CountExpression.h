#pragma once

#include "objectstore/Predicate.h"

namespace ostore {

// `where::count("members")`: the number of members the to-many getter would return.
class CountExpression
{
public:
    explicit CountExpression(QString relationship) : m_relationship(std::move(relationship)) {}

    Predicate operator==(qint64 n) const { return make(PredicateNode::Op::Eq, n); }
    Predicate operator!=(qint64 n) const { return make(PredicateNode::Op::Ne, n); }
    Predicate operator<(qint64 n) const { return make(PredicateNode::Op::Lt, n); }
    Predicate operator<=(qint64 n) const { return make(PredicateNode::Op::Le, n); }
    Predicate operator>(qint64 n) const { return make(PredicateNode::Op::Gt, n); }
    Predicate operator>=(qint64 n) const { return make(PredicateNode::Op::Ge, n); }

private:
    Predicate make(PredicateNode::Op op, qint64 n) const;
    QString m_relationship;
};

} // namespace ostore
