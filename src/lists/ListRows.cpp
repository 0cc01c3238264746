#include "lists/ListRows.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace knvt {

namespace {

// The positions (into `values`) of a longest strictly increasing run: the elements that can stay where they are
// while everything else moves around them.
std::vector<bool> longestIncreasing(const std::vector<int> &values)
{
    std::vector<int> tails; // index into values of the smallest tail of each run length
    std::vector<int> previous(values.size(), -1);
    for (int i = 0; i < int(values.size()); ++i) {
        const auto it = std::lower_bound(tails.begin(), tails.end(), values[size_t(i)],
                                         [&values](int index, int value) { return values[size_t(index)] < value; });
        if (it != tails.begin())
            previous[size_t(i)] = *(it - 1);
        if (it == tails.end())
            tails.push_back(i);
        else
            *it = i;
    }
    std::vector<bool> kept(values.size(), false);
    for (int i = tails.empty() ? -1 : tails.back(); i >= 0; i = previous[size_t(i)])
        kept[size_t(i)] = true;
    return kept;
}

int rowIndex(const ListSection &section, const ostore::ObjectID &id)
{
    for (int r = 0; r < int(section.rows.size()); ++r)
        if (section.rows[size_t(r)].objectID == id)
            return r;
    return -1;
}

ListSection withoutRows(const ListSection &section)
{
    return ListSection{section.section, {}, section.showsHeader};
}

} // namespace

std::optional<ListRows::Location> ListRows::locate(const ostore::ObjectID &id) const
{
    const std::vector<ListSection> &all = sections();
    for (int s = 0; s < int(all.size()); ++s)
        if (const int r = rowIndex(all[size_t(s)], id); r >= 0)
            return Location{s, r};
    return std::nullopt;
}

int ListRows::sectionIndex(const QString &identifier) const
{
    const std::vector<ListSection> &all = sections();
    for (int s = 0; s < int(all.size()); ++s)
        if (all[size_t(s)].identifier() == identifier)
            return s;
    return -1;
}

void ListRows::updateSections(std::vector<ListSection> target)
{
    // Identities of the target, and of what is shown: a repeated one leaves nothing to match rows by.
    QHash<ostore::ObjectID, int> targetSectionOf;
    QSet<QString> targetIdentifiers;
    qsizetype targetRows = 0;
    for (const ListSection &section : target)
        targetRows += qsizetype(section.rows.size());
    targetSectionOf.reserve(targetRows);
    bool repeated = false;
    for (int t = 0; t < int(target.size()) && !repeated; ++t) {
        const ListSection &section = target[size_t(t)];
        if (!section.section || targetIdentifiers.contains(section.identifier())) {
            repeated = true;
            break;
        }
        targetIdentifiers.insert(section.identifier());
        for (const ItemRow &row : section.rows) {
            if (row.objectID.isNull() || targetSectionOf.contains(row.objectID)) {
                repeated = true;
                break;
            }
            targetSectionOf.insert(row.objectID, t);
        }
    }
    if (!repeated) {
        QSet<QString> shownIdentifiers;
        QSet<ostore::ObjectID> shownRows;
        for (const ListSection &section : sections()) {
            if (!section.section || shownIdentifiers.contains(section.identifier())) {
                repeated = true;
                break;
            }
            shownIdentifiers.insert(section.identifier());
            for (const ItemRow &row : section.rows) {
                if (row.objectID.isNull() || shownRows.contains(row.objectID)) {
                    repeated = true;
                    break;
                }
                shownRows.insert(row.objectID);
            }
        }
    }
    if (repeated) {
        resetSections(std::move(target));
        return;
    }

    // 1. Rows no longer listed go, bottom up.
    for (int s = int(sections().size()) - 1; s >= 0; --s) {
        int r = int(sections()[size_t(s)].rows.size()) - 1;
        while (r >= 0) {
            if (targetSectionOf.contains(sections()[size_t(s)].rows[size_t(r)].objectID)) {
                --r;
                continue;
            }
            const int last = r;
            while (r >= 0 && !targetSectionOf.contains(sections()[size_t(s)].rows[size_t(r)].objectID))
                --r;
            removeItemRows(s, r + 1, last - r);
        }
    }

    // 2. Sections in their new order; those that go stay (after the section they followed) until their rows have
    // moved out.
    std::vector<QString> order;
    {
        std::vector<QString> leading;
        QHash<QString, std::vector<QString>> following;
        std::optional<QString> anchor;
        for (const ListSection &section : sections()) {
            if (targetIdentifiers.contains(section.identifier()))
                anchor = section.identifier();
            else if (anchor)
                following[*anchor].push_back(section.identifier());
            else
                leading.push_back(section.identifier());
        }
        order = leading;
        for (const ListSection &section : target) {
            order.push_back(section.identifier());
            const std::vector<QString> after = following.value(section.identifier());
            order.insert(order.end(), after.begin(), after.end());
        }
    }
    arrangeSections(target, order);

    // 3. Rows into their sections and places.
    arrangeRows(target);

    // 4. Sections that went, now empty.
    for (int s = int(sections().size()) - 1; s >= 0; --s)
        if (!targetIdentifiers.contains(sections()[size_t(s)].identifier()))
            removeSection(s);

    // 5. Contents: what is shown now stands where the target has it.
    for (int s = 0; s < int(target.size()); ++s) {
        ListSection &wanted = target[size_t(s)];
        const ListSection &shown = sections()[size_t(s)];
        if (shown.name() != wanted.name() || shown.showsHeader != wanted.showsHeader)
            setSectionHeader(s, wanted.section, wanted.showsHeader);
        for (int r = 0; r < int(wanted.rows.size()); ++r)
            if (!(sections()[size_t(s)].rows[size_t(r)] == wanted.rows[size_t(r)]))
                setItemRow(s, r, std::move(wanted.rows[size_t(r)]));
    }
}

void ListRows::arrangeSections(const std::vector<ListSection> &target, const std::vector<QString> &order)
{
    QHash<QString, int> position;
    for (int k = 0; k < int(order.size()); ++k)
        position.insert(order[size_t(k)], k);
    std::vector<int> shownPositions;
    for (const ListSection &section : sections())
        shownPositions.push_back(position.value(section.identifier()));
    const std::vector<bool> kept = longestIncreasing(shownPositions);
    QSet<QString> anchors;
    for (size_t i = 0; i < kept.size(); ++i)
        if (kept[i])
            anchors.insert(sections()[i].identifier());

    // Each section that is not an anchor goes right after the one before it in the new order.
    for (int k = 0; k < int(order.size()); ++k) {
        const QString &identifier = order[size_t(k)];
        if (anchors.contains(identifier))
            continue;
        const int destination = k == 0 ? 0 : sectionIndex(order[size_t(k - 1)]) + 1;
        const int current = sectionIndex(identifier);
        if (current < 0) {
            const auto wanted = std::find_if(target.begin(), target.end(), [&identifier](const ListSection &section) {
                return section.identifier() == identifier;
            });
            insertSection(destination, withoutRows(*wanted));
        } else {
            const int to = current < destination ? destination - 1 : destination;
            if (to != current)
                moveSection(current, to);
        }
    }
}

void ListRows::arrangeRows(const std::vector<ListSection> &target)
{
    // Where each shown row is, and which rows keep their place in each section.
    QHash<ostore::ObjectID, int> shownSection;
    QHash<ostore::ObjectID, int> targetIndex;
    for (int s = 0; s < int(sections().size()); ++s)
        for (const ItemRow &row : sections()[size_t(s)].rows)
            shownSection.insert(row.objectID, s);
    for (const ListSection &section : target)
        for (int k = 0; k < int(section.rows.size()); ++k)
            targetIndex.insert(section.rows[size_t(k)].objectID, k);

    std::vector<std::vector<bool>> anchors(target.size());
    int moves = 0;
    for (int t = 0; t < int(target.size()); ++t) {
        const ListSection &wanted = target[size_t(t)];
        const int shown = sectionIndex(wanted.identifier());
        std::vector<int> natives;
        QSet<ostore::ObjectID> wantedHere;
        for (const ItemRow &row : wanted.rows)
            wantedHere.insert(row.objectID);
        for (const ItemRow &row : sections()[size_t(shown)].rows)
            if (wantedHere.contains(row.objectID))
                natives.push_back(targetIndex.value(row.objectID));
        const std::vector<bool> kept = longestIncreasing(natives);
        anchors[size_t(t)].assign(wanted.rows.size(), false);
        for (size_t i = 0; i < natives.size(); ++i)
            if (kept[i])
                anchors[size_t(t)][size_t(natives[i])] = true;
        for (int k = 0; k < int(wanted.rows.size()); ++k)
            if (!anchors[size_t(t)][size_t(k)] && shownSection.contains(wanted.rows[size_t(k)].objectID))
                ++moves;
    }
    if (moves > MaximumSingleMoves) {
        arrangeRowsByLayout(target);
        return;
    }

    // Each row that is not an anchor goes right after the one before it in its section.
    for (int t = 0; t < int(target.size()); ++t) {
        const std::vector<ItemRow> &wanted = target[size_t(t)].rows;
        const int section = sectionIndex(target[size_t(t)].identifier());
        for (int k = 0; k < int(wanted.size()); ++k) {
            if (anchors[size_t(t)][size_t(k)])
                continue;
            const int destination =
                k == 0 ? 0 : rowIndex(sections()[size_t(section)], wanted[size_t(k - 1)].objectID) + 1;
            const ostore::ObjectID &id = wanted[size_t(k)].objectID;
            const auto found = shownSection.constFind(id);
            if (found != shownSection.constEnd()) {
                const int from = *found;
                const int current = rowIndex(sections()[size_t(from)], id);
                if (from == section) {
                    const int to = current < destination ? destination - 1 : destination;
                    if (to != current)
                        moveItemRow(section, current, section, to);
                } else {
                    moveItemRow(from, current, section, destination);
                    shownSection.insert(id, section);
                }
                continue;
            }
            // A run of new rows is inserted at once.
            std::vector<ItemRow> run;
            int end = k;
            while (end < int(wanted.size()) && !shownSection.contains(wanted[size_t(end)].objectID)) {
                run.push_back(wanted[size_t(end)]);
                shownSection.insert(wanted[size_t(end)].objectID, section);
                ++end;
            }
            insertItemRows(section, destination, std::move(run));
            k = end - 1;
        }
    }
}

void ListRows::arrangeRowsByLayout(const std::vector<ListSection> &target)
{
    QHash<ostore::ObjectID, const ItemRow *> shown;
    for (const ListSection &section : sections())
        for (const ItemRow &row : section.rows)
            shown.insert(row.objectID, &row);
    std::vector<ListSection> arrangement;
    arrangement.reserve(sections().size());
    for (const ListSection &section : sections()) {
        ListSection arranged = withoutRows(section);
        const auto wanted = std::find_if(target.begin(), target.end(), [&section](const ListSection &candidate) {
            return candidate.identifier() == section.identifier();
        });
        if (wanted != target.end())
            for (const ItemRow &row : wanted->rows)
                if (const ItemRow *existing = shown.value(row.objectID))
                    arranged.rows.push_back(*existing);
        arrangement.push_back(std::move(arranged));
    }
    rearrange(std::move(arrangement));

    // New rows last, top down, each run where the target has it.
    for (const ListSection &wanted : target) {
        const int section = sectionIndex(wanted.identifier());
        for (int k = 0; k < int(wanted.rows.size()); ++k) {
            if (shown.contains(wanted.rows[size_t(k)].objectID))
                continue;
            std::vector<ItemRow> run;
            int end = k;
            while (end < int(wanted.rows.size()) && !shown.contains(wanted.rows[size_t(end)].objectID))
                run.push_back(wanted.rows[size_t(end++)]);
            insertItemRows(section, k, std::move(run));
            k = end - 1;
        }
    }
}

} // namespace knvt
