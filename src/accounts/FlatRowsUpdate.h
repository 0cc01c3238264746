#pragma once

#include <functional>
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
// and every row's contents replaced. `sameRow` tells whether two rows stand for the same person, list or header.
template <class Row, class SameRow>
void updateFlatRows(std::vector<Row> &shown, std::vector<Row> target, SameRow sameRow, const FlatRowSignals &steps)
{
    auto inTarget = [&](const Row &row) {
        for (const Row &wanted : target)
            if (sameRow(row, wanted))
                return true;
        return false;
    };
    for (int r = int(shown.size()) - 1; r >= 0; --r) {
        if (inTarget(shown[size_t(r)]))
            continue;
        const int last = r;
        while (r > 0 && !inTarget(shown[size_t(r - 1)]))
            --r;
        steps.beginRemove(r, last);
        shown.erase(shown.begin() + r, shown.begin() + last + 1);
        steps.endRemove();
    }
    for (int k = 0; k < int(target.size()); ++k) {
        int current = -1;
        for (int r = k; r < int(shown.size()); ++r) {
            if (sameRow(shown[size_t(r)], target[size_t(k)])) {
                current = r;
                break;
            }
        }
        if (current < 0) {
            steps.beginInsert(k, k);
            shown.insert(shown.begin() + k, target[size_t(k)]);
            steps.endInsert();
        } else if (current != k) {
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
