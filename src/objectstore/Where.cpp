#include "objectstore/Where.h"

#include "objectstore/Object.h"

namespace ostore {

using Kind = PredicateNode::Kind;
using Op = PredicateNode::Op;

Operand::Operand(const QDateTime &v)
{
    if (v.isValid())
        m_value = QDateTime::fromMSecsSinceEpoch(v.toMSecsSinceEpoch(), Qt::UTC);
}

Operand::Operand(const Object *object)
{
    if (object)
        m_value = object->objectID();
}

Predicate where::isNull(const QString &path)
{
    PredicateNode n;
    n.kind = Kind::IsNull;
    n.path = path;
    return Predicate::make(std::move(n));
}

Predicate where::notNull(const QString &path)
{
    return !isNull(path);
}

Predicate where::any(const QString &relationship, const Predicate &member)
{
    PredicateNode n;
    n.kind = Kind::Any;
    n.path = relationship;
    n.children.push_back(member.isEmpty() ? Predicate::constant(true).node() : member.node());
    return Predicate::make(std::move(n));
}

Predicate KeyExpression::operator==(const Operand &v) const
{
    if (v.isNone())
        return where::isNull(m_path);
    PredicateNode n;
    n.kind = Kind::Compare;
    n.op = Op::Eq;
    n.path = m_path;
    n.operand = v.value();
    return Predicate::make(std::move(n));
}

Predicate KeyExpression::operator!=(const Operand &v) const
{
    if (v.isNone())
        return where::notNull(m_path);
    PredicateNode n;
    n.kind = Kind::Compare;
    n.op = Op::Ne;
    n.path = m_path;
    n.operand = v.value();
    return Predicate::make(std::move(n));
}

Predicate KeyExpression::ordering(PredicateNode::Op op, const Operand &v) const
{
    PredicateNode n;
    if (v.isNone()) {
        // An ordering comparison with a null side is false; the key is still checked when compiled.
        n.kind = Kind::Compare;
        n.op = op;
        n.path = m_path;
        PredicateNode f;
        f.kind = Kind::False;
        n.children.push_back(std::make_shared<const PredicateNode>(std::move(f)));
        return Predicate::make(std::move(n));
    }
    n.kind = Kind::Compare;
    n.op = op;
    n.path = m_path;
    n.operand = v.value();
    return Predicate::make(std::move(n));
}

Predicate KeyExpression::in(const std::vector<Operand> &values) const
{
    PredicateNode n;
    n.kind = Kind::In;
    n.path = m_path;
    for (const Operand &v : values)
        if (!v.isNone())
            n.values.push_back(v.value());
    return Predicate::make(std::move(n));
}

Predicate KeyExpression::contains(const QString &term, Fold fold) const
{
    PredicateNode n;
    n.kind = Kind::Contains;
    n.path = m_path;
    n.text = term;
    n.fold = fold;
    return Predicate::make(std::move(n));
}

Predicate KeyExpression::equals(const QString &term, Fold fold) const
{
    PredicateNode n;
    n.kind = Kind::Equals;
    n.path = m_path;
    n.text = term;
    n.fold = fold;
    return Predicate::make(std::move(n));
}

Predicate SelfExpression::operator==(const Operand &v) const
{
    if (v.isNone())
        return Predicate::constant(false);
    PredicateNode n;
    n.kind = Kind::Self;
    n.op = Op::Eq;
    n.operand = v.value();
    return Predicate::make(std::move(n));
}

Predicate SelfExpression::operator!=(const Operand &v) const
{
    if (v.isNone())
        return Predicate::constant(true);
    PredicateNode n;
    n.kind = Kind::Self;
    n.op = Op::Ne;
    n.operand = v.value();
    return Predicate::make(std::move(n));
}

Predicate SelfExpression::in(const std::vector<Operand> &objects) const
{
    PredicateNode n;
    n.kind = Kind::SelfIn;
    for (const Operand &v : objects)
        if (!v.isNone())
            n.values.push_back(v.value());
    return Predicate::make(std::move(n));
}

Predicate CountExpression::make(PredicateNode::Op op, qint64 number) const
{
    PredicateNode n;
    n.kind = Kind::Count;
    n.op = op;
    n.path = m_relationship;
    n.number = number;
    return Predicate::make(std::move(n));
}

} // namespace ostore
