#pragma once

#include "objectstore/KeyPath.h"
#include "objectstore/Predicate.h"

#include <optional>
#include <vector>

namespace ostore {

class EvalScope;

// A predicate compiled against one entity into property indexes and evaluated in memory. Construct it, call
// scope.prepare(), then evaluate rows. Evaluation has no side effects, which lets the compiler reorder the operands
// of AND and OR by cost.
class Evaluator
{
public:
    Evaluator(EvalScope &scope, EntityId entity, const Predicate &predicate);

    bool matches(const RowRef &row) const { return !m_root || eval(*m_root, row); }
    // Cache positions (ascending) worth visiting instead of a scan, when the top-level AND pins an indexed key to a
    // small bucket; positions dirty in the context are included. Call after scope.prepare().
    std::optional<std::vector<quint32>> candidates() const;
    // The unsaved inserts (in insertion order) worth visiting instead of all of them, when the top-level AND pins
    // an indexed key; the context keeps its unsaved values of those keys indexed, so this costs O(bucket).
    std::optional<std::vector<Object *>> insertCandidates() const;
    // Clears the bits of rows that a plain column term of the top-level AND rejects, column by column. Rows set in
    // `keep` (those read through unsaved values) are left for the full evaluation. Call after scope.prepare().
    void prefilter(std::vector<quint64> &rows, const std::vector<quint64> *keep) const;

private:
    enum class Mode { Int, Double, String, Zid, Never };
    struct Node
    {
        PredicateNode::Kind kind = PredicateNode::Kind::True;
        PredicateNode::Op op = PredicateNode::Op::Eq;
        KeyPath path;
        Mode mode = Mode::Int;
        qint64 i = 0;
        double d = 0;
        QString s;
        ObjectID id;
        std::vector<qint64> ints;
        std::vector<double> doubles;
        std::vector<QString> strings;
        std::vector<ObjectID> ids;
        bool folded = false;
        int column = -1; // set when the key is a column of the evaluated entity itself: read straight from the cache
        int cost = 1;
        std::vector<Node> children;
    };

    // The terms of the top-level AND that an index answers: numericIdentifier == n and <to-one> == object.
    std::vector<const Node *> indexedTerms() const;
    Node compile(const PredicateNode &node, EntityId entity);
    void setOperand(Node &n, const Value &v, bool forIn);
    bool eval(const Node &n, const RowRef &row) const;
    bool compare(const Node &n, const CellView &v) const;
    bool stringMatch(const Node &n, const RowRef &row) const;

    EvalScope &m_scope;
    EntityId m_entity;
    std::optional<Node> m_root;
};

} // namespace ostore
