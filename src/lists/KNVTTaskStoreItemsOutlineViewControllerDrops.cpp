#include "lists/KNVTTaskStoreItemsOutlineViewController.h"

#include "lists/DroppedObjects.h"
#include "lists/KNVTHTMLPrinter.h"
#include "lists/KNVTMainWindowServices.h"
#include "lists/Logging.h"
#include "lists/PrintedPage.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"
#include "model/ObjectReferencePayload.h"

#include "uikit/AlertAdditions.h"

#include <QMimeData>
#include <QPrinter>
#include <QTimer>

#include <algorithm>
#include <map>

namespace {

// Marks a drag with the list it came from, so that a list can tell its own rows from another list's.
const QString kDragSourceType = QStringLiteral("application/x-quillvane-item-list");

} // namespace

// ---- Drag and drop ----

QMimeData *KNVTTaskStoreItemsOutlineViewController::writeItems(const QModelIndexList &items) const
{
    std::vector<const KNVTCDTaskStoreObject *> objects;
    bool fromItems = false;
    if (itemKind() == ItemKind::Tasks) {
        Tasks tasks = objectsAt<KNVTCDTask>(items);
        fromItems = !tasks.empty();
        if (!fromItems)
            tasks = selectedTasks();
        for (KNVTCDTask *task : tasks) {
            // A drop would change the task, which is not mine to change.
            if (task->canEdit())
                objects.push_back(task);
        }
    } else {
        TaskLists lists = objectsAt<KNVTCDTaskList>(items);
        fromItems = !lists.empty();
        if (!fromItems)
            lists = selectedTaskLists();
        objects.assign(lists.begin(), lists.end());
    }
    if (objects.empty())
        return nullptr;
    auto *mime = new QMimeData;
    if (fromItems) {
        knvt::ObjectReferencePayload::writeObjects(*mime, objects);
    } else {
        // Rows that are no objects of the list drag the selection: its references, without text.
        QList<QUrl> uris;
        for (const KNVTCDTaskStoreObject *object : objects)
            uris << object->uri();
        knvt::ObjectReferencePayload::write(*mime, uris, QString());
    }
    mime->setData(kDragSourceType, QByteArray::number(m_dragSource));
    return mime;
}

bool KNVTTaskStoreItemsOutlineViewController::isFromThisList(const QMimeData &mime) const
{
    return mime.data(kDragSourceType) == QByteArray::number(m_dragSource);
}

bool KNVTTaskStoreItemsOutlineViewController::dropOfTasksQualifies(const Tasks &, const TaskLists &, bool) const
{
    return true;
}

namespace {

bool everyTaskMayBeEdited(const std::vector<KNVTCDTask *> &tasks)
{
    return std::all_of(tasks.begin(), tasks.end(), [](const KNVTCDTask *task) { return task->canEdit(); });
}

const QString kIncomplete = QStringLiteral("Incomplete");
const QString kScheduled = QStringLiteral("Scheduled");
const QString kSomeday = QStringLiteral("Someday");
const QString kCompleted = QStringLiteral("Completed");

} // namespace

KNVTTaskStoreItemsOutlineViewController::DropValidation
KNVTTaskStoreItemsOutlineViewController::validateDrop(const QMimeData &mime, const QModelIndex &proposed,
                                                      int childIndex, bool fromThisProcess)
{
    const DropValidation none{Qt::IgnoreAction, proposed, childIndex};
    // Another program's drag never changes anything here, and must not be told that it did.
    if (!fromThisProcess)
        return none;
    const knvt::DroppedObjects dropped = knvt::DroppedObjects::read(mime);
    if (dropped.isEmpty())
        return none;

    if (dropped.hasOnlyTags()) {
        // Onto a row, wherever between the rows it was proposed; never onto a task I may not edit.
        if (!proposed.isValid() || m_model->isSection(proposed))
            return none;
        const knvt::ItemRow *row = m_model->itemRowAt(proposed);
        auto *task = row ? dynamic_cast<KNVTCDTask *>(taskStore().objectForURI(row->uri)) : nullptr;
        if (task && !task->canEdit())
            return none;
        return {Qt::MoveAction, proposed, childIndex};
    }

    const int section = m_model->sectionNumber(proposed);
    if (section < 0 || !dropOfTasksQualifies(dropped.tasks, dropped.taskLists, isFromThisList(mime))
        || !everyTaskMayBeEdited(dropped.tasks))
        return none;
    const QString &identifier = m_model->sections()[size_t(section)].identifier();
    const QModelIndex sectionIndex = m_model->indexForSection(section);
    if (identifier == kIncomplete)
        return {Qt::MoveAction, sectionIndex, childIndex};
    if (identifier == kScheduled || identifier == kSomeday || identifier == kCompleted)
        return {Qt::MoveAction, sectionIndex, -1};
    // Any other section takes back only this list's own tasks of a project or area.
    const bool ownTasks = !dropped.tasks.empty() && dropped.taskLists.empty() && isFromThisList(mime)
        && std::all_of(dropped.tasks.begin(), dropped.tasks.end(),
                       [](const KNVTCDTask *task) { return task->taskList() != nullptr; });
    return ownTasks ? DropValidation{Qt::MoveAction, proposed, childIndex} : none;
}

bool KNVTTaskStoreItemsOutlineViewController::acceptDrop(const QMimeData &mime, const QModelIndex &target,
                                                         int childIndex, bool fromThisProcess)
{
    if (!fromThisProcess || !acceptsDrops())
        return false;
    const knvt::DroppedObjects dropped = knvt::DroppedObjects::read(mime);
    if (dropped.isEmpty())
        return false;
    KNVTTaskStore &store = taskStore();

    if (dropped.hasOnlyTags()) {
        const knvt::ItemRow *row = m_model->isSection(target) ? nullptr : m_model->itemRowAt(target);
        auto *task = row ? dynamic_cast<KNVTCDTask *>(store.objectForURI(row->uri)) : nullptr;
        if (!task || !task->canEdit())
            return false;
        for (KNVTCDTag *tag : dropped.tags)
            task->addTag(tag);
        store.saveLater(knvt::Opener::User);
        return true;
    }

    const int section = m_model->sectionNumber(target);
    if (section < 0 || !dropOfTasksQualifies(dropped.tasks, dropped.taskLists, isFromThisList(mime))
        || !everyTaskMayBeEdited(dropped.tasks))
        return false;
    const QString identifier = m_model->sections()[size_t(section)].identifier();
    const Tasks &tasks = dropped.tasks;
    if (identifier == kIncomplete) {
        acceptDropOnIncomplete(tasks, m_model->indexForSection(section), childIndex);
        return true;
    }
    if (identifier == kScheduled) {
        // The sheet saves when the user confirms it.
        if (!tasks.empty() && mainWindowServices())
            mainWindowServices()->presentScheduleTasksSheetForTasks(tasks);
        return true;
    }
    if (identifier == kSomeday) {
        store.moveItemsToFocus(KNVTTaskStore::Items(tasks.begin(), tasks.end()), KNVTFocusTypeSomeday);
        return true;
    }
    if (identifier == kCompleted) {
        QList<QUrl> open;
        for (KNVTCDTask *task : tasks)
            if (!task->isCompletedOrCancelled())
                open << task->uri();
        if (!open.isEmpty())
            askToCompleteOrCancel(open);
        return true;
    }
    return false;
}

void KNVTTaskStoreItemsOutlineViewController::acceptDropOnIncomplete(const Tasks &tasks, const QModelIndex &section,
                                                                     int childIndex)
{
    for (KNVTCDTask *task : tasks) {
        const KNVTFocusType focus = task->focusType();
        // Open Today and Next tasks keep their focus; anything else, a closed task included, becomes Next.
        if ((focus != KNVTFocusTypeToday && focus != KNVTFocusTypeNext) || task->isCompletedOrCancelled())
            task->setFocusType(KNVTFocusTypeNext);
    }

    QModelIndexList rows;
    for (int row = 0; row < m_model->rowCount(section); ++row)
        rows << m_model->index(row, 0, section);
    const Tasks before = objectsAt<KNVTCDTask>(rows);
    Tasks order = before;
    qsizetype insertion = childIndex < 0 ? 0 : childIndex;
    for (KNVTCDTask *task : tasks) {
        const auto found = std::find(order.begin(), order.end(), task);
        const qsizetype position = found == order.end() ? -1 : qsizetype(found - order.begin());
        // A task taken from above the drop point leaves a gap there.
        const qsizetype at = position >= 0 && position < insertion ? insertion - 1 : insertion;
        if (found != order.end())
            order.erase(found);
        const qsizetype clamped = std::clamp<qsizetype>(at, 0, qsizetype(order.size()));
        order.insert(order.begin() + clamped, task);
        insertion = clamped + 1;
    }
    renumberIncompleteTasks(before, order);
    taskStore().saveLater(knvt::Opener::User);
}

void KNVTTaskStoreItemsOutlineViewController::renumberIncompleteTasks(const Tasks &before, const Tasks &after)
{
    // The section mixes the tasks of several lists: each list's tasks trade the indexes they held among themselves,
    // so that no other task of any list changes place.
    std::map<KNVTCDTaskList *, Tasks> members;
    for (KNVTCDTask *task : before)
        members[task->taskList()].push_back(task);
    for (auto &[list, tasks] : members) {
        qint64 highest = -1;
        if (list) {
            for (const KNVTCDTask *other : list->tasks())
                highest = std::max(highest, other->taskListOrderIndex().value_or(-1));
        } else {
            for (const KNVTCDTask *other : tasks)
                highest = std::max(highest, other->taskListOrderIndex().value_or(-1));
        }
        std::vector<qint64> indexes;
        for (const KNVTCDTask *task : tasks)
            indexes.push_back(task->taskListOrderIndex().value_or(++highest));
        std::sort(indexes.begin(), indexes.end());
        size_t next = 0;
        for (KNVTCDTask *task : after) {
            if (std::find(tasks.begin(), tasks.end(), task) == tasks.end())
                continue;
            const qint64 index = indexes[next++];
            if (task->taskListOrderIndex() != index)
                task->setTaskListOrderIndex(index);
        }
    }
}

void KNVTTaskStoreItemsOutlineViewController::askToCompleteOrCancel(const QList<QUrl> &openTasks)
{
    // Asked once the drop is over: a dialog inside the drop would hold up the drag's finish.
    QTimer::singleShot(0, this, [openTasks] {
        const bool one = openTasks.size() == 1;
        // The drop the user just made asks.
        knvt::AlertPresenter::Request request{.opener = knvt::Opener::User};
        request.title = one ? tr("Complete Or Cancel Task") : tr("Complete Or Cancel Tasks");
        request.message = one ? tr("Do you want to complete or cancel this task?")
                              : tr("Do you want to complete or cancel these tasks?");
        request.buttonTitles = {tr("Mark as Completed"), tr("Mark as Cancelled"), tr("Cancel")};
        const qsizetype answer = knvt::runModal(request);
        if (answer != 0 && answer != 1)
            return;
        KNVTTaskStore &store = taskStore();
        for (const QUrl &uri : openTasks) {
            auto *task = dynamic_cast<KNVTCDTask *>(store.objectForURI(uri));
            if (!task)
                continue;
            if (answer == 0)
                task->markAsCompleted();
            else
                task->markAsCancelled();
        }
        store.saveLater(knvt::Opener::User);
    });
}

// ---- Printing ----

QString KNVTTaskStoreItemsOutlineViewController::printJobTitle() const
{
    return tr("Tasks");
}

QString KNVTTaskStoreItemsOutlineViewController::HTMLStringForPrinting() const
{
    QString body;
    const Tasks selected = selectedTasks();
    if (selected.empty()) {
        body = HTMLStringForPrintingWithoutSelection();
    } else {
        for (const KNVTCDTask *task : selected)
            body += task->HTMLStringForPrinting();
    }
    return knvt::printedPage(body);
}

void KNVTTaskStoreItemsOutlineViewController::print()
{
    auto *printer = new KNVTHTMLPrinter(HTMLStringForPrinting(), this);
    m_printer = printer;
    const QString title = printJobTitle();
    printer->printWithInfo(
        std::nullopt, [title](QPrinter &qprinter) { qprinter.setDocName(title); },
        [this, printer, title](bool printed) {
            qCInfo(lcLists).noquote() << "KNVTTaskStoreItemsOutlineViewController:print" << title << printed;
            // The printer is done with: the list lets it go once its completion has run.
            if (m_printer == printer)
                m_printer = nullptr;
            printer->deleteLater();
        });
}
