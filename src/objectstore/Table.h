#pragma once

#include "objectstore/CellView.h"
#include "objectstore/EntityDescription.h"
#include "objectstore/PositionIndex.h"
#include "objectstore/Str.h"

#include <memory>
#include <set>
#include <unordered_map>
#include <vector>

struct sqlite3_stmt;

namespace ostore {

class RepeatedTexts;

// The last committed state of one entity's rows, column by column, in Z_ROWID order. Removed rows leave dead slots
// until more than a quarter are dead; compaction then renumbers the positions and bumps the generation, which tells
// objects to look their position up again.
class Table
{
public:
    static constexpr quint32 kNoPosition = 0xFFFFFFFFu;

    Table(const EntityDescription &entity, quint32 generation);
    ~Table();
    Table(const Table &) = delete;
    Table &operator=(const Table &) = delete;

    const EntityDescription &entity() const { return m_entity; }
    quint32 generation() const { return m_generation; }
    quint32 slotCount() const { return quint32(m_zids.size()); }
    quint32 liveCount() const { return slotCount() - m_dead; }
    bool isLive(quint32 pos) const { return (m_live[pos >> 6] >> (pos & 63)) & 1; }
    const std::vector<quint64> &liveWords() const { return m_live; }
    const std::vector<quint64> &nullWords(int column) const { return m_nulls[column]; }
    const std::vector<Cell> &cells(int column) const { return m_columns[column]; }
    qint64 rowid(quint32 pos) const { return m_rowids[pos]; }
    qint64 zid(quint32 pos) const { return m_zids[pos]; }
    qint64 maxRowid() const { return m_rowids.empty() ? 0 : m_rowids.back(); }
    quint32 find(qint64 zid) const { return m_byZid.find(zid); }

    bool isNull(int column, quint32 pos) const { return (m_nulls[column][pos >> 6] >> (pos & 63)) & 1; }
    const Cell &cell(int column, quint32 pos) const { return m_columns[column][pos]; }
    CellView view(int column, quint32 pos) const;

    // Loading: rows from a statement whose columns are Z_ROWID, Z_ID and then the cache columns in order, the texts
    // that repeat one before shared.
    quint32 appendFromStatement(sqlite3_stmt *stmt, RepeatedTexts &texts);
    void reserve(size_t rows);
    void shrinkToFit();

    quint32 appendRow(qint64 rowid, qint64 zid);
    void write(int column, quint32 pos, const CellView &value);
    // Copies a cell from another table of the same entity, sharing its string.
    void copyCell(int column, quint32 pos, const Table &source, quint32 sourcePos);
    bool sameCell(int column, quint32 pos, const Table &source, quint32 sourcePos) const;
    void kill(quint32 pos);

    bool needsCompaction() const { return m_dead > 64 && m_dead * 4 > slotCount(); }
    void compact(quint32 generation);

    // Lazy indexes, built on first use and then kept current.
    const PositionIndex &numericIdentifierIndex();
    // Positions (ascending) whose to-one column names `target`; nullptr when none.
    const std::vector<quint32> *inverseBucket(int column, qint64 target);
    // The non-null cells of an integer or date column as (value, position), in ascending order: what the first
    // value after another is found in without a scan.
    using OrderedIndex = std::set<std::pair<qint64, quint32>>;
    const OrderedIndex &orderedIndex(int column);
    void buildAllIndexes();

private:
    using Bucket = std::vector<quint32>;
    using InverseIndex = std::unordered_map<qint64, Bucket>;

    void setNullBit(int column, quint32 pos, bool null);
    void clearCell(int column, quint32 pos);
    void indexRemove(int column, quint32 pos);
    void indexAdd(int column, quint32 pos);
    void dropIndexes();
    Type columnType(int column) const { return m_entity.properties[m_entity.columnProperties[column]].type; }

    const EntityDescription &m_entity;
    quint32 m_generation;
    quint32 m_dead = 0;
    int m_numericColumn = -1;
    std::vector<qint64> m_rowids;
    std::vector<qint64> m_zids;
    std::vector<quint64> m_live;
    std::vector<std::vector<Cell>> m_columns;
    std::vector<std::vector<quint64>> m_nulls;
    std::vector<bool> m_isString;
    PositionIndex m_byZid;

    std::unique_ptr<PositionIndex> m_numericIndex;
    std::vector<std::unique_ptr<InverseIndex>> m_inverse; // per column, to-ones only
    std::vector<std::unique_ptr<OrderedIndex>> m_ordered; // per column, integers and dates only
};

} // namespace ostore
