#include "objectstore/Predicate.h"

namespace ostore {

namespace {

Predicate combine(PredicateNode::Kind kind, const Predicate &a, const Predicate &b)
{
    if (a.isEmpty())
        return b.isEmpty() ? a : (kind == PredicateNode::Kind::And ? b : a);
    if (b.isEmpty())
        return kind == PredicateNode::Kind::And ? a : b;
    PredicateNode n;
    n.kind = kind;
    // Flatten chains of the same operator so the compiler can order all operands at once.
    for (const Predicate *p : {&a, &b}) {
        if (p->node()->kind == kind)
            n.children.insert(n.children.end(), p->node()->children.begin(), p->node()->children.end());
        else
            n.children.push_back(p->node());
    }
    return Predicate::make(std::move(n));
}

} // namespace

Predicate Predicate::constant(bool value)
{
    PredicateNode n;
    n.kind = value ? PredicateNode::Kind::True : PredicateNode::Kind::False;
    return make(std::move(n));
}

Predicate operator&&(const Predicate &a, const Predicate &b)
{
    return combine(PredicateNode::Kind::And, a, b);
}

Predicate operator||(const Predicate &a, const Predicate &b)
{
    // An empty predicate means "all", so OR with it is all as well.
    if (a.isEmpty() || b.isEmpty())
        return Predicate();
    return combine(PredicateNode::Kind::Or, a, b);
}

Predicate operator!(const Predicate &a)
{
    if (a.isEmpty())
        return Predicate::constant(false);
    PredicateNode n;
    n.kind = PredicateNode::Kind::Not;
    n.children.push_back(a.node());
    return Predicate::make(std::move(n));
}

} // namespace ostore
