#include "objectstore/Evaluator.h"

#include "objectstore/Context.h"
#include "objectstore/Coordinator.h"
#include "objectstore/EvalScope.h"
#include "objectstore/Folding.h"
#include "objectstore/Object.h"
#include "objectstore/TextSearch.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <type_traits>

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
        const double d = v.index() == 3 ? std::get<double>(v)
            : v.index() == 2            ? double(std::get<bool>(v))
                                        : double(std::get<qint64>(v));
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
    default: compileError(QString(), "unsupported operand");
    }
}

Evaluator::Node Evaluator::compile(const PredicateNode &p, EntityId entity)
{
    // Costs order the operands of AND and OR: a null bitmap word first, then integer columns, then anything that
    // crosses a to-one, matches strings or walks a to-many.
    const Model &model = m_scope.context().coordinator()->model();
    Node n;
    n.kind = p.kind;
    n.op = p.op;
    auto pathCost = [&n] { return 4 * n.path.hopCount() + (n.path.property < 0 ? 16 : 0); };
    switch (p.kind) {
    case Kind::True:
    case Kind::False: n.cost = 0; break;
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
        n.cost = 3 + pathCost();
        if (!p.children.empty()) { // ordering against none
            n.kind = Kind::False;
            n.cost = 0;
            break;
        }
        setOperand(n, p.operand, false);
        if (n.path.hops.empty() && n.path.property >= 0 && (n.mode == Mode::Int || n.mode == Mode::Zid)
            && n.path.type != Type::Double) {
            n.column = model.entity(entity).properties[n.path.property].column;
            n.cost = 2;
        }
        if ((n.mode == Mode::String || n.mode == Mode::Zid) && p.op != Op::Eq && p.op != Op::Ne)
            compileError(p.path, "strings and objects support only == and !=");
        compileViaTarget(n, p, entity);
        break;
    case Kind::IsNull:
        n.path = KeyPath::compile(model, entity, p.path, false);
        n.path.require(m_scope);
        n.cost = 3 + pathCost();
        if (n.path.hops.empty() && n.path.property >= 0) {
            n.column = model.entity(entity).properties[n.path.property].column;
            n.cost = 1;
        }
        compileViaTarget(n, p, entity);
        break;
    case Kind::In:
        n.path = KeyPath::compile(model, entity, p.path, false);
        n.path.require(m_scope);
        n.cost = 4 + pathCost();
        n.mode = Mode::Never;
        for (const Value &v : p.values)
            setOperand(n, v, true);
        compileViaTarget(n, p, entity);
        break;
    case Kind::Self:
        n.id = std::get<ObjectID>(p.operand);
        n.cost = 2;
        break;
    case Kind::SelfIn:
        for (const Value &v : p.values)
            n.ids.push_back(std::get<ObjectID>(v));
        n.cost = 4;
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
        n.cost = 40 + 4 * n.path.hopCount() + (n.children.empty() ? 0 : n.children.front().cost * 2);
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
        if (n.folded && std::all_of(n.s.cbegin(), n.s.cend(), [](QChar c) { return c.unicode() < 0x80; }))
            n.asciiTerm = n.s.toLatin1();
        if (p.text.isEmpty())
            n.kind = Kind::False; // an empty term finds nothing
        n.cost = 10 + 4 * n.path.hopCount();
        break;
    }
    switch (n.kind) {
    case Kind::True:
    case Kind::False: n.rowwise = false; break;
    case Kind::And:
    case Kind::Or:
    case Kind::Not:
        n.rowwise = std::all_of(n.children.begin(), n.children.end(), [](const Node &c) { return c.rowwise; });
        break;
    case Kind::Compare:
    case Kind::IsNull:
    case Kind::In: n.rowwise = !((n.column >= 0 && n.kind != Kind::In) || n.viaSlot >= 0); break;
    default: n.rowwise = true; break;
    }
    return n;
}

void Evaluator::compileViaTarget(Node &n, const PredicateNode &p, EntityId entity)
{
    if (n.path.hops.empty() || n.path.hops.front().inverse)
        return;
    // The test on the rest of the path is evaluated once per target row instead of once per source row.
    PredicateNode rest = p;
    rest.path = p.path.section(QLatin1Char('.'), 1);
    n.viaTarget.push_back(compile(rest, n.path.hops.front().to));
    n.viaColumn = m_scope.context().coordinator()->model().entity(entity).properties[n.path.hops.front().index].column;
    n.viaSlot = m_viaSlots++;
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
    case Mode::Double: return ordered(n.op, n.path.type == Type::Double ? v.cell.d : double(v.cell.i), n.d);
    case Mode::String: return n.op == Op::Eq ? v.string == QAnyStringView(n.s) : v.string != QAnyStringView(n.s);
    case Mode::Never: return false;
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
    if (n.kind == Kind::Contains && !n.asciiTerm.isEmpty()) {
        const std::optional<bool> found = v.string.visit([&n](auto view) -> std::optional<bool> {
            if constexpr (std::is_same_v<decltype(view), QLatin1StringView>)
                return containsAsciiIgnoringCase(view, n.asciiTerm);
            else
                return std::nullopt;
        });
        if (found)
            return *found;
    }
    QStringView text;
    if (n.folded) {
        Folding::foldInto(v.string, m_text);
        text = m_text;
    } else {
        text = v.string.visit([this](auto view) {
            if constexpr (std::is_same_v<decltype(view), QStringView>) {
                return view;
            } else {
                m_text = view.toString();
                return QStringView(m_text);
            }
        });
    }
    if (n.kind == Kind::Equals)
        return text == QStringView(n.s);
    return containsText(text, n.s);
}

bool Evaluator::eval(const Node &n, const RowRef &row) const
{
    switch (n.kind) {
    case Kind::True: return true;
    case Kind::False: return false;
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
    case Kind::Not: return !eval(n.children.front(), row);
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
            return std::any_of(n.strings.begin(), n.strings.end(),
                               [&](const QString &s) { return v.string == QAnyStringView(s); });
        case Mode::Double: {
            const double x = n.path.type == Type::Double ? v.cell.d : double(v.cell.i);
            return std::find(n.doubles.begin(), n.doubles.end(), x) != n.doubles.end();
        }
        case Mode::Int:
        case Mode::Zid: return std::find(n.ints.begin(), n.ints.end(), v.cell.i) != n.ints.end();
        case Mode::Never: return false;
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
    case Kind::Equals: return stringMatch(n, row);
    }
    return false;
}

bool Evaluator::matches(const RowRef &row) const
{
    if (!m_root)
        return true;
    if (!row.object && row.pos != RowRef::kNoPosition) {
        const size_t w = row.pos >> 6;
        const int bit = int(row.pos & 63);
        if (w < m_decided.size() && ((m_decided[w] >> bit) & 1))
            return (m_passed[w] >> bit) & 1;
    }
    return eval(*m_root, row);
}

void Evaluator::prefilter(std::vector<quint64> &rows, const std::vector<quint64> *keep) const
{
    if (!m_root)
        return;
    m_via.assign(size_t(m_viaSlots), {});
    m_decided.assign(rows.size(), 0);
    m_passed.assign(rows.size(), 0);
    for (size_t w = 0; w < rows.size(); ++w) {
        quint64 candidates = rows[w];
        if (keep && w < keep->size())
            candidates &= ~(*keep)[w];
        if (!candidates)
            continue;
        const quint64 passed = evalWord(*m_root, w, candidates);
        m_decided[w] = candidates;
        m_passed[w] = passed;
        rows[w] = (rows[w] & ~candidates) | passed;
    }
}

bool Evaluator::onNull(const Node &n) const
{
    switch (n.kind) {
    case Kind::Compare: return compare(n, CellView::none());
    case Kind::IsNull: return true;
    default: return false;
    }
}

quint64 Evaluator::evalWord(const Node &n, size_t w, quint64 candidates) const
{
    if (n.rowwise)
        return rowByRow(n, w, candidates);
    switch (n.kind) {
    case Kind::True: return candidates;
    case Kind::False: return 0;
    case Kind::And:
        for (const Node &c : n.children) {
            candidates = evalWord(c, w, candidates);
            if (!candidates)
                break;
        }
        return candidates;
    case Kind::Or: {
        quint64 passed = 0;
        for (const Node &c : n.children) {
            const quint64 p = evalWord(c, w, candidates);
            passed |= p;
            candidates &= ~p;
            if (!candidates)
                break;
        }
        return passed;
    }
    case Kind::Not: return candidates & ~evalWord(n.children.front(), w, candidates);
    case Kind::Compare:
    case Kind::IsNull:
    case Kind::In:
        if (n.column >= 0 && n.kind != Kind::In)
            return columnWord(n, w, candidates);
        if (n.viaSlot >= 0)
            return candidates & viaBits(n)[w];
        break;
    default: break;
    }
    return rowByRow(n, w, candidates);
}

quint64 Evaluator::rowByRow(const Node &n, size_t w, quint64 candidates) const
{
    quint64 passed = 0;
    for (quint64 bits = candidates; bits; bits &= bits - 1) {
        const int bit = std::countr_zero(bits);
        if (eval(n, m_scope.rowAt(m_entity, quint32((w << 6) | size_t(bit)))))
            passed |= quint64(1) << bit;
    }
    return passed;
}

namespace {

template <class Test>
quint64 laneMask(const Cell *cells, size_t count, Test test)
{
    quint64 mask = 0;
    size_t i = 0;
    // Eight lanes at a time with constant shifts, so the loop carries no variable-count shift per row.
    for (; i + 8 <= count; i += 8) {
        const Cell *c = cells + i;
        const unsigned byte = unsigned(test(c[0].i)) | unsigned(test(c[1].i)) << 1 | unsigned(test(c[2].i)) << 2
            | unsigned(test(c[3].i)) << 3 | unsigned(test(c[4].i)) << 4 | unsigned(test(c[5].i)) << 5
            | unsigned(test(c[6].i)) << 6 | unsigned(test(c[7].i)) << 7;
        mask |= quint64(byte) << i;
    }
    for (; i < count; ++i)
        mask |= quint64(test(cells[i].i)) << i;
    return mask;
}

quint64 laneMask(Op op, const Cell *cells, size_t count, qint64 v)
{
    switch (op) {
    case Op::Eq: return laneMask(cells, count, [v](qint64 x) { return x == v; });
    case Op::Ne: return laneMask(cells, count, [v](qint64 x) { return x != v; });
    case Op::Lt: return laneMask(cells, count, [v](qint64 x) { return x < v; });
    case Op::Le: return laneMask(cells, count, [v](qint64 x) { return x <= v; });
    case Op::Gt: return laneMask(cells, count, [v](qint64 x) { return x > v; });
    case Op::Ge: return laneMask(cells, count, [v](qint64 x) { return x >= v; });
    }
    return 0;
}

} // namespace

quint64 Evaluator::columnWord(const Node &n, size_t w, quint64 candidates) const
{
    const Table *table = m_scope.table(m_entity);
    const quint64 nulls = table->nullWords(n.column)[w];
    if (n.kind == Kind::IsNull)
        return candidates & nulls;
    const size_t base = w << 6;
    const Cell *cells = table->cells(n.column).data() + base;
    quint64 hits = 0;
    if (std::popcount(candidates) <= 8) {
        for (quint64 bits = candidates; bits; bits &= bits - 1) {
            const int bit = std::countr_zero(bits);
            if (ordered(n.op, cells[bit].i, n.i))
                hits |= quint64(1) << bit;
        }
    } else {
        hits = laneMask(n.op, cells, std::min<size_t>(64, table->slotCount() - base), n.i);
    }
    return candidates & ((hits & ~nulls) | (n.op == Op::Ne ? nulls : 0));
}

const std::vector<quint64> &Evaluator::viaBits(const Node &n) const
{
    std::vector<quint64> &bits = m_via[size_t(n.viaSlot)];
    Table *sources = m_scope.table(m_entity);
    const size_t words = sources->liveWords().size();
    if (bits.size() == words)
        return bits;
    bits.assign(words, 0);
    // Each target decides the test once; its sources come from the committed inverse. The rows this marks are
    // clean, so their committed foreign key is the one to follow.
    const EntityId targetEntity = n.path.hops.front().to;
    const Table *targets = m_scope.table(targetEntity);
    const Node &test = n.viaTarget.front();
    const bool nullPasses = onNull(n);
    std::vector<quint64> covered(nullPasses ? words : 0, 0);
    const std::vector<quint64> &live = targets->liveWords();
    for (size_t tw = 0; tw < live.size(); ++tw) {
        for (quint64 tbits = live[tw]; tbits; tbits &= tbits - 1) {
            const quint32 tp = quint32((tw << 6) | size_t(std::countr_zero(tbits)));
            const bool pass = eval(test, m_scope.rowAt(targetEntity, tp));
            if (!pass && !nullPasses)
                continue;
            const std::vector<quint32> *bucket = sources->inverseBucket(n.viaColumn, targets->zid(tp));
            if (!bucket)
                continue;
            for (quint32 p : *bucket) {
                const quint64 bit = quint64(1) << (p & 63);
                if (pass)
                    bits[p >> 6] |= bit;
                if (nullPasses)
                    covered[p >> 6] |= bit;
            }
        }
    }
    // A row with no target, or one naming a row that is gone, reads as null.
    if (nullPasses)
        for (size_t w = 0; w < words; ++w)
            bits[w] |= ~covered[w];
    return bits;
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
    if (const PendingObjects *changed = m_scope.context().pendingWith(m_entity, bestTerm->path.property, bestTerm->i)) {
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
    const PendingObjects *best = nullptr;
    for (const Node *t : terms) {
        const PendingObjects *bucket = context.pendingWith(m_entity, t->path.property, t->i);
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
