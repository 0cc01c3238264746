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

    bool matches(const RowRef &row) const;
    // Cache positions (ascending) worth visiting instead of a scan, when the top-level AND pins an indexed key to a
    // small bucket; positions dirty in the context are included. Call after scope.prepare().
    std::optional<std::vector<quint32>> candidates() const;
    // The unsaved inserts (in insertion order) worth visiting instead of all of them, when the top-level AND pins
    // an indexed key; the context keeps its unsaved values of those keys indexed, so this costs O(bucket).
    std::optional<std::vector<Object *>> insertCandidates() const;
    // Decides the whole predicate for the clean rows set in `rows`, 64 rows at a time over the cache's columns, and
    // clears the bits of those it rejects; matches() then answers those rows from the result. Rows set in `keep`
    // (those read through unsaved values) are left for the full evaluation. Call after scope.prepare().
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
        // A folded term of ASCII characters, as bytes: what an ASCII text is searched for without folding it.
        QByteArray asciiTerm;
        int column = -1; // set when the key is a column of the evaluated entity itself: read straight from the cache
        int cost = 1;
        std::vector<Node> children;
        // A leaf whose key path starts with a stored to-one: the same test compiled against the target, with
        // the to-one's cache column and the slot of its per-query bitmap over the evaluated entity's rows.
        std::vector<Node> viaTarget;
        int viaColumn = -1;
        int viaSlot = -1;
        // No word-at-a-time form: evaluated row by row as a whole, so the reads of one row stay together.
        bool rowwise = false;
    };

    // The terms of the top-level AND that an index answers: numericIdentifier == n and <to-one> == object.
    std::vector<const Node *> indexedTerms() const;
    Node compile(const PredicateNode &node, EntityId entity);
    void compileViaTarget(Node &n, const PredicateNode &p, EntityId entity);
    void setOperand(Node &n, const Value &v, bool forIn);
    bool eval(const Node &n, const RowRef &row) const;
    bool compare(const Node &n, const CellView &v) const;
    bool stringMatch(const Node &n, const RowRef &row) const;
    // The rows among `candidates` (of word `w` of the evaluated entity, all clean) for which `n` holds.
    quint64 evalWord(const Node &n, size_t w, quint64 candidates) const;
    quint64 columnWord(const Node &n, size_t w, quint64 candidates) const;
    quint64 rowByRow(const Node &n, size_t w, quint64 candidates) const;
    const std::vector<quint64> &viaBits(const Node &n) const;
    // What a leaf gives for a null value or a nil hop.
    bool onNull(const Node &n) const;

    EvalScope &m_scope;
    EntityId m_entity;
    std::optional<Node> m_root;
    int m_viaSlots = 0;
    // Per query: the to-one leaves' row bitmaps, built on first use, and the prefilter's verdict on clean rows.
    mutable std::vector<std::vector<quint64>> m_via;
    mutable std::vector<quint64> m_decided;
    mutable std::vector<quint64> m_passed;
    // The text a match reads, folded (or widened from Latin-1) into the same storage row after row.
    mutable QString m_text;
};

} // namespace ostore
