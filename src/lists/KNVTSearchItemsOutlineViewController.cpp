#include "lists/KNVTSearchItemsOutlineViewController.h"

#include "lists/TaskSections.h"

#include "store/KNVTTaskStore.h"

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
    reloadData();
}

std::vector<knvt::OutlineSection> KNVTSearchItemsOutlineViewController::sectionsForContent()
{
    // Every text contains the empty one; a search for nothing finds nothing.
    if (m_searchString.isEmpty())
        return {};
    return knvt::TaskSections::byStatus(taskStore().tasksForSearchTerm(m_searchString),
                                        knvt::TaskSections::Archived::Kept)
        .outlineSections(/*showsTaskListTitle=*/true, rowCache());
}

QString KNVTSearchItemsOutlineViewController::emptyLabelText() const
{
    return QCoreApplication::translate("KNVTSearchItemsOutlineViewController", "No Results");
}
