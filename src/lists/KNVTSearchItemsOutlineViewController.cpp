#include "lists/KNVTSearchItemsOutlineViewController.h"

#include "lists/StatusMembership.h"
#include "lists/TaskSections.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTask.h"
#include "model/TitleSortKeys.h"

#include <QCoreApplication>

KNVTSearchItemsOutlineViewController::KNVTSearchItemsOutlineViewController(
    KNVTTaskStoreItemsViewControllerDelegate *delegate, QObject *parent)
    : KNVTTaskStoreItemsOutlineViewController(delegate, parent)
{}

void KNVTSearchItemsOutlineViewController::setSearchString(const QString &searchString)
{
    const QString string = searchString.isNull() ? QStringLiteral("") : searchString;
    if (!m_searchString.isNull() && string == m_searchString)
        return;
    m_searchString = string;
    resetContent();
}

std::vector<knvt::ListSection> KNVTSearchItemsOutlineViewController::sectionsForContent()
{
    // Every text contains the empty one; a search for nothing finds nothing.
    if (m_searchString.isEmpty())
        return {};
    knvt::TitleSortKeys titleKeys;
    return knvt::TaskSections::byStatus(taskStore().tasksForSearchTerm(m_searchString),
                                        knvt::TaskSections::Archived::Kept)
        .outlineSections(/*showsTaskListTitle=*/true, rowCache());
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
    return QCoreApplication::translate("KNVTSearchItemsOutlineViewController", "No Results");
}
