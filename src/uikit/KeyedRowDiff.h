#pragma once

#include <QHash>
#include <QSet>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

namespace knvt {

// The one diff of every list model: turns the sections and rows a model shows into new ones with the fewest row
// operations it finds, each carried out by the model and announced to its views. Rows no longer listed are removed,
// new rows inserted, rows that changed place moved (also into another section; one by one while they are few, else
// all in one layout change), rows that show something else updated (only those rows; a host may tell its views of
// neighbouring updated rows at once), and sections that appear or go inserted or removed. So the selection, the
// current row, the scroll position, the open sections and a screen reader's place stay with their rows, and a reader
// hears only of what changed.
//
// Rows are told apart by their key, sections by theirs. A key must not repeat: when the new rows repeat a row's key,
// the host's `foldsRepeatedRows` says whether the later rows are dropped (a list of people, where a person is one row
// however many records name them) or the model is given everything at once (a list whose rows may stand in several
// sections); repeated sections, and anything repeated in what is shown, always replace everything at once.
//
// `Host` is the model, or an adaptor of it, and provides:
//   using Section, Row, SectionKey, RowKey (the keys hashable with qHash; Row comparable with ==)
//   static constexpr bool foldsRepeatedRows
//   static SectionKey sectionKey(const Section &);  static RowKey rowKey(const Row &);
//   static std::vector<Row> &rowsOf(Section &);  static const std::vector<Row> &rowsOf(const Section &);
//   What is shown: int shownSectionCount() const; SectionKey shownSectionKey(int) const;
//     const std::vector<Row> &shownRows(int section) const; bool sectionDiffers(int section, const Section &) const
//   The operations, each announced to the views:
//     resetSections(std::vector<Section>); insertSection(int at, const Section &) (without its rows);
//     removeSection(int at) (it has no rows left); moveSection(int from, int to) (`to` once moved);
//     setSection(int at, const Section &) (the section's own contents, not its rows);
//     insertRows(int section, int at, std::vector<Row>); removeRows(int section, int first, int count);
//     moveRow(int fromSection, int from, int toSection, int to) (`to` once moved); setRow(int section, int at, Row);
//     rearrangeRows(std::vector<std::vector<Row>>) (every shown section's rows anew: the same rows, some in other
//     sections; one layout change).
template <class Host>
class KeyedRowDiff
{
public:
    using Section = typename Host::Section;
    using Row = typename Host::Row;
    using SectionKey = typename Host::SectionKey;
    using RowKey = typename Host::RowKey;

    // How many rows may move one by one before one layout change arranges them all at once.
    static constexpr int MaximumSingleMoves = 64;

    static void apply(Host &host, std::vector<Section> target)
    {
        KeyedRowDiff diff(host);
        // The usual rebuild after a save lists the same rows in the same places: no sets of keys to build then.
        if (diff.sameKeys(target)) {
            diff.updateContents(target);
            return;
        }
        if (!diff.prepare(target)) {
            host.resetSections(std::move(target));
            return;
        }
        diff.removeRowsNotListed();
        diff.arrangeSections(target);
        diff.arrangeRows(target);
        diff.removeSectionsThatWent();
        diff.updateContents(target);
    }

    // The positions (into `values`) of a longest strictly increasing run: the elements that can stay where they are
    // while everything else moves around them.
    static std::vector<bool> longestIncreasing(const std::vector<int> &values)
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

private:
    explicit KeyedRowDiff(Host &host) : m_host(host) {}

    int shownSection(const SectionKey &key) const
    {
        for (int s = 0; s < m_host.shownSectionCount(); ++s)
            if (m_host.shownSectionKey(s) == key)
                return s;
        return -1;
    }

    static int rowIndex(const std::vector<Row> &rows, const RowKey &key)
    {
        for (int r = 0; r < int(rows.size()); ++r)
            if (Host::rowKey(rows[size_t(r)]) == key)
                return r;
        return -1;
    }

    bool sameKeys(const std::vector<Section> &target) const
    {
        if (int(target.size()) != m_host.shownSectionCount())
            return false;
        for (int s = 0; s < int(target.size()); ++s) {
            const std::vector<Row> &wanted = Host::rowsOf(target[size_t(s)]);
            const std::vector<Row> &shown = m_host.shownRows(s);
            if (!(Host::sectionKey(target[size_t(s)]) == m_host.shownSectionKey(s)) || wanted.size() != shown.size()
                || !std::equal(wanted.begin(), wanted.end(), shown.begin(),
                               [](const Row &a, const Row &b) { return Host::rowKey(a) == Host::rowKey(b); }))
                return false;
        }
        return true;
    }

    // Learns the keys of the target and of what is shown, folding repeated rows of the target where the host
    // does; false when what repeats leaves nothing to match by.
    bool prepare(std::vector<Section> &target)
    {
        qsizetype targetRows = 0;
        for (const Section &section : target)
            targetRows += qsizetype(Host::rowsOf(section).size());
        m_targetSectionOf.reserve(targetRows);
        for (int t = 0; t < int(target.size()); ++t) {
            Section &section = target[size_t(t)];
            if (m_targetSections.contains(Host::sectionKey(section)))
                return false;
            m_targetSections.insert(Host::sectionKey(section));
            std::vector<Row> &rows = Host::rowsOf(section);
            for (auto row = rows.begin(); row != rows.end();) {
                const RowKey key = Host::rowKey(*row);
                if (!m_targetSectionOf.contains(key)) {
                    m_targetSectionOf.insert(key, t);
                    ++row;
                } else if (Host::foldsRepeatedRows) {
                    row = rows.erase(row);
                } else {
                    return false;
                }
            }
        }
        QSet<SectionKey> shownSections;
        QSet<RowKey> shownRows;
        for (int s = 0; s < m_host.shownSectionCount(); ++s) {
            if (shownSections.contains(m_host.shownSectionKey(s)))
                return false;
            shownSections.insert(m_host.shownSectionKey(s));
            for (const Row &row : m_host.shownRows(s)) {
                if (shownRows.contains(Host::rowKey(row)))
                    return false;
                shownRows.insert(Host::rowKey(row));
            }
        }
        return true;
    }

    // 1. Rows no longer listed go, bottom up, each run at once.
    void removeRowsNotListed()
    {
        for (int s = m_host.shownSectionCount() - 1; s >= 0; --s) {
            int r = int(m_host.shownRows(s).size()) - 1;
            while (r >= 0) {
                if (m_targetSectionOf.contains(Host::rowKey(m_host.shownRows(s)[size_t(r)]))) {
                    --r;
                    continue;
                }
                const int last = r;
                while (r >= 0 && !m_targetSectionOf.contains(Host::rowKey(m_host.shownRows(s)[size_t(r)])))
                    --r;
                m_host.removeRows(s, r + 1, last - r);
            }
        }
    }

    // 2. Sections in their new order; those that go stay (after the section they followed) until their rows have
    // moved out.
    void arrangeSections(const std::vector<Section> &target)
    {
        std::vector<SectionKey> order;
        {
            std::vector<SectionKey> leading;
            QHash<SectionKey, std::vector<SectionKey>> following;
            std::optional<SectionKey> anchor;
            for (int s = 0; s < m_host.shownSectionCount(); ++s) {
                const SectionKey key = m_host.shownSectionKey(s);
                if (m_targetSections.contains(key))
                    anchor = key;
                else if (anchor)
                    following[*anchor].push_back(key);
                else
                    leading.push_back(key);
            }
            order = leading;
            for (const Section &section : target) {
                order.push_back(Host::sectionKey(section));
                const std::vector<SectionKey> after = following.value(Host::sectionKey(section));
                order.insert(order.end(), after.begin(), after.end());
            }
        }
        QHash<SectionKey, int> position;
        for (int k = 0; k < int(order.size()); ++k)
            position.insert(order[size_t(k)], k);
        std::vector<int> shownPositions;
        for (int s = 0; s < m_host.shownSectionCount(); ++s)
            shownPositions.push_back(position.value(m_host.shownSectionKey(s)));
        const std::vector<bool> kept = longestIncreasing(shownPositions);
        QSet<SectionKey> anchors;
        for (size_t i = 0; i < kept.size(); ++i)
            if (kept[i])
                anchors.insert(m_host.shownSectionKey(int(i)));

        // Each section that is not an anchor goes right after the one before it in the new order.
        for (int k = 0; k < int(order.size()); ++k) {
            const SectionKey &key = order[size_t(k)];
            if (anchors.contains(key))
                continue;
            const int destination = k == 0 ? 0 : shownSection(order[size_t(k - 1)]) + 1;
            const int current = shownSection(key);
            if (current < 0) {
                const auto wanted = std::find_if(target.begin(), target.end(), [&key](const Section &section) {
                    return Host::sectionKey(section) == key;
                });
                m_host.insertSection(destination, *wanted);
            } else {
                const int to = current < destination ? destination - 1 : destination;
                if (to != current)
                    m_host.moveSection(current, to);
            }
        }
    }

    // 3. Rows into their sections and places.
    void arrangeRows(const std::vector<Section> &target)
    {
        // Where each shown row is, and which rows keep their place in each section.
        QHash<RowKey, int> shownSectionOf;
        QHash<RowKey, int> targetIndex;
        for (int s = 0; s < m_host.shownSectionCount(); ++s)
            for (const Row &row : m_host.shownRows(s))
                shownSectionOf.insert(Host::rowKey(row), s);
        for (const Section &section : target)
            for (int k = 0; k < int(Host::rowsOf(section).size()); ++k)
                targetIndex.insert(Host::rowKey(Host::rowsOf(section)[size_t(k)]), k);

        std::vector<std::vector<bool>> anchors(target.size());
        int moves = 0;
        for (int t = 0; t < int(target.size()); ++t) {
            const std::vector<Row> &wanted = Host::rowsOf(target[size_t(t)]);
            const int shown = shownSection(Host::sectionKey(target[size_t(t)]));
            std::vector<int> natives;
            for (const Row &row : m_host.shownRows(shown))
                if (m_targetSectionOf.value(Host::rowKey(row), -1) == t)
                    natives.push_back(targetIndex.value(Host::rowKey(row)));
            const std::vector<bool> kept = longestIncreasing(natives);
            anchors[size_t(t)].assign(wanted.size(), false);
            for (size_t i = 0; i < natives.size(); ++i)
                if (kept[i])
                    anchors[size_t(t)][size_t(natives[i])] = true;
            for (int k = 0; k < int(wanted.size()); ++k)
                if (!anchors[size_t(t)][size_t(k)] && shownSectionOf.contains(Host::rowKey(wanted[size_t(k)])))
                    ++moves;
        }
        if (moves > MaximumSingleMoves) {
            arrangeRowsByLayout(target);
            return;
        }

        // Each row that is not an anchor goes right after the one before it in its section.
        for (int t = 0; t < int(target.size()); ++t) {
            const std::vector<Row> &wanted = Host::rowsOf(target[size_t(t)]);
            const int section = shownSection(Host::sectionKey(target[size_t(t)]));
            for (int k = 0; k < int(wanted.size()); ++k) {
                if (anchors[size_t(t)][size_t(k)])
                    continue;
                const int destination =
                    k == 0 ? 0 : rowIndex(m_host.shownRows(section), Host::rowKey(wanted[size_t(k - 1)])) + 1;
                const RowKey key = Host::rowKey(wanted[size_t(k)]);
                const auto found = shownSectionOf.constFind(key);
                if (found != shownSectionOf.constEnd()) {
                    const int from = *found;
                    const int current = rowIndex(m_host.shownRows(from), key);
                    if (from == section) {
                        const int to = current < destination ? destination - 1 : destination;
                        if (to != current)
                            m_host.moveRow(section, current, section, to);
                    } else {
                        m_host.moveRow(from, current, section, destination);
                        shownSectionOf.insert(key, section);
                    }
                    continue;
                }
                // A run of new rows is inserted at once.
                std::vector<Row> run;
                int end = k;
                while (end < int(wanted.size()) && !shownSectionOf.contains(Host::rowKey(wanted[size_t(end)]))) {
                    run.push_back(wanted[size_t(end)]);
                    shownSectionOf.insert(Host::rowKey(wanted[size_t(end)]), section);
                    ++end;
                }
                m_host.insertRows(section, destination, std::move(run));
                k = end - 1;
            }
        }
    }

    void arrangeRowsByLayout(const std::vector<Section> &target)
    {
        QHash<RowKey, const Row *> shown;
        for (int s = 0; s < m_host.shownSectionCount(); ++s)
            for (const Row &row : m_host.shownRows(s))
                shown.insert(Host::rowKey(row), &row);
        std::vector<std::vector<Row>> arrangement;
        arrangement.reserve(size_t(m_host.shownSectionCount()));
        for (int s = 0; s < m_host.shownSectionCount(); ++s) {
            std::vector<Row> arranged;
            const SectionKey key = m_host.shownSectionKey(s);
            const auto wanted = std::find_if(target.begin(), target.end(), [&key](const Section &candidate) {
                return Host::sectionKey(candidate) == key;
            });
            if (wanted != target.end())
                for (const Row &row : Host::rowsOf(*wanted))
                    if (const Row *existing = shown.value(Host::rowKey(row)))
                        arranged.push_back(*existing);
            arrangement.push_back(std::move(arranged));
        }
        m_host.rearrangeRows(std::move(arrangement));

        // New rows last, top down, each run where the target has it.
        for (const Section &wanted : target) {
            const int section = shownSection(Host::sectionKey(wanted));
            const std::vector<Row> &rows = Host::rowsOf(wanted);
            for (int k = 0; k < int(rows.size()); ++k) {
                if (shown.contains(Host::rowKey(rows[size_t(k)])))
                    continue;
                std::vector<Row> run;
                int end = k;
                while (end < int(rows.size()) && !shown.contains(Host::rowKey(rows[size_t(end)])))
                    run.push_back(rows[size_t(end++)]);
                m_host.insertRows(section, k, std::move(run));
                k = end - 1;
            }
        }
    }

    // 4. Sections that went, now empty.
    void removeSectionsThatWent()
    {
        for (int s = m_host.shownSectionCount() - 1; s >= 0; --s)
            if (!m_targetSections.contains(m_host.shownSectionKey(s)))
                m_host.removeSection(s);
    }

    // 5. Contents: what is shown now stands where the target has it; only what differs is replaced.
    void updateContents(std::vector<Section> &target)
    {
        for (int s = 0; s < int(target.size()); ++s) {
            Section &wanted = target[size_t(s)];
            if (m_host.sectionDiffers(s, wanted))
                m_host.setSection(s, wanted);
            std::vector<Row> &rows = Host::rowsOf(wanted);
            for (int r = 0; r < int(rows.size()); ++r)
                if (!(m_host.shownRows(s)[size_t(r)] == rows[size_t(r)]))
                    m_host.setRow(s, r, std::move(rows[size_t(r)]));
        }
    }

    Host &m_host;
    QHash<RowKey, int> m_targetSectionOf;
    QSet<SectionKey> m_targetSections;
};

} // namespace knvt
