#pragma once

#include "uikit/KeyedRowDiff.h"

#include <QAbstractItemModel>
#include <QModelIndex>

#include <type_traits>
#include <utility>
#include <vector>

namespace knvt {

// A flat model whose rows are brought up to date in place by the lists' one diff (KeyedRowDiff), so that the
// selection, the current row and a screen reader's place stay with their row: `Base` is QAbstractListModel or
// QAbstractTableModel.
template <class Base>
class FlatRowsModel : public Base
{
public:
    using Base::Base;

protected:
    // Brings `shown` to `target`: rows no longer listed are removed, the others moved to their new places, new ones
    // inserted, and each row that shows something else (by its ==) reported changed, in every column, and no other.
    // `keyOf` (a lambda without captures) gives what a row stands for (a person, a list, a header); a row whose key an
    // earlier row of `target` has is left out, so the list shows each once. Returns whether any row came, went or
    // moved.
    template <class Row, class KeyOf>
    bool updateRows(std::vector<Row> &shown, std::vector<Row> target, KeyOf)
    {
        Host<Row, KeyOf> host{*this, shown};
        std::vector<typename Host<Row, KeyOf>::Section> sections(1);
        sections.front().rows = std::move(target);
        KeyedRowDiff<Host<Row, KeyOf>>::apply(host, std::move(sections));
        return host.arranged;
    }

private:
    // The model's rows as the diff's one section, which is always there.
    template <class RowType, class KeyOf>
    struct Host
    {
        using Row = RowType;
        using RowKey = std::decay_t<std::invoke_result_t<KeyOf, const Row &>>;
        using SectionKey = int;
        struct Section
        {
            std::vector<Row> rows;
        };
        static constexpr bool foldsRepeatedRows = true;

        FlatRowsModel &model;
        std::vector<Row> &shown;
        bool arranged = false;

        static SectionKey sectionKey(const Section &) { return 0; }
        static RowKey rowKey(const Row &row) { return KeyOf{}(row); }
        static std::vector<Row> &rowsOf(Section &section) { return section.rows; }
        static const std::vector<Row> &rowsOf(const Section &section) { return section.rows; }

        int shownSectionCount() const { return 1; }
        SectionKey shownSectionKey(int) const { return 0; }
        const std::vector<Row> &shownRows(int) const { return shown; }
        bool sectionDiffers(int, const Section &) const { return false; }

        void resetSections(std::vector<Section> sections)
        {
            model.beginResetModel();
            shown = std::move(sections.front().rows);
            model.endResetModel();
            arranged = true;
        }
        // The one section never comes, goes or moves.
        void insertSection(int, const Section &) {}
        void removeSection(int) {}
        void moveSection(int, int) {}
        void setSection(int, const Section &) {}

        void insertRows(int, int at, std::vector<Row> rows)
        {
            if (rows.empty())
                return;
            model.beginInsertRows(QModelIndex(), at, at + int(rows.size()) - 1);
            shown.insert(shown.begin() + at, std::make_move_iterator(rows.begin()),
                         std::make_move_iterator(rows.end()));
            model.endInsertRows();
            arranged = true;
        }
        void removeRows(int, int first, int count)
        {
            if (count <= 0)
                return;
            model.beginRemoveRows(QModelIndex(), first, first + count - 1);
            shown.erase(shown.begin() + first, shown.begin() + first + count);
            model.endRemoveRows();
            arranged = true;
        }
        void moveRow(int, int from, int, int to)
        {
            if (from == to)
                return;
            model.beginMoveRows(QModelIndex(), from, from, QModelIndex(), to > from ? to + 1 : to);
            Row row = std::move(shown[size_t(from)]);
            shown.erase(shown.begin() + from);
            shown.insert(shown.begin() + to, std::move(row));
            model.endMoveRows();
            arranged = true;
        }
        void setRow(int, int at, Row row)
        {
            shown[size_t(at)] = std::move(row);
            // A list model keeps its one column's count to itself; through the base every model answers it.
            const int lastColumn = static_cast<const QAbstractItemModel &>(model).columnCount() - 1;
            emit model.dataChanged(model.index(at, 0), model.index(at, lastColumn));
        }
        void rearrangeRows(std::vector<std::vector<Row>> arrangement)
        {
            emit model.layoutAboutToBeChanged();
            const QModelIndexList before = model.persistentIndexList();
            std::vector<RowKey> keys;
            keys.reserve(size_t(before.size()));
            for (const QModelIndex &index : before)
                keys.push_back(rowKey(shown[size_t(index.row())]));
            shown = std::move(arrangement.front());
            QHash<RowKey, int> rowOf;
            rowOf.reserve(qsizetype(shown.size()));
            for (int r = 0; r < int(shown.size()); ++r)
                rowOf.insert(rowKey(shown[size_t(r)]), r);
            QModelIndexList after;
            after.reserve(before.size());
            for (qsizetype i = 0; i < before.size(); ++i)
                after << model.index(rowOf.value(keys[size_t(i)]), before[i].column());
            model.changePersistentIndexList(before, after);
            emit model.layoutChanged();
            arranged = true;
        }
    };
};

} // namespace knvt
