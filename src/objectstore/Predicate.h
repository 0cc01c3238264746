#pragma once

#include "objectstore/PredicateNode.h"

#include <memory>

namespace ostore {

// An immutable predicate tree, built with the helpers of ostore::where and combined with &&, || and !.
// A default-constructed predicate is empty and matches every object.
class Predicate
{
public:
    Predicate() = default;
    explicit Predicate(std::shared_ptr<const PredicateNode> node) : m_node(std::move(node)) {}

    bool isEmpty() const { return !m_node; }
    const std::shared_ptr<const PredicateNode> &node() const { return m_node; }

    static Predicate constant(bool value);
    static Predicate make(PredicateNode node)
    {
        return Predicate(std::make_shared<const PredicateNode>(std::move(node)));
    }

    friend Predicate operator&&(const Predicate &a, const Predicate &b);
    friend Predicate operator||(const Predicate &a, const Predicate &b);
    friend Predicate operator!(const Predicate &a);

private:
    std::shared_ptr<const PredicateNode> m_node;
};

} // namespace ostore
