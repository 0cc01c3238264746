#include "lists/ListRows.h"

#include "uikit/KeyedRowDiff.h"

#include <algorithm>
#include <utility>

namespace knvt {

namespace {

int rowIndex(const ListSection &section, const ostore::ObjectID &id)
{
    for (int r = 0; r < int(section.rows.size()); ++r)
        if (section.rows[size_t(r)].objectID == id)
            return r;
    return -1;
}

} // namespace

// The list's rows as the one diff reads and changes them. Every operation but a row's new contents first tells the
// views of the rows changed so far, whose places it may move.
struct ListRowsDiffHost
{
    using Section = ListSection;
    using Row = ItemRow;
    using SectionKey = QString;
    using RowKey = ostore::ObjectID;
    // A task may stand in several sections of a list (under each of its tags): then nothing tells its rows apart.
    static constexpr bool foldsRepeatedRows = false;

    ListRows &rows;

    static SectionKey sectionKey(const Section &section) { return section.identifier(); }
    static RowKey rowKey(const Row &row) { return row.objectID; }
    static std::vector<Row> &rowsOf(Section &section) { return section.rows; }
    static const std::vector<Row> &rowsOf(const Section &section) { return section.rows; }

    int shownSectionCount() const { return int(rows.sections().size()); }
    SectionKey shownSectionKey(int s) const { return rows.sections()[size_t(s)].identifier(); }
    const std::vector<Row> &shownRows(int s) const { return rows.sections()[size_t(s)].rows; }
    bool sectionDiffers(int s, const Section &wanted) const
    {
        const ListSection &shown = rows.sections()[size_t(s)];
        return shown.name() != wanted.name() || shown.showsHeader != wanted.showsHeader;
    }

    void resetSections(std::vector<Section> sections)
    {
        rows.announcePendingRun();
        rows.resetSections(std::move(sections));
    }
    void insertSection(int at, const Section &section)
    {
        rows.announcePendingRun();
        rows.insertSection(at, ListSection{section.section, {}, section.showsHeader});
    }
    void removeSection(int at)
    {
        rows.announcePendingRun();
        rows.removeSection(at);
    }
    void moveSection(int from, int to)
    {
        rows.announcePendingRun();
        rows.moveSection(from, to);
    }
    void setSection(int at, const Section &section)
    {
        rows.announcePendingRun();
        rows.setSectionHeader(at, section.section, section.showsHeader);
    }
    void insertRows(int section, int at, std::vector<Row> inserted)
    {
        rows.announcePendingRun();
        rows.insertItemRows(section, at, std::move(inserted));
    }
    void removeRows(int section, int first, int count)
    {
        rows.announcePendingRun();
        rows.removeItemRows(section, first, count);
    }
    void moveRow(int fromSection, int from, int toSection, int to)
    {
        rows.announcePendingRun();
        rows.moveItemRow(fromSection, from, toSection, to);
    }
    void setRow(int section, int at, Row row) { rows.setItemRow(section, at, std::move(row)); }
    void rearrangeRows(std::vector<std::vector<Row>> arrangement)
    {
        rows.announcePendingRun();
        std::vector<ListSection> sections;
        sections.reserve(arrangement.size());
        for (size_t s = 0; s < arrangement.size(); ++s) {
            const ListSection &shown = rows.sections()[s];
            sections.push_back(ListSection{shown.section, std::move(arrangement[s]), shown.showsHeader});
        }
        rows.rearrange(std::move(sections));
    }
};

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
    // A section without its section object, or a row without its object, has nothing to be matched by.
    for (const std::vector<ListSection> *all : {&std::as_const(target), &sections()})
        for (const ListSection &section : *all)
            if (!section.section || std::any_of(section.rows.begin(), section.rows.end(), [](const ItemRow &row) {
                    return row.objectID.isNull();
                })) {
                resetSections(std::move(target));
                return;
            }
    ListRowsDiffHost host{*this};
    const bool outer = std::exchange(m_collectingRuns, true);
    KeyedRowDiff<ListRowsDiffHost>::apply(host, std::move(target));
    m_collectingRuns = outer;
    if (!outer)
        announcePendingRun();
}

void ListRows::itemRowChanged(int section, int at)
{
    if (!m_collectingRuns) {
        announceItemRowsChanged(section, at, at);
        return;
    }
    if (m_pendingRun.section == section && m_pendingRun.last + 1 == at) {
        m_pendingRun.last = at;
        return;
    }
    announcePendingRun();
    m_pendingRun = {section, at, at};
}

void ListRows::announcePendingRun()
{
    const Run run = std::exchange(m_pendingRun, Run{});
    if (run.section >= 0)
        announceItemRowsChanged(run.section, run.first, run.last);
}

} // namespace knvt
