#include "objectstore/Evaluator.h"

#include "objectstore/Context.h"
#include "objectstore/Coordinator.h"
#include "objectstore/EvalScope.h"
#include "objectstore/Folding.h"
#include "objectstore/Object.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstdlib>

namespace ostore {

using Kind = PredicateNode::Kind;
using Op = PredicateNode::Op;

namespace {

[[noreturn]] void compileError(const QString &path, const char *why)
{
    std::fprintf(stderr, "ostore: predicate on \"%s\": %s\n", qPrintable(path), why);
    std::fflush(stderr);
    std::abort();
}

template <class T>
bool ordered(Op op, T a, T b)
{
    switch (op) {
    case Op::Eq: return a == b;
    case Op::Ne: return a != b;
    case Op::Lt: return a < b;
    case Op::Le: return a <= b;
    case Op::Gt: return a > b;
    case Op::Ge: return a >= b;
    }
    return false;
}

} // namespace

Evaluator::Evaluator(EvalScope &scope, EntityId entity, const Predicate &predicate) : m_scope(scope), m_entity(entity)
{
    scope.require(entity);
    if (!predicate.isEmpty())
        m_root = compile(*predicate.node(), entity);
}

void Evaluator::setOperand(Node &n, const Value &v, bool forIn)
{
    const Type t = n.path.type;
    const bool numericColumn = t == Type::Int64 || t == Type::Bool || t == Type::Double;
    switch (v.index()) {
    case 1: // qint64
    case 2: // bool
    case 3: // double
    {
        if (!numericColumn)
            compileError(n.path.model->entity(n.path.entity).name + QLatin1Char('.') + QString::number(n.path.property),
                         "a number compared with a non-numeric key");
        const bool isDouble = v.index() == 3 || t == Type::Double;
        const double d = v.index() == 3 ? std::get<double>(v) : v.index() == 2 ? double(std::get<bool>(v)) : double(std::get<qint64>(v));
        const qint64 i = v.index() == 1 ? std::get<qint64>(v) : v.index() == 2 ? qint64(std::get<bool>(v)) : 0;
        if (forIn) {
            // A set mixes modes only in odd queries; comparing numerically as double is exact enough for them.
            n.doubles.push_back(d);
            n.ints.push_back(i);
            n.mode = isDouble || n.mode == Mode::Double ? Mode::Double : Mode::Int;
        } else {
            n.mode = isDouble ? Mode::Double : Mode::Int;
            n.i = i;
            n.d = d;
        }
        return;
    }
    case 4: // QString
        if (t != Type::String)
            compileError(QString(), "a string compared with a non-string key");
        n.mode = Mode::String;
        if (forIn)
            n.strings.push_back(std::get<QString>(v));
        else
            n.s = std::get<QString>(v);
        return;
    case 5: // QDateTime
        if (t != Type::Date)
            compileError(QString(), "a date compared with a non-date key");
        n.mode = Mode::Int;
        if (forIn)
            n.ints.push_back(std::get<QDateTime>(v).toMSecsSinceEpoch());
        else
            n.i = std::get<QDateTime>(v).toMSecsSinceEpoch();
        return;
    case 7: { // ObjectID
        if (t != Type::ToOne)
            compileError(QString(), "an object compared with a key that is not a to-one");
        const ObjectID id = std::get<ObjectID>(v);
        const EntityId expected = n.path.property >= 0
            ? n.path.model->entity(n.path.entity).properties[n.path.property].target
            : n.path.inverseDescription->source;
        n.mode = Mode::Zid;
        // An object of another entity can never be the target: zids are positive, so 0 never matches.
        const qint64 zid = id.entity == expected ? id.zid : 0;
        if (forIn)
            n.ints.push_back(zid);
        else
            n.i = zid;
        return;
    }
    default:
        compileError(QString(), "unsupported operand");
    }
}

Evaluator::Node Evaluator::compile(const PredicateNode &p, EntityId entity)
{
    const Model &model = m_scope.context().coordinator()->model();
    Node n;
    n.kind = p.kind;
    n.op = p.op;
    switch (p.kind) {
    case Kind::True:
    case Kind::False:
        n.cost = 0;
        break;
    case Kind::And:
    case Kind::Or: {
        n.cost = 0;
        for (const auto &c : p.children) {
            n.children.push_back(compile(*c, entity));
            n.cost += n.children.back().cost;
        }
        std::stable_sort(n.children.begin(), n.children.end(),
                         [](const Node &a, const Node &b) { return a.cost < b.cost; });
        break;
    }
    case Kind::Not:
        n.children.push_back(compile(*p.children.front(), entity));
        n.cost = n.children.front().cost;
        break;
    case Kind::Compare:
        n.path = KeyPath::compile(model, entity, p.path, false);
        n.path.require(m_scope);
        n.cost = 1 + 2 * n.path.hopCount() + (n.path.property < 0 ? 8 : 0);
        if (!p.children.empty()) { // ordering against none
            n.kind = Kind::False;
            n.cost = 0;
            break;
        }
        setOperand(n, p.operand, false);
        if (n.path.hops.empty() && n.path.property >= 0 && (n.mode == Mode::Int || n.mode == Mode::Zid)
            && n.path.type != Type::Double)
            n.column = model.entity(entity).properties[n.path.property].column;
        if ((n.mode == Mode::String || n.mode == Mode::Zid) && p.op != Op::Eq && p.op != Op::Ne)
            compileError(p.path, "strings and objects support only == and !=");
        break;
    case Kind::IsNull:
        n.path = KeyPath::compile(model, entity, p.path, false);
        n.path.require(m_scope);
        if (n.path.hops.empty() && n.path.property >= 0)
            n.column = model.entity(entity).properties[n.path.property].column;
        n.cost = 1 + 2 * n.path.hopCount() + (n.path.property < 0 ? 8 : 0);
        break;
    case Kind::In:
        n.path = KeyPath::compile(model, entity, p.path, false);
        n.path.require(m_scope);
        n.cost = 2 + 2 * n.path.hopCount();
        n.mode = Mode::Never;
        for (const Value &v : p.values)
            setOperand(n, v, true);
        break;
    case Kind::Self:
        n.id = std::get<ObjectID>(p.operand);
        break;
    case Kind::SelfIn:
        for (const Value &v : p.values)
            n.ids.push_back(std::get<ObjectID>(v));
        n.cost = 2;
        break;
    case Kind::Any:
    case Kind::Count: {
        n.path = KeyPath::compile(model, entity, p.path, true);
        if (!n.path.toMany)
            compileError(p.path, "any() and count() need a to-many");
        n.path.require(m_scope);
        if (p.kind == Kind::Any)
            n.children.push_back(compile(*p.children.front(), n.path.inverseDescription->source));
        n.i = p.number;
        n.cost = 20 + 2 * n.path.hopCount() + (n.children.empty() ? 0 : n.children.front().cost * 2);
        break;
    }
    case Kind::Contains:
    case Kind::Equals:
        n.path = KeyPath::compile(model, entity, p.path, false);
        if (n.path.type != Type::String)
            compileError(p.path, "string matching needs a string key");
        n.path.require(m_scope);
        n.folded = p.fold == Fold::CaseDiacritic;
        n.s = n.folded ? Folding::fold(p.text) : p.text;
        if (n.folded)
            m_scope.requireFolded(n.path.entity, model.entity(n.path.entity).properties[n.path.property].column);
        if (p.text.isEmpty())
            n.kind = Kind::False; // an empty term finds nothing
        n.cost = 5 + 2 * n.path.hopCount();
        break;
    }
    return n;
}

bool Evaluator::compare(const Node &n, const CellView &v) const
{
    if (v.null)
        return n.op == Op::Ne; // != a value is true for null; every other comparison is false
    switch (n.mode) {
    case Mode::Int:
    case Mode::Zid:
        if (n.path.type == Type::Double)
            return ordered(n.op, v.cell.d, double(n.i));
        return ordered(n.op, v.cell.i, n.i);
    case Mode::Double:
        return ordered(n.op, n.path.type == Type::Double ? v.cell.d : double(v.cell.i), n.d);
    case Mode::String:
        return n.op == Op::Eq ? v.string == QStringView(n.s) : v.string != QStringView(n.s);
    case Mode::Never:
        return false;
    }
    return false;
}

bool Evaluator::stringMatch(const Node &n, const RowRef &start) const
{
    const RowRef row = n.path.hops.empty() ? start : n.path.end(m_scope, start);
    if (!row.isValid())
        return false;
    const CellView v = m_scope.read(row, n.path.property);
    if (v.null)
        return false;
    QStringView text = v.string;
    QString scratch;
    if (n.folded) {
        const bool fromCache = !(row.object && (row.pos == RowRef::kNoPosition || row.object->dirtyValue(n.path.property)));
        if (fromCache) {
            text = row.table->folded(row.table->entity().properties[n.path.property].column, row.pos);
        } else {
            scratch = Folding::fold(v.string);
            text = scratch;
        }
    }
    if (n.kind == Kind::Equals)
        return text == QStringView(n.s);
    return text.contains(QStringView(n.s));
}

bool Evaluator::eval(const Node &n, const RowRef &row) const
{
    switch (n.kind) {
    case Kind::True:
        return true;
    case Kind::False:
        return false;
    case Kind::And:
        for (const Node &c : n.children)
            if (!eval(c, row))
                return false;
        return true;
    case Kind::Or:
        for (const Node &c : n.children)
            if (eval(c, row))
                return true;
        return false;
    case Kind::Not:
        return !eval(n.children.front(), row);
    case Kind::Compare:
        if (n.column >= 0 && !row.object) { // the common case of a scan: a clean row and an integer column
            if (row.table->isNull(n.column, row.pos))
                return n.op == Op::Ne;
            return ordered(n.op, row.table->cell(n.column, row.pos).i, n.i);
        }
        return compare(n, n.path.read(m_scope, row));
    case Kind::IsNull:
        if (n.column >= 0 && !row.object)
            return row.table->isNull(n.column, row.pos);
        return n.path.read(m_scope, row).null;
    case Kind::In: {
        const CellView v = n.path.read(m_scope, row);
        if (v.null)
            return false;
        switch (n.mode) {
        case Mode::String:
            return std::any_of(n.strings.begin(), n.strings.end(), [&](const QString &s) { return v.string == QStringView(s); });
        case Mode::Double: {
            const double x = n.path.type == Type::Double ? v.cell.d : double(v.cell.i);
            return std::find(n.doubles.begin(), n.doubles.end(), x) != n.doubles.end();
        }
        case Mode::Int:
        case Mode::Zid:
            return std::find(n.ints.begin(), n.ints.end(), v.cell.i) != n.ints.end();
        case Mode::Never:
            return false;
        }
        return false;
    }
    case Kind::Self: {
        const ObjectID self{m_entity, m_scope.zidOf(row)};
        return n.op == Op::Eq ? self == n.id : !(self == n.id);
    }
    case Kind::SelfIn: {
        const ObjectID self{m_entity, m_scope.zidOf(row)};
        return std::find(n.ids.begin(), n.ids.end(), self) != n.ids.end();
    }
    case Kind::Any: {
        const RowRef target = n.path.hops.empty() ? row : n.path.end(m_scope, row);
        bool found = false;
        const Node &member = n.children.front();
        m_scope.forEachMember(target, *n.path.inverseDescription, [&](const RowRef &m) {
            found = eval(member, m);
            return !found;
        });
        return found;
    }
    case Kind::Count: {
        const RowRef target = n.path.hops.empty() ? row : n.path.end(m_scope, row);
        qint64 count = 0;
        m_scope.forEachMember(target, *n.path.inverseDescription, [&](const RowRef &) {
            ++count;
            return true;
        });
        return ordered(n.op, count, n.i);
    }
    case Kind::Contains:
    case Kind::Equals:
        return stringMatch(n, row);
    }
    return false;
}

void Evaluator::prefilter(std::vector<quint64> &rows, const std::vector<quint64> *keep) const
{
    if (!m_root)
        return;
    std::vector<const Node *> terms;
    if (m_root->kind == Kind::And) {
        for (const Node &c : m_root->children)
            terms.push_back(&c);
    } else {
        terms.push_back(&*m_root);
    }
    const Table *table = m_scope.table(m_entity);
    for (const Node *t : terms) {
        if (t->column < 0 || (t->kind != Kind::Compare && t->kind != Kind::IsNull))
            continue;
        const std::vector<quint64> &nulls = table->nullWords(t->column);
        const Cell *cells = table->cells(t->column).data();
        for (size_t w = 0; w < rows.size(); ++w) {
            quint64 candidates = rows[w];
            if (keep && w < keep->size())
                candidates &= ~(*keep)[w];
            if (!candidates)
                continue;
            if (t->kind == Kind::IsNull) {
                rows[w] &= nulls[w] | ~candidates;
                continue;
            }
            quint64 rejected = 0;
            while (candidates) {
                const int bit = std::countr_zero(candidates);
                candidates &= candidates - 1;
                const size_t pos = (w << 6) | size_t(bit);
                const bool pass = ((nulls[w] >> bit) & 1) ? t->op == Op::Ne : ordered(t->op, cells[pos].i, t->i);
                if (!pass)
                    rejected |= quint64(1) << bit;
            }
            rows[w] &= ~rejected;
        }
    }
}

std::vector<const Evaluator::Node *> Evaluator::indexedTerms() const
{
    std::vector<const Node *> out;
    if (!m_root)
        return out;
    const EntityDescription &entity = m_scope.context().m_coordinator->model().entity(m_entity);
    auto consider = [&](const Node *t) {
        if (t->kind != Kind::Compare || t->op != Op::Eq || !t->path.hops.empty() || t->path.property < 0)
            return;
        const PropertyDescription &p = entity.properties[t->path.property];
        if ((t->path.property == entity.numericIdentifierProperty && t->mode == Mode::Int)
            || (p.isToOne() && t->mode == Mode::Zid))
            out.push_back(t);
    };
    if (m_root->kind == Kind::And)
        for (const Node &c : m_root->children)
            consider(&c);
    else
        consider(&*m_root);
    return out;
}

std::optional<std::vector<quint32>> Evaluator::candidates() const
{
    const std::vector<const Node *> terms = indexedTerms();
    if (terms.empty())
        return std::nullopt;
    Table *table = m_scope.table(m_entity);
    const EntityDescription &entity = table->entity();
    std::optional<std::vector<quint32>> best;
    const Node *bestTerm = nullptr;
    for (const Node *t : terms) {
        const PropertyDescription &p = entity.properties[t->path.property];
        std::vector<quint32> bucket;
        if (t->path.property == entity.numericIdentifierProperty) {
            table->numericIdentifierIndex().forEach(t->i, [&](quint32 pos) { bucket.push_back(pos); });
        } else if (const auto *b = table->inverseBucket(p.column, t->i)) {
            bucket = *b;
        }
        if (!best || bucket.size() < best->size()) {
            best = std::move(bucket);
            bestTerm = t;
        }
    }
    if (!best || best->size() * 4 >= table->liveCount())
        return std::nullopt;
    // A changed row may match through an unsaved value of the indexed property; the context indexes those values,
    // and a row whose unsaved value is another one can only fail the term.
    if (const std::vector<Object *> *changed =
            m_scope.context().pendingWith(m_entity, bestTerm->path.property, bestTerm->i)) {
        for (const Object *object : *changed) {
            if (object->m_state != Object::State::Committed)
                continue;
            const quint32 pos = object->position();
            if (pos != Table::kNoPosition)
                best->push_back(pos);
        }
    }
    std::sort(best->begin(), best->end());
    best->erase(std::unique(best->begin(), best->end()), best->end());
    return best;
}

std::optional<std::vector<Object *>> Evaluator::insertCandidates() const
{
    const std::vector<const Node *> terms = indexedTerms();
    if (terms.empty())
        return std::nullopt;
    const Context &context = m_scope.context();
    if (context.entityState(m_entity).inserted.empty())
        return std::nullopt;
    const std::vector<Object *> *best = nullptr;
    for (const Node *t : terms) {
        const std::vector<Object *> *bucket = context.pendingWith(m_entity, t->path.property, t->i);
        if (!bucket)
            return std::vector<Object *>(); // no unsaved value satisfies this term
        if (!best || bucket->size() < best->size())
            best = bucket;
    }
    std::vector<Object *> out;
    for (Object *o : *best)
        if (o->m_state == Object::State::Inserted)
            out.push_back(o);
    std::sort(out.begin(), out.end(), [](const Object *a, const Object *b) {
        return a->m_overlay->insertSequence < b->m_overlay->insertSequence;
    });
    return out;
}

} // namespace ostore
