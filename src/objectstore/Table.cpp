#include "objectstore/Table.h"

#include "objectstore/RepeatedTexts.h"

#include <sqlite3.h>

#include <algorithm>

namespace ostore {

Table::Table(const EntityDescription &entity, quint32 generation) : m_entity(entity), m_generation(generation)
{
    const int columns = entity.columnCount();
    m_columns.resize(columns);
    m_nulls.resize(columns);
    m_isString.resize(columns);
    m_inverse.resize(columns);
    m_ordered.resize(columns);
    for (int c = 0; c < columns; ++c)
        m_isString[c] = columnType(c) == Type::String;
    if (entity.numericIdentifierProperty >= 0)
        m_numericColumn = entity.properties[entity.numericIdentifierProperty].column;
}

Table::~Table()
{
    for (int c = 0; c < int(m_columns.size()); ++c) {
        if (m_isString[c]) {
            for (quint32 p = 0; p < slotCount(); ++p)
                if (!isNull(c, p))
                    m_columns[c][p].s->deref();
        }
    }
    dropIndexes();
}

CellView Table::view(int column, quint32 pos) const
{
    if (isNull(column, pos))
        return CellView::none();
    CellView v;
    v.null = false;
    v.cell = m_columns[column][pos];
    if (m_isString[column])
        v.string = v.cell.s->view();
    return v;
}

void Table::setNullBit(int column, quint32 pos, bool null)
{
    quint64 &word = m_nulls[column][pos >> 6];
    const quint64 bit = quint64(1) << (pos & 63);
    word = null ? (word | bit) : (word & ~bit);
}

quint32 Table::appendRow(qint64 rowid, qint64 zid)
{
    const quint32 pos = slotCount();
    m_rowids.push_back(rowid);
    m_zids.push_back(zid);
    if ((pos & 63) == 0) {
        m_live.push_back(0);
        for (auto &n : m_nulls)
            n.push_back(~quint64(0));
    }
    m_live[pos >> 6] |= quint64(1) << (pos & 63);
    for (auto &col : m_columns)
        col.push_back(Cell{0});
    m_byZid.insert(zid, pos);
    return pos;
}

quint32 Table::appendFromStatement(sqlite3_stmt *stmt, RepeatedTexts &texts)
{
    const quint32 pos = appendRow(sqlite3_column_int64(stmt, 0), sqlite3_column_int64(stmt, 1));
    const int columns = int(m_columns.size());
    for (int c = 0; c < columns; ++c) {
        const int sc = c + 2;
        const int kind = sqlite3_column_type(stmt, sc);
        if (kind == SQLITE_NULL)
            continue;
        Cell &cell = m_columns[c][pos];
        switch (columnType(c)) {
        case Type::String: {
            const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt, sc));
            cell.s = texts.string(c, text ? text : "", sqlite3_column_bytes(stmt, sc));
            break;
        }
        case Type::Double: cell.d = sqlite3_column_double(stmt, sc); break;
        default: cell.i = sqlite3_column_int64(stmt, sc); break;
        }
        setNullBit(c, pos, false);
        indexAdd(c, pos);
    }
    return pos;
}

void Table::reserve(size_t rows)
{
    m_rowids.reserve(rows);
    m_zids.reserve(rows);
    m_live.reserve((rows + 63) / 64);
    for (auto &c : m_columns)
        c.reserve(rows);
    for (auto &n : m_nulls)
        n.reserve((rows + 63) / 64);
    m_byZid.reserve(rows);
}

void Table::shrinkToFit()
{
    m_rowids.shrink_to_fit();
    m_zids.shrink_to_fit();
    m_live.shrink_to_fit();
    for (auto &c : m_columns)
        c.shrink_to_fit();
    for (auto &n : m_nulls)
        n.shrink_to_fit();
}

void Table::clearCell(int column, quint32 pos)
{
    if (isNull(column, pos))
        return;
    if (m_isString[column])
        m_columns[column][pos].s->deref();
    m_columns[column][pos].i = 0;
    setNullBit(column, pos, true);
}

void Table::indexRemove(int column, quint32 pos)
{
    if (isNull(column, pos))
        return;
    const qint64 key = m_columns[column][pos].i;
    if (column == m_numericColumn && m_numericIndex)
        m_numericIndex->erase(key, pos);
    if (m_ordered[column])
        m_ordered[column]->erase({key, pos});
    if (m_inverse[column]) {
        auto it = m_inverse[column]->find(key);
        if (it != m_inverse[column]->end()) {
            Bucket &b = it->second;
            auto at = std::lower_bound(b.begin(), b.end(), pos);
            if (at != b.end() && *at == pos)
                b.erase(at);
            if (b.empty())
                m_inverse[column]->erase(it);
        }
    }
}

void Table::indexAdd(int column, quint32 pos)
{
    if (isNull(column, pos))
        return;
    const Cell &cell = m_columns[column][pos];
    if (column == m_numericColumn && m_numericIndex)
        m_numericIndex->insert(cell.i, pos);
    if (m_ordered[column])
        m_ordered[column]->emplace(cell.i, pos);
    if (m_inverse[column]) {
        Bucket &b = (*m_inverse[column])[cell.i];
        if (b.empty() || b.back() < pos)
            b.push_back(pos);
        else
            b.insert(std::lower_bound(b.begin(), b.end(), pos), pos);
    }
}

void Table::write(int column, quint32 pos, const CellView &value)
{
    indexRemove(column, pos);
    clearCell(column, pos);
    if (!value.null) {
        Cell &cell = m_columns[column][pos];
        if (m_isString[column])
            cell.s = Str::make(value.string);
        else
            cell = value.cell;
        setNullBit(column, pos, false);
        indexAdd(column, pos);
    }
}

void Table::copyCell(int column, quint32 pos, const Table &source, quint32 sourcePos)
{
    indexRemove(column, pos);
    clearCell(column, pos);
    if (!source.isNull(column, sourcePos)) {
        Cell &cell = m_columns[column][pos];
        cell = source.m_columns[column][sourcePos];
        if (m_isString[column])
            cell.s->ref();
        setNullBit(column, pos, false);
        indexAdd(column, pos);
    }
}

bool Table::sameCell(int column, quint32 pos, const Table &source, quint32 sourcePos) const
{
    const bool n1 = isNull(column, pos), n2 = source.isNull(column, sourcePos);
    if (n1 || n2)
        return n1 == n2;
    const Cell &a = m_columns[column][pos], &b = source.m_columns[column][sourcePos];
    if (m_isString[column])
        return a.s->view() == b.s->view();
    return a.i == b.i; // bitwise for doubles: a rewrite of the same value is not a change
}

void Table::kill(quint32 pos)
{
    if (!isLive(pos))
        return;
    for (int c = 0; c < int(m_columns.size()); ++c) {
        indexRemove(c, pos);
        clearCell(c, pos);
    }
    m_byZid.erase(m_zids[pos], pos);
    m_live[pos >> 6] &= ~(quint64(1) << (pos & 63));
    ++m_dead;
}

void Table::compact(quint32 generation)
{
    dropIndexes();
    const quint32 n = slotCount();
    quint32 out = 0;
    std::vector<quint64> live((liveCount() + 63) / 64, 0);
    std::vector<std::vector<quint64>> nulls(m_columns.size(), std::vector<quint64>(live.size(), ~quint64(0)));
    for (quint32 p = 0; p < n; ++p) {
        if (!isLive(p))
            continue;
        m_rowids[out] = m_rowids[p];
        m_zids[out] = m_zids[p];
        for (size_t c = 0; c < m_columns.size(); ++c) {
            m_columns[c][out] = m_columns[c][p];
            if (!isNull(int(c), p))
                nulls[c][out >> 6] &= ~(quint64(1) << (out & 63));
        }
        live[out >> 6] |= quint64(1) << (out & 63);
        ++out;
    }
    m_rowids.resize(out);
    m_zids.resize(out);
    for (auto &c : m_columns)
        c.resize(out);
    m_live.swap(live);
    m_nulls.swap(nulls);
    m_byZid.clear();
    m_byZid.reserve(out);
    for (quint32 p = 0; p < out; ++p)
        m_byZid.insert(m_zids[p], p);
    m_dead = 0;
    m_generation = generation;
    shrinkToFit();
}

void Table::dropIndexes()
{
    m_numericIndex.reset();
    for (auto &i : m_inverse)
        i.reset();
    for (auto &o : m_ordered)
        o.reset();
}

const PositionIndex &Table::numericIdentifierIndex()
{
    if (!m_numericIndex) {
        m_numericIndex = std::make_unique<PositionIndex>();
        if (m_numericColumn >= 0) {
            m_numericIndex->reserve(liveCount());
            for (quint32 p = 0; p < slotCount(); ++p)
                if (isLive(p) && !isNull(m_numericColumn, p))
                    m_numericIndex->insert(m_columns[m_numericColumn][p].i, p);
        }
    }
    return *m_numericIndex;
}

const std::vector<quint32> *Table::inverseBucket(int column, qint64 target)
{
    if (!m_inverse[column]) {
        m_inverse[column] = std::make_unique<InverseIndex>();
        for (quint32 p = 0; p < slotCount(); ++p)
            if (isLive(p) && !isNull(column, p))
                (*m_inverse[column])[m_columns[column][p].i].push_back(p);
    }
    auto it = m_inverse[column]->find(target);
    return it == m_inverse[column]->end() ? nullptr : &it->second;
}

const Table::OrderedIndex &Table::orderedIndex(int column)
{
    static const OrderedIndex none;
    const Type type = columnType(column);
    if (type != Type::Int64 && type != Type::Date)
        return none;
    if (!m_ordered[column]) {
        m_ordered[column] = std::make_unique<OrderedIndex>();
        for (quint32 p = 0; p < slotCount(); ++p)
            if (isLive(p) && !isNull(column, p))
                m_ordered[column]->emplace(m_columns[column][p].i, p);
    }
    return *m_ordered[column];
}

void Table::buildAllIndexes()
{
    numericIdentifierIndex();
    for (int c = 0; c < int(m_columns.size()); ++c) {
        if (columnType(c) == Type::ToOne)
            inverseBucket(c, 0);
    }
}

} // namespace ostore
