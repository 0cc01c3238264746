#include "lists/KNVTSearchItemsOutlineViewController.h"

#include "lists/KNVTTaskStoreItemsOutlineView.h"
#include "lists/KNVTTaskTableCellView.h"
#include "lists/StatusMembership.h"

#include "store/KNVTTaskStore.h"

#include "model/ContextAdditions.h"
#include "model/KNVTCDTask.h"
#include "model/TitleSortKeys.h"

#include "objectstore/Context.h"

#include "uikit/KNVTTableViewGroupRowView.h"

#include "foundation/FreedMemory.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <array>
#include <utility>

namespace {

// The share of a frame one slice of a search may take, leaving the rest to the events, the painting and the layout
// of the rows it brings, which the view may do on the same pass.
constexpr qint64 kSliceNanoseconds = 4'000'000;
// The rows one step makes.
constexpr size_t kTasksPerStep = 256;
// The first rows of a large first section, shown while the rest of it is sorted: more than the tallest window shows.
constexpr size_t kFirstRows = 256;
// What one step of the query takes, so that a slice ends close to its time. The query reads every task of the
// library, and what a task costs depends on its texts (a title and notes in another script are folded whole, an
// English title is left at its first "e"), so each step reads as many tasks as the time the last one took a task says
// fit, the first a share that takes a fraction of that.
constexpr qint64 kMatchStepNanoseconds = 1'000'000;
constexpr qint64 kFirstTasksMatchedPerStep = 1024;
constexpr qint64 kMostTasksMatchedPerStep = 65536;
// A search of at most this many matches is finished in one go, whatever the clock says: it costs well under a frame,
// and its results are there when the key press returns, on a slow or busy machine alike.
constexpr size_t kMatchesFoundAtOnce = 1000;
// How many tasks the last search matched, which tells what the next one is likely to cost.
size_t lastMatchCount = 0;

} // namespace

// The results of one search text on their way: the matching tasks in their groups, then each group sorted and made
// into a section of unfilled rows.
struct KNVTSearchItemsOutlineViewController::Search
{
    enum class Stage { Match, Sort, Rows };
    Stage stage = Stage::Match;
    // Where the query's next step begins in the library, and how many tasks it reads.
    qint64 matchedUpTo = 0;
    qint64 tasksMatchedPerStep = kFirstTasksMatchedPerStep;
    // The query reads the open tasks first, which make the first three groups, and the closed ones, which make the
    // last, once those groups are made: most of a library is closed tasks, and the first rows need none of them.
    bool closedPass = false;
    // The open pass read the whole library in its first step: the closed pass costs no more, and a search of few
    // matches is finished in one go across both.
    bool readInOneStep = false;
    // The identities of the tasks the open pass found. A task closed and saved while the search goes on would be
    // found by the closed pass too; this finds it out, sorted once the store has changed.
    std::vector<qint64> foundOpen;
    bool foundOpenSorted = false;
    // How many tasks matched.
    size_t total = 0;
    size_t next = 0;
    // Each group's order, read as its tasks are found.
    std::array<knvt::TaskSections::GroupSort, 4> sorts{
        knvt::TaskSections::GroupSort(0), knvt::TaskSections::GroupSort(1), knvt::TaskSections::GroupSort(2),
        knvt::TaskSections::GroupSort(3)};
    int group = 0;
    std::vector<KNVTCDTask *> sorted;
    std::vector<knvt::ListSection> sections;
    // The sections the list shows already. Their rows here are those made since: a section that shows its first
    // rows while the rest are sorted gets the rest when they are all made.
    size_t shown = 0;
    // The section that shows its first rows while the rest are sorted, until they are all made.
    std::optional<size_t> growing;
    bool done = false;
    // A search that brings the results the list shows up to date: it shows nothing until it ends, and then changes
    // the rows in place, so that what is shown, selected and scrolled to stays meanwhile.
    bool refresh = false;
    bool applied = false;
    // The store changed while this search read it: what it found may be short of what came since.
    bool storeChanged = false;

    // The sections whose rows are all made: all but the one being made.
    size_t completeSections() const
    {
        return sections.size() - ((!done && stage == Stage::Rows && !sorted.empty()) || growing ? 1 : 0);
    }
    // The sections the list may show: the complete ones, and one whose first rows are made.
    size_t showableSections() const { return growing ? *growing + 1 : completeSections(); }
    bool isShownWhole() const
    {
        if (!done)
            return false;
        if (refresh)
            return applied;
        return shown == sections.size()
            && std::all_of(sections.begin(), sections.end(), [](const auto &s) { return s.rows.empty(); });
    }
};

KNVTSearchItemsOutlineViewController::KNVTSearchItemsOutlineViewController(
    KNVTTaskStoreItemsViewControllerDelegate *delegate, QObject *parent)
    : KNVTTaskStoreItemsOutlineViewController(delegate, parent)
{
    m_nextSlice.setSingleShot(true);
    m_nextSlice.setInterval(0);
    connect(&m_nextSlice, &QTimer::timeout, this, &KNVTSearchItemsOutlineViewController::continueSearch);
    knvt::ItemsOutlineModel::RowSource source;
    source.row = [this](const ostore::ObjectID &id) { return filledRow(id); };
    source.objectID = [](const QUrl &uri) {
        ostore::ObjectID found;
        if (ostore::Context *context = taskStore().managedObjectContext())
            knvt::enumerateManagedObjectIDURIRepresentations(
                *context, {uri}, [&found](const QUrl &, std::optional<ostore::ObjectID> id, ostore::Object *, bool *) {
                    if (id)
                        found = *id;
                });
        return found;
    };
    outlineModel()->setRowSource(std::move(source));
}

knvt::ItemRow KNVTSearchItemsOutlineViewController::filledRow(const ostore::ObjectID &id)
{
    ostore::Context *context = taskStore().managedObjectContext();
    if (const auto *task = context ? dynamic_cast<const KNVTCDTask *>(context->existingObject(id)) : nullptr)
        return knvt::ItemRow::task(*task, /*showsTaskListTitle=*/true, rowCache());
    knvt::ItemRow gone = knvt::ItemRow::unfilledTask(id);
    gone.unfilled = false;
    return gone;
}

void KNVTSearchItemsOutlineViewController::loadView()
{
    KNVTTaskStoreItemsOutlineViewController::loadView();
    outlineView()->setSectionRowsShareHeight(true);
}

// The rows of a search that matched very many tasks go with the list: what they took goes back to the system.
KNVTSearchItemsOutlineViewController::~KNVTSearchItemsOutlineViewController()
{
    knvt::returnFreedMemoryWhenIdle();
}

void KNVTSearchItemsOutlineViewController::setSearchString(const QString &searchString)
{
    const QString string = searchString.isNull() ? QStringLiteral("") : searchString;
    if (!m_searchString.isNull() && string == m_searchString)
        return;
    m_searchString = string;
    startSearch();
}

void KNVTSearchItemsOutlineViewController::startSearch()
{
    m_nextSlice.stop();
    m_search.reset();
    // Every text contains the empty one; a search for nothing finds nothing.
    if (m_searchString.isEmpty()) {
        resetContent();
        return;
    }
    m_search = std::make_unique<Search>();
    if (!outlineModel()->sections().empty())
        showNothing();
    // Where the last search matched few tasks this one starts at once, and a few matches are shown before the call
    // returns; after a search of many the next is started from the next pass of the event loop, so that the key, and
    // the list the results replace, are answered first.
    if (lastMatchCount <= kMatchesFoundAtOnce)
        continueSearch();
    else
        m_nextSlice.start();
}

void KNVTSearchItemsOutlineViewController::continueSearch()
{
    // A slice of its own for each script the rows about to show need a fallback font for: their first paint would
    // open them all at once.
    if (m_search && prepareFallbackFontOfRowsToShow()) {
        m_nextSlice.start(0);
        return;
    }
    QElapsedTimer slice;
    slice.start();
    // Sections are shown at the start of a slice, or at its end when the search ended early in it: the view lays out
    // the rows they bring on the next pass.
    bool shown = showCompleteSections();
    const auto few = [this] {
        const bool matched =
            m_search->stage != Search::Stage::Match || (m_search->closedPass && m_search->readInOneStep);
        return matched && m_search->total <= kMatchesFoundAtOnce;
    };
    // A section made complete ends the slice: the next shows it first, rather than after the sort of the next group.
    // Not while the matches are few so far: the closed tasks read after the open ones may leave them few, and a
    // search of few is shown whole when it ends.
    const size_t complete = m_search ? m_search->completeSections() : 0;
    const size_t showableBefore = m_search ? m_search->showableSections() : 0;
    const auto showable = [this, complete, showableBefore] {
        return !m_search->refresh && m_search->total > kMatchesFoundAtOnce
            && (m_search->completeSections() > complete || m_search->showableSections() > showableBefore);
    };
    while (!shown && m_search && !m_search->done && (slice.nsecsElapsed() < kSliceNanoseconds || few()) && !showable())
        m_search->done = advance(*m_search);
    // Sections that may bring a script new to the session wait for the next slice, which makes its fonts ready first;
    // a search of few matches is shown whole before the call returns, and its paint opens what it needs.
    if (!shown && m_search && m_search->done && few())
        shown = showCompleteSections();
    if (m_search && m_search->isShownWhole()) {
        const std::unique_ptr<Search> ended = std::move(m_search);
        // What the search matched, grouped and sorted on the way to its rows goes with it.
        knvt::returnFreedMemoryWhenIdle();
        // No section at all: "No Results".
        if (outlineModel()->sections().empty()) {
            m_found = std::vector<knvt::ListSection>();
            resetContent();
        }
        // Found again on the store as it is now, while the list keeps showing what this search found.
        if (ended->storeChanged)
            refreshSearch();
        return;
    }
    // After a slice that showed rows the next one waits a millisecond: due at once, it would fire in the same pass of
    // the loop as the view's layout of those rows, before the paint that the layout asks for, and keep them off the
    // screen for a slice more.
    if (m_search)
        m_nextSlice.start(shown ? 1 : 0);
}

void KNVTSearchItemsOutlineViewController::refreshSearch()
{
    m_search = std::make_unique<Search>();
    m_search->refresh = true;
    m_nextSlice.start();
}

bool KNVTSearchItemsOutlineViewController::showCompleteSections()
{
    if (!m_search)
        return false;
    Search &search = *m_search;
    if (search.refresh) {
        if (!search.done || search.applied)
            return false;
        // The rows change in place: a row that stays keeps its selection and its place on screen.
        search.applied = true;
        m_found = std::exchange(search.sections, {});
        reloadData();
        return true;
    }
    knvt::ItemsOutlineModel &model = *outlineModel();
    bool shownNow = false;
    // The rest of the rows of a section that showed its first ones, once they are all made.
    for (size_t i = 0, complete = std::min(search.shown, search.completeSections()); i < complete; ++i) {
        std::vector<knvt::ItemRow> rows = std::exchange(search.sections[i].rows, {});
        if (rows.empty())
            continue;
        model.insertItemRows(int(i), model.rowCount(model.indexForSection(int(i))), std::move(rows));
        shownNow = true;
    }
    const size_t showable = search.showableSections();
    if (search.shown >= showable)
        return shownNow;
    // The first sections replace what the list showed; those that follow are added below them, so that the top of
    // the list is shown before the rest is sorted.
    if (search.shown == 0) {
        std::vector<knvt::ListSection> first;
        for (; search.shown < showable; ++search.shown)
            first.push_back(std::exchange(search.sections[search.shown], {}));
        m_found = std::move(first);
        resetContent();
        return true;
    }
    for (; search.shown < showable; ++search.shown) {
        knvt::ListSection &section = search.sections[search.shown];
        const int at = int(model.sections().size());
        std::vector<knvt::ItemRow> rows = std::move(section.rows);
        model.insertSection(at, section);
        model.insertItemRows(at, 0, std::move(rows));
        outlineView()->expand(model.indexForSection(at));
    }
    return true;
}

bool KNVTSearchItemsOutlineViewController::prepareFallbackFontOfRowsToShow()
{
    Search &search = *m_search;
    const size_t showable = search.showableSections();
    if (search.refresh || search.shown >= showable)
        return false;
    // Where the sections shown next start, and how far down the screen goes. The rows filled here are those the view
    // fills first; the model keeps them filled.
    const int rowHeight = itemRowHeightForList();
    // The viewport of a list not shown yet takes its size only once shown.
    const int bottom = outlineView()->maximumViewportSize().height();
    qint64 top = 0;
    if (search.shown > 0)
        for (const knvt::ListSection &shown : outlineModel()->sections())
            top += KNVTTableViewGroupRowView::rowHeight + qint64(rowHeight) * qint64(shown.rows.size());
    for (size_t section = search.shown; section < showable && top < bottom; ++section) {
        top += KNVTTableViewGroupRowView::rowHeight;
        for (knvt::ItemRow &row : search.sections[section].rows) {
            if (top >= bottom)
                break;
            if (row.unfilled)
                row = filledRow(row.objectID);
            if (KNVTTaskTableCellView::prepareFallbackFontOfRow(row, rowHeight))
                return true;
            top += rowHeight;
        }
    }
    return false;
}

bool KNVTSearchItemsOutlineViewController::advance(Search &search) const
{
    switch (search.stage) {
    case Search::Stage::Match: {
        // The store's query, a share of the library at a time, as fast as SQLite scans the texts. Each match goes into
        // its group as it comes, while what the query read of it is at hand.
        ostore::Context *context = taskStore().managedObjectContext();
        if (!context)
            return true;
        QElapsedTimer step;
        step.start();
        KNVTTaskStore &store = taskStore();
        const ostore::Predicate open = store.openTasksPredicate();
        const ostore::Context::FetchSlice slice = context->fetchSlice(
            {QStringLiteral("KNVTCDTask"),
             store.tasksForSearchTermPredicate(m_searchString) && (search.closedPass ? !open : open),
             {},
             0},
            search.matchedUpTo, search.tasksMatchedPerStep);
        const bool mayHaveFoundOpen = search.closedPass && search.storeChanged;
        if (mayHaveFoundOpen && !search.foundOpenSorted) {
            std::sort(search.foundOpen.begin(), search.foundOpen.end());
            search.foundOpenSorted = true;
        }
        for (ostore::Object *object : slice.objects) {
            auto *task = static_cast<KNVTCDTask *>(object);
            const qint64 zid = task->objectID().zid;
            if (mayHaveFoundOpen && std::binary_search(search.foundOpen.begin(), search.foundOpen.end(), zid))
                continue;
            const std::optional<int> group =
                knvt::TaskSections::statusGroupOf(*task, knvt::TaskSections::Archived::Kept);
            if (!group)
                continue;
            search.sorts[size_t(*group)].add(task);
            if (!search.closedPass)
                search.foundOpen.push_back(zid);
        }
        search.total += slice.objects.size();
        if (slice.next >= 0) {
            const qint64 read = slice.next - search.matchedUpTo;
            search.tasksMatchedPerStep =
                std::clamp(kMatchStepNanoseconds * read / std::max<qint64>(step.nsecsElapsed(), 1),
                           kFirstTasksMatchedPerStep, kMostTasksMatchedPerStep);
            search.matchedUpTo = slice.next;
            return false;
        }
        if (!search.closedPass && search.matchedUpTo == 0)
            search.readInOneStep = true;
        if (search.closedPass) {
            lastMatchCount = search.total;
            search.foundOpen = {};
        }
        search.stage = Search::Stage::Sort;
        return false;
    }
    case Search::Stage::Sort: {
        knvt::TaskSections::GroupSort &sort = search.sorts[size_t(search.group)];
        const auto newSection = [&search](size_t rows) {
            search.sections.push_back(
                {knvt::TaskSections::outlineSection(knvt::TaskSections::outlineIdentifier(search.group)), {}, true});
            search.sections.back().rows.reserve(rows);
        };
        // The first section of a list that shows its results as they come shows its first rows while the rest of
        // them are sorted.
        if (search.sections.empty() && !search.refresh)
            sort.setHeadRows(kFirstRows);
        const bool sorted = sort.step();
        if (sort.hasHead()) {
            const std::vector<KNVTCDTask *> head = sort.takeHead();
            newSection(sort.size());
            for (KNVTCDTask *task : head)
                search.sections.back().rows.push_back(knvt::ItemRow::unfilledTask(task->objectID()));
            search.growing = search.sections.size() - 1;
        }
        if (!sorted)
            return false;
        search.sorted = sort.sorted();
        sort = knvt::TaskSections::GroupSort(search.group);
        search.next = 0;
        if (!search.sorted.empty() && !search.growing)
            newSection(search.sorted.size());
        search.stage = Search::Stage::Rows;
        return false;
    }
    case Search::Stage::Rows:
        // Every row unfilled: the view fills those it shows.
        for (const size_t end = std::min(search.sorted.size(), search.next + kTasksPerStep); search.next < end;
             ++search.next)
            search.sections.back().rows.push_back(knvt::ItemRow::unfilledTask(search.sorted[search.next]->objectID()));
        if (search.next < search.sorted.size())
            return false;
        search.sorted = {};
        search.growing.reset();
        search.next = 0;
        search.stage = Search::Stage::Sort;
        if (++search.group == 3 && !search.closedPass) {
            search.closedPass = true;
            search.stage = Search::Stage::Match;
            search.matchedUpTo = 0;
            search.tasksMatchedPerStep = kFirstTasksMatchedPerStep;
        }
        return search.group == 4;
    }
    return true;
}

std::vector<knvt::ListSection> KNVTSearchItemsOutlineViewController::sectionsForContent()
{
    if (m_found)
        return *std::exchange(m_found, std::nullopt);
    // While a search brings them up to date, the rows shown stay as they are.
    if (m_search && m_search->refresh)
        return outlineModel()->sections();
    if (m_searchString.isEmpty() || m_search)
        return {};
    // A store change the list cannot place row by row: the whole search again, at once.
    Search search;
    while (!advance(search)) {}
    return std::move(search.sections);
}

void KNVTSearchItemsOutlineViewController::taskStoreDidChangeNotification(
    const std::optional<ostore::ChangeSet> &changes)
{
    // The search under way goes on, and the list keeps what it shows: starting again at every change would show
    // nothing for as long as the changes come, as they do every thousand tasks of a large pull. The tasks it holds
    // stay readable (a context frees no object), a removed one shows as a blank row until the search ends, and then a
    // search of the store as it is then brings the rows up to date in place.
    if (m_search) {
        m_search->storeChanged = true;
        return;
    }
    KNVTTaskStoreItemsOutlineViewController::taskStoreDidChangeNotification(changes);
}

std::unique_ptr<knvt::ListMembership> KNVTSearchItemsOutlineViewController::membership()
{
    if (m_searchString.isEmpty())
        return nullptr;
    KNVTTaskStore &store = taskStore();
    return std::make_unique<knvt::StatusMembership>(
        [&store, predicate = store.tasksForSearchTermPredicate(m_searchString)](KNVTCDTask &task) {
            return store.evaluate(&task, predicate);
        },
        knvt::StatusMembership::outlineSections(), knvt::TaskSections::Archived::Kept,
        knvt::TaskSections::SomedayInSomedayList::CountsAsOther, /*showsTaskListTitle=*/true, rowCache());
}

QString KNVTSearchItemsOutlineViewController::listTitle() const
{
    return tr("Search Results");
}

QString KNVTSearchItemsOutlineViewController::emptyLabelText() const
{
    // Nothing is known yet while the results are being found.
    if (m_search && !m_search->refresh)
        return QString();
    return QCoreApplication::translate("KNVTSearchItemsOutlineViewController", "No Results");
}
