#include "lists/KNVTTagsItemsOutlineViewController.h"

#include "lists/StatusMembership.h"
#include "lists/TaskSections.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTag.h"
#include "model/KNVTCDTask.h"
#include "model/TitleSortKeys.h"

#include <QStringList>

KNVTTagsItemsOutlineViewController::KNVTTagsItemsOutlineViewController(
    KNVTTaskStoreItemsViewControllerDelegate *delegate, QObject *parent)
    : KNVTTaskStoreItemsOutlineViewController(delegate, parent)
{}

QString KNVTTagsItemsOutlineViewController::listTitle() const
{
    QStringList titles;
    if (const std::optional<std::vector<KNVTCDTag *>> chosen = tags())
        for (const KNVTCDTag *tag : *chosen)
            titles << tag->title();
    return titles.join(QStringLiteral(", "));
}

std::optional<std::vector<KNVTCDTag *>> KNVTTagsItemsOutlineViewController::tags() const
{
    if (!m_tags)
        return std::nullopt;
    std::vector<KNVTCDTag *> tags;
    for (const QUrl &uri : *m_tags)
        if (auto *tag = dynamic_cast<KNVTCDTag *>(taskStore().objectForURI(uri)))
            tags.push_back(tag);
    return tags;
}

void KNVTTagsItemsOutlineViewController::setTags(const std::vector<KNVTCDTag *> &tags)
{
    QList<QUrl> uris;
    for (const KNVTCDTag *tag : tags)
        uris << tag->uri();
    if (m_tags == uris)
        return;
    m_tags = uris;
    resetContent();
}

bool KNVTTagsItemsOutlineViewController::contentStillExists(bool)
{
    // A tag a sync removed no longer resolves, and one deleted after it was synced is only marked; either way the
    // list must not fall back to the tasks of the tags that are left, or to every task.
    for (const QUrl &uri : std::as_const(*m_tags)) {
        const auto *tag = dynamic_cast<KNVTCDTag *>(taskStore().objectForURI(uri));
        if (!tag || tag->isDeleted() || tag->deletedDate().isValid())
            return false;
    }
    return true;
}

std::vector<knvt::ListSection> KNVTTagsItemsOutlineViewController::sectionsForContent()
{
    const std::optional<std::vector<KNVTCDTag *>> shown = tags();
    if (!shown)
        return {};
    knvt::TitleSortKeys titleKeys;
    return knvt::TaskSections::byStatus(taskStore().tasksForTags(*shown), knvt::TaskSections::Archived::Kept,
                                        knvt::TaskSections::SomedayInSomedayList::IsSomeday)
        .outlineSections(/*showsTaskListTitle=*/true, rowCache());
}

std::unique_ptr<knvt::ListMembership> KNVTTagsItemsOutlineViewController::membership()
{
    const std::optional<std::vector<KNVTCDTag *>> shown = tags();
    if (!shown)
        return nullptr;
    KNVTTaskStore &store = taskStore();
    return std::make_unique<knvt::StatusMembership>(
        [&store, predicate = store.tasksForTagsPredicate(*shown)](KNVTCDTask &task) {
            return store.evaluate(&task, predicate);
        },
        knvt::StatusMembership::outlineSections(), knvt::TaskSections::Archived::Kept,
        knvt::TaskSections::SomedayInSomedayList::IsSomeday, /*showsTaskListTitle=*/true, rowCache());
}

QString KNVTTagsItemsOutlineViewController::HTMLStringForPrintingWithoutSelection() const
{
    const std::optional<std::vector<KNVTCDTag *>> shown = tags();
    return shown ? KNVTCDTag::HTMLStringForPrintingTags(*shown) : QString();
}
