#pragma once

#include <QSet>

#include <functional>
#include <type_traits>
#include <utility>
#include <vector>

namespace knvt {

// What a flat model does at each step of an update in place: its begin and end calls around each change of its row
// vector. `changed` is told, at the end, of every row that is still shown, since their contents were replaced.
struct FlatRowSignals
{
    std::function<void(int first, int last)> beginRemove;
    std::function<void()> endRemove;
    std::function<void(int first, int last)> beginInsert;
    std::function<void()> endInsert;
    // `to`: the row it goes before, counted before the move.
    std::function<void(int from, int to)> beginMove;
    std::function<void()> endMove;
    std::function<void(int first, int last)> changed;
};

// Brings `shown` to `target` in place, so that the selection and the current row of the people lists stay with
// their person or list: rows no longer listed are removed, the others moved to their new places, new ones inserted,
// and every row's contents replaced. `keyOf` gives what a row stands for (a person, a list, a header), which no other
// row of the list shares.
template <class Row, class KeyOf>
void updateFlatRows(std::vector<Row> &shown, std::vector<Row> target, KeyOf keyOf, const FlatRowSignals &steps)
{
    using Key = std::decay_t<decltype(keyOf(std::declval<const Row &>()))>;
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
        steps.beginRemove(r, last);
        shown.erase(shown.begin() + r, shown.begin() + last + 1);
        steps.endRemove();
    }
    QSet<Key> present;
    present.reserve(qsizetype(shown.size()));
    for (const Row &row : shown)
        present.insert(keyOf(row));
    for (int k = 0; k < int(target.size()); ++k) {
        const Key key = keyOf(target[size_t(k)]);
        if (!present.contains(key)) {
            steps.beginInsert(k, k);
            shown.insert(shown.begin() + k, target[size_t(k)]);
            steps.endInsert();
            present.insert(key);
            continue;
        }
        int current = k;
        while (current < int(shown.size()) && !(keyOf(shown[size_t(current)]) == key))
            ++current;
        if (current != k && current < int(shown.size())) {
            steps.beginMove(current, k);
            Row row = std::move(shown[size_t(current)]);
            shown.erase(shown.begin() + current);
            shown.insert(shown.begin() + k, std::move(row));
            steps.endMove();
        }
    }
    for (size_t k = 0; k < target.size(); ++k)
        shown[k] = std::move(target[k]);
    if (!shown.empty())
        steps.changed(0, int(shown.size()) - 1);
}

} // namespace knvt
