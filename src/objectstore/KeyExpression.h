#pragma once

#include "objectstore/Operand.h"
#include "objectstore/Predicate.h"

#include <vector>

namespace ostore {

// `where::key("a.b")`: the left-hand side of a comparison on a key path.
class KeyExpression
{
public:
    explicit KeyExpression(QString path) : m_path(std::move(path)) {}

    Predicate operator==(const Operand &v) const;
    Predicate operator!=(const Operand &v) const;
    Predicate operator<(const Operand &v) const { return ordering(PredicateNode::Op::Lt, v); }
    Predicate operator<=(const Operand &v) const { return ordering(PredicateNode::Op::Le, v); }
    Predicate operator>(const Operand &v) const { return ordering(PredicateNode::Op::Gt, v); }
    Predicate operator>=(const Operand &v) const { return ordering(PredicateNode::Op::Ge, v); }

    Predicate in(const std::vector<Operand> &values) const;
    template <class T>
    requires std::derived_from<T, Object> Predicate in(const std::vector<T *> &objects)
    const { return in(std::vector<Operand>(objects.begin(), objects.end())); }
    // Substring and whole-string matches; Fold::CaseDiacritic ignores case and diacritics. An empty term matches
    // nothing.
    Predicate contains(const QString &term, Fold fold = Fold::None) const;
    Predicate equals(const QString &term, Fold fold = Fold::None) const;

    const QString &path() const { return m_path; }

private:
    Predicate ordering(PredicateNode::Op op, const Operand &v) const;
    QString m_path;
};

} // namespace ostore
