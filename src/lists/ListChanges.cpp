#include "lists/ListChanges.h"

#include "lists/ListMembership.h"
#include "lists/ListRows.h"

#include "model/KNVTCDTask.h"

#include "objectstore/Context.h"
#include "objectstore/Coordinator.h"
#include "objectstore/Model.h"

#include <QSet>

#include <algorithm>

namespace knvt {

namespace {

enum class Kind { Task, Unshown, Other };

Kind kindOf(const ostore::ObjectID &id, ostore::Context &context)
{
    const QString &name = context.coordinator()->model().entity(id.entity).name;
    if (name == QLatin1String("KNVTCDTask"))
        return Kind::Task;
    // No row shows anything of a comment or of the library's own records.
    if (name == QLatin1String("KNVTCDTaskComment") || name == QLatin1String("KNVTCDTaskStoreInformation")
        || name == QLatin1String("KNVTCDAccount"))
        return Kind::Unshown;
    return Kind::Other;
}

struct Change
{
    ostore::ObjectID id;
    std::optional<ListMembership::Placement> placement;
};

} // namespace

bool ListChanges::touchesNoRows(const ostore::ChangeSet &changes, ostore::Context &context)
{
    for (const std::vector<ostore::ObjectID> *ids : {&changes.inserted, &changes.updated, &changes.deleted})
        for (const ostore::ObjectID &id : *ids)
            if (kindOf(id, context) != Kind::Unshown)
                return false;
    return true;
}

bool ListChanges::apply(ListRows &rows, const ostore::ChangeSet &changes, ostore::Context &context,
                        ListMembership &membership)
{
    // Which tasks changed, each once, and where they stand now. Nothing is touched until every one has a place.
    std::vector<Change> tasks;
    QSet<ostore::ObjectID> seen;
    for (const std::vector<ostore::ObjectID> *ids : {&changes.deleted, &changes.inserted, &changes.updated}) {
        for (const ostore::ObjectID &id : *ids) {
            switch (kindOf(id, context)) {
            case Kind::Unshown: continue;
            case Kind::Other: return false;
            case Kind::Task: break;
            }
            if (seen.contains(id))
                continue;
            seen.insert(id);
            if (int(tasks.size()) == MaximumTasks)
                return false;
            Change change{id, std::nullopt};
            if (ids != &changes.deleted)
                if (auto *task = dynamic_cast<KNVTCDTask *>(context.existingObject(id)))
                    change.placement = membership.placementOfTask(*task);
            tasks.push_back(std::move(change));
        }
    }
    for (const Change &change : tasks) {
        if (!change.placement || rows.sectionIndex(change.placement->section) >= 0)
            continue;
        if (!membership.sectionToShow(change.placement->section) || !membership.sectionRank(change.placement->section))
            return false;
        for (const ListSection &shown : rows.sections())
            if (!membership.sectionRank(shown.identifier()))
                return false;
    }

    // Rows of tasks not yet placed may stand anywhere; the search for a place looks past them.
    QSet<ostore::ObjectID> unplaced = seen;
    for (Change &change : tasks) {
        std::optional<ListRows::Location> location = rows.locate(change.id);
        if (!change.placement) {
            if (location)
                rows.removeItemRows(location->section, location->row, 1);
            unplaced.remove(change.id);
            continue;
        }
        const QString &identifier = change.placement->section;
        int section = rows.sectionIndex(identifier);
        if (section < 0) {
            const int rank = *membership.sectionRank(identifier);
            section = 0;
            while (section < int(rows.sections().size())
                   && *membership.sectionRank(rows.sections()[size_t(section)].identifier()) < rank)
                ++section;
            rows.insertSection(section, *membership.sectionToShow(identifier));
            location = rows.locate(change.id);
        }
        auto *task = static_cast<KNVTCDTask *>(context.existingObject(change.id));
        // The first row, past the unplaced ones, that does not come before the task.
        const std::vector<ItemRow> &shown = rows.sections()[size_t(section)].rows;
        int low = 0;
        int high = int(shown.size());
        while (low < high) {
            const int middle = low + (high - low) / 2;
            int probe = middle;
            const KNVTCDTask *other = nullptr;
            while (probe < high) {
                if (!unplaced.contains(shown[size_t(probe)].objectID))
                    if ((other =
                             dynamic_cast<const KNVTCDTask *>(context.existingObject(shown[size_t(probe)].objectID))))
                        break;
                ++probe;
            }
            if (probe == high) {
                high = middle;
                continue;
            }
            if (membership.taskLessThan(identifier, *other, *task))
                low = probe + 1;
            else
                high = middle;
        }
        if (location) {
            int to = low;
            if (location->section == section && location->row < low)
                --to;
            rows.moveItemRow(location->section, location->row, section, to);
            rows.setItemRow(section, to, std::move(change.placement->row));
        } else {
            std::vector<ItemRow> inserted;
            inserted.push_back(std::move(change.placement->row));
            rows.insertItemRows(section, low, std::move(inserted));
        }
        unplaced.remove(change.id);
    }

    // A section whose last row went goes with it.
    for (int s = int(rows.sections().size()) - 1; s >= 0; --s)
        if (rows.sections()[size_t(s)].rows.empty())
            rows.removeSection(s);
    return true;
}

} // namespace knvt
