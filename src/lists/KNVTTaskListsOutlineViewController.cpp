#include "lists/KNVTTaskListsOutlineViewController.h"

#include "lists/TaskSections.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTaskList.h"

#include <QCoreApplication>

#include <algorithm>

KNVTTaskListsOutlineViewController::KNVTTaskListsOutlineViewController(
    KNVTTaskStoreItemsViewControllerDelegate *delegate, QObject *parent)
    : KNVTTaskStoreItemsOutlineViewController(delegate, parent)
{
    reloadData();
}

void KNVTTaskListsOutlineViewController::print()
{
    // Projects and areas have no printout of their own.
    KNVTTaskStoreItemsViewController::print();
}

std::vector<knvt::ListSection> KNVTTaskListsOutlineViewController::sectionsForContent()
{
    KNVTTaskStore &store = taskStore();
    std::vector<knvt::ListSection> sections;
    auto append = [&sections](const char *identifier, std::vector<KNVTCDTaskList *> lists, bool projects, bool sorted) {
        if (lists.empty())
            return;
        if (sorted) {
            const KNVTCDTaskStoreObject::Comparator comparator = KNVTCDTaskList::taskListComparator();
            std::sort(lists.begin(), lists.end(), [&comparator](const KNVTCDTaskList *a, const KNVTCDTaskList *b) {
                if (comparator(a, b))
                    return true;
                return !comparator(b, a) && knvt::TaskSections::identityLessThan(*a, *b);
            });
        }
        knvt::ListSection section{knvt::TaskSections::outlineSection(identifier), {}, true};
        for (const KNVTCDTaskList *list : lists)
            section.rows.push_back(projects ? knvt::ItemRow::project(*list) : knvt::ItemRow::area(*list));
        sections.push_back(std::move(section));
    };
    append(QT_TRANSLATE_NOOP("KNVTTaskStoreItemsOutlineViewController", "Active Projects"), store.activeProjects(),
           true, true);
    append(QT_TRANSLATE_NOOP("KNVTTaskStoreItemsOutlineViewController", "Active Areas"), store.activeAreas(), false,
           true);
    append(QT_TRANSLATE_NOOP("KNVTTaskStoreItemsOutlineViewController", "Someday Projects"), store.suspendedProjects(),
           true, true);
    // Kept in the order the store answers, which stays the same between rebuilds.
    append(QT_TRANSLATE_NOOP("KNVTTaskStoreItemsOutlineViewController", "Someday Areas"), store.suspendedAreas(), false,
           false);
    return sections;
}

QString KNVTTaskListsOutlineViewController::listTitle() const
{
    return tr("Projects and Areas");
}

QString KNVTTaskListsOutlineViewController::emptyLabelText() const
{
    return QCoreApplication::translate("KNVTTaskListsOutlineViewController", "No Projects/Areas");
}
