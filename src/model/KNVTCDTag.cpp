#include "model/KNVTCDTag.h"

#include "model/ContextAdditions.h"
#include "model/FillInsertion.h"
#include "model/KNVTCDTaggedTask.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDUser.h"
#include "model/KNVTTaskStatus.h"

#include "objectstore/Where.h"

#include <QCoreApplication>

#include <algorithm>

using namespace ostore::where;

KNVTCD_DEFINE_TO_ONE(KNVTCDTag, KNVTCDUser, creator, setCreator)
KNVTCD_DEFINE_TO_MANY(KNVTCDTag, KNVTCDTaggedTask, taggedTasks)

namespace {

const QString kTaskEntity = QStringLiteral("KNVTCDTask");

// A task carries a tag only through a live link of its own: a link tombstoned when the tag was taken off must not
// count, whatever the task's other links say.
ostore::Predicate carriesTag(const KNVTCDTag *tag)
{
    return any(QStringLiteral("taggedTasks"),
               key(QStringLiteral("tag")) == tag && isNull(QStringLiteral("deletedDate")));
}

// The live tasks that carry every one of `tags`, in the store's order.
std::vector<KNVTCDTask *> tasksForTags(const std::vector<KNVTCDTag *> &tags)
{
    if (tags.empty() || !tags.front()->context())
        return {};
    ostore::Predicate predicate = isNull(QStringLiteral("deletedDate"));
    for (const KNVTCDTag *tag : tags)
        predicate = predicate && carriesTag(tag);
    std::vector<KNVTCDTask *> tasks;
    for (ostore::Object *object :
         knvt::executeFetchRequestForEntityName(*tags.front()->context(), kTaskEntity, predicate, {}))
        tasks.push_back(static_cast<KNVTCDTask *>(object));
    return tasks;
}

void sortTasks(std::vector<KNVTCDTask *> &tasks, const KNVTCDTaskStoreObject::Comparator &comparator)
{
    std::stable_sort(tasks.begin(), tasks.end(),
                     [&comparator](const KNVTCDTask *a, const KNVTCDTask *b) { return comparator(a, b); });
}

QString groupHTML(const QString &header, const std::vector<KNVTCDTask *> &tasks)
{
    if (tasks.empty())
        return {};
    QString html = QStringLiteral("<div class=\"group_header\">%1</div>").arg(header);
    for (const KNVTCDTask *task : tasks)
        html += task->HTMLStringForPrinting();
    return html;
}

} // namespace

KNVTCDTaskStoreObject::Comparator KNVTCDTag::tagComparator()
{
    return [](const KNVTCDTaskStoreObject *a, const KNVTCDTaskStoreObject *b) {
        const std::optional<qint64> ia = static_cast<const KNVTCDTag *>(a)->creatorOrderIndex();
        const std::optional<qint64> ib = static_cast<const KNVTCDTag *>(b)->creatorOrderIndex();
        if (ia.has_value() != ib.has_value())
            return ia.has_value();
        if (!ia)
            return false;
        if (*ia != *ib)
            return *ia < *ib;
        return objectTitleComparator()(a, b);
    };
}

QString KNVTCDTag::HTMLStringForPrintingTags(const std::vector<KNVTCDTag *> &tags)
{
    QStringList titles;
    for (const KNVTCDTag *tag : tags)
        titles << tag->title().toHtmlEscaped();
    QString html = QStringLiteral("<div class=\"page_title\">%1</div>").arg(titles.join(QStringLiteral(", ")));

    std::vector<KNVTCDTask *> incomplete;
    std::vector<KNVTCDTask *> scheduled;
    std::vector<KNVTCDTask *> someday;
    std::vector<KNVTCDTask *> completed;
    for (KNVTCDTask *task : tasksForTags(tags)) {
        if (task->deletedDate().isValid())
            continue;
        if (task->status() == KNVTTaskStatusSomeday)
            someday.push_back(task);
        else if (task->isCompletedOrCancelled())
            completed.push_back(task);
        else if (task->isScheduled())
            scheduled.push_back(task);
        else
            incomplete.push_back(task);
    }
    sortTasks(incomplete, KNVTCDTask::uncompletedTaskComparator());
    sortTasks(scheduled, KNVTCDTask::scheduledTaskComparator());
    // The store's order means nothing to a reader; the other printouts sort this group by title too.
    sortTasks(someday, KNVTCDTask::somedayTaskComparator());
    sortTasks(completed, completedObjectComparator());

    html += groupHTML(QCoreApplication::translate("KNVTCDTag", "Incomplete"), incomplete);
    html += groupHTML(QCoreApplication::translate("KNVTCDTag", "Scheduled"), scheduled);
    html += groupHTML(QCoreApplication::translate("KNVTCDTag", "Someday"), someday);
    html += groupHTML(QCoreApplication::translate("KNVTCDTag", "Completed"), completed);
    return html;
}

bool KNVTCDTag::hasHTMLStringForPrintingTags(const std::vector<KNVTCDTag *> &tags)
{
    return !HTMLStringForPrintingTags(tags).isEmpty();
}

std::vector<KNVTCDTask *> KNVTCDTag::tasks() const
{
    ostore::Context *ctx = context();
    if (!ctx)
        return {};
    std::vector<KNVTCDTask *> out;
    for (ostore::Object *object : knvt::executeFetchRequestForEntityName(
             *ctx, kTaskEntity, isNull(QStringLiteral("deletedDate")) && carriesTag(this), {}))
        out.push_back(static_cast<KNVTCDTask *>(object));
    return out;
}

bool KNVTCDTag::canEdit() const
{
    const KNVTCDUser *owner = creator();
    return owner && owner == myUser();
}

QJsonObject KNVTCDTag::attributesForKeys(const QStringList &keys) const
{
    QJsonObject attributes;
    for (const QString &name : keys) {
        if (name == QLatin1String("creatorOrderIndex")) {
            const std::optional<qint64> index = creatorOrderIndex();
            attributes.insert(QStringLiteral("creator_order_index"), index ? QJsonValue(*index) : QJsonValue());
        } else if (name == QLatin1String("title")) {
            if (!title().isEmpty())
                attributes.insert(QStringLiteral("title"), title());
        }
    }
    return attributes;
}

void KNVTCDTag::updateWithAttributes(const knvt::JSONView &attributes)
{
    UpdatingScope updating(*this);
    updateIdentityWithAttributes(attributes);
    updateDeletedDateWithAttributes(attributes);

    const knvt::JSONView titleValue = attributes.value("title");
    if (titleValue.isString())
        setTitle(titleValue.toString());

    if (KNVTCDUser *user = userForNumericIdentifier(numericIdentifierFromJSON(attributes.value("creator_id"))))
        setCreator(user);

    const knvt::JSONView index = attributes.value("creator_order_index");
    if (index.isNull()) {
        setCreatorOrderIndex(std::nullopt);
    } else if (const std::optional<qint64> number = numericIdentifierFromJSON(index)) {
        setCreatorOrderIndex(number);
    }

    const knvt::JSONView items = attributes.value("tagged_items");
    if (items.isArray())
        updateTaggedTasksWithItems(items, NestedMerge::Reconcile);

    clearChangedKeys();
}

void KNVTCDTag::insertMissingNestedObjectsWithAttributes(const knvt::JSONView &attributes)
{
    const knvt::JSONView items = attributes.value("tagged_items");
    if (items.isArray())
        updateTaggedTasksWithItems(items, NestedMerge::InsertMissing);
}

void KNVTCDTag::updateTaggedTasksWithItems(const knvt::JSONView &items, NestedMerge merge)
{
    ostore::Context *ctx = context();
    if (!ctx)
        return;
    std::vector<KNVTCDTaggedTask *> unnamed = taggedTasks();
    bool complete = true;
    for (const knvt::JSONView &value : items) {
        // A link without the service's identifier would look like one made here and be pushed back as new.
        const std::optional<knvt::JSONView> readable = readableNestedElement("tagged_items", value);
        if (!readable) {
            complete = false;
            continue;
        }
        const knvt::JSONView &item = *readable;
        if (item.value("taggable_type").utf8() != "Task")
            continue;
        const bool taskIsHere =
            taskForNumericIdentifier(numericIdentifierFromJSON(item.value("taggable_id"))) != nullptr;
        if (!taskIsHere && !item.value("taggable").isObject())
            continue;
        const std::optional<qint64> identifier = numericIdentifierFromJSON(item.value("id"));
        if (KNVTCDTaggedTask *row = taggedTaskForNumericIdentifier(identifier)) {
            row->mergeAttributes(item);
            unnamed.erase(std::remove(unnamed.begin(), unnamed.end(), row), unnamed.end());
        } else {
            auto *inserted = knvt::insertObjectForFill<KNVTCDTaggedTask>(*ctx);
            inserted->mergeAttributes(item);
        }
    }
    if (merge == NestedMerge::InsertMissing || !complete)
        return;
    // Links never pushed are local edits still on their way to the service.
    for (KNVTCDTaggedTask *row : unnamed)
        if (row->numericIdentifier())
            ctx->remove(row);
}

bool KNVTCDTag::mergesRegardlessOfDate() const
{
    if (!changedKeysString().isEmpty())
        return false;
    const std::vector<KNVTCDTaggedTask *> rows = taggedTasks();
    return std::any_of(rows.begin(), rows.end(), [](const KNVTCDTaggedTask *row) {
        return row->numericIdentifier() && !row->deletedDate().isValid() && !row->task();
    });
}
