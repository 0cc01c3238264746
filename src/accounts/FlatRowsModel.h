#pragma once

#include <QModelIndex>
#include <QSet>

#include <algorithm>
#include <type_traits>
#include <utility>
#include <vector>

namespace knvt {

// A flat model of the people lists that brings its rows up to date in place, so that the selection and the current
// row stay with their person or list: `Base` is QAbstractListModel or QAbstractTableModel.
template <class Base>
class FlatRowsModel : public Base
{
public:
    using Base::Base;

protected:
    // Brings `shown` to `target`: rows no longer listed are removed, the others moved to their new places, new ones
    // inserted, and every row's contents replaced (each still shown is reported changed, in every column). `keyOf`
    // gives what a row stands for (a person, a list, a header), which no other row of the list shares. Returns whether
    // any row came, went or moved.
    template <class Row, class KeyOf>
    bool updateRows(std::vector<Row> &shown, std::vector<Row> target, KeyOf keyOf)
    {
        using Key = std::decay_t<decltype(keyOf(std::declval<const Row &>()))>;
        // The usual rebuild after a save lists the same rows in the same order: no sets of keys to build then.
        const bool sameRows = shown.size() == target.size()
            && std::equal(shown.cbegin(), shown.cend(), target.cbegin(),
                          [&keyOf](const Row &a, const Row &b) { return keyOf(a) == keyOf(b); });
        if (sameRows) {
            replaceContents(shown, std::move(target));
            return false;
        }
        QSet<Key> wanted;
        wanted.reserve(qsizetype(target.size()));
        for (const Row &row : target)
            wanted.insert(keyOf(row));
        for (int r = int(shown.size()) - 1; r >= 0; --r) {
            if (wanted.contains(keyOf(shown[size_t(r)])))
                continue;
            const int last = r;
            while (r > 0 && !wanted.contains(keyOf(shown[size_t(r - 1)])))
                --r;
            this->beginRemoveRows(QModelIndex(), r, last);
            shown.erase(shown.begin() + r, shown.begin() + last + 1);
            this->endRemoveRows();
        }
        QSet<Key> present;
        present.reserve(qsizetype(shown.size()));
        for (const Row &row : shown)
            present.insert(keyOf(row));
        for (int k = 0; k < int(target.size()); ++k) {
            const Key key = keyOf(target[size_t(k)]);
            if (!present.contains(key)) {
                this->beginInsertRows(QModelIndex(), k, k);
                shown.insert(shown.begin() + k, target[size_t(k)]);
                this->endInsertRows();
                present.insert(key);
                continue;
            }
            int current = k;
            while (current < int(shown.size()) && !(keyOf(shown[size_t(current)]) == key))
                ++current;
            if (current != k && current < int(shown.size())) {
                this->beginMoveRows(QModelIndex(), current, current, QModelIndex(), k);
                Row row = std::move(shown[size_t(current)]);
                shown.erase(shown.begin() + current);
                shown.insert(shown.begin() + k, std::move(row));
                this->endMoveRows();
            }
        }
        replaceContents(shown, std::move(target));
        return true;
    }

private:
    template <class Row>
    void replaceContents(std::vector<Row> &shown, std::vector<Row> target)
    {
        for (size_t k = 0; k < target.size(); ++k)
            shown[k] = std::move(target[k]);
        // A list model keeps its one column's count to itself; through the base every model answers it.
        const int lastColumn = static_cast<const QAbstractItemModel *>(this)->columnCount() - 1;
        if (!shown.empty())
            emit this->dataChanged(this->index(0, 0), this->index(int(shown.size()) - 1, lastColumn));
    }
};

} // namespace knvt
