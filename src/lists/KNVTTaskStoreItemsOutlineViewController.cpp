#include "lists/KNVTTaskStoreItemsOutlineViewController.h"

#include "lists/DroppedObjects.h"
#include "lists/ItemRowDelegate.h"
#include "lists/KNVTHTMLPrinter.h"
#include "lists/KNVTMainWindowServices.h"
#include "lists/KNVTTaskStoreItemsOutlineView.h"
#include "lists/KNVTTaskStoreItemsViewControllerDelegate.h"
#include "lists/Logging.h"
#include "lists/PrintedPage.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"
#include "model/ObjectReferencePayload.h"

#include "uikit/AlertAdditions.h"
#include "uikit/Beeper.h"
#include "uikit/TableViewAdditions.h"

#include <QAtomicInteger>
#include <QItemSelection>
#include <QMimeData>
#include <QPrinter>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <map>

namespace {

// Marks a drag with the list it came from, so that a list can tell its own rows from another list's.
const QString kDragSourceType = QStringLiteral("application/x-quillvane-item-list");

quint64 nextDragSource()
{
    static QAtomicInteger<quint64> counter;
    return ++counter;
}

} // namespace

KNVTTaskStoreItemsOutlineViewController::KNVTTaskStoreItemsOutlineViewController(
    KNVTTaskStoreItemsViewControllerDelegate *delegate, QObject *parent)
    : KNVTTaskStoreItemsViewController(delegate, parent),
      m_model(new knvt::ItemsOutlineModel(this)),
      m_dragSource(nextDragSource())
{
    m_model->setMimeWriter([this](const QModelIndexList &items) { return writeItems(items); });
}

KNVTTaskStoreItemsOutlineViewController::~KNVTTaskStoreItemsOutlineViewController()
{
    // The view may outlive this object for a moment (deleteLater); it must not call back into it.
    if (m_outlineView) {
        m_outlineView->setTaskStoreItemsOutlineViewController(nullptr);
        m_outlineView->setModel(nullptr);
    }
}

// ---- View ----

void KNVTTaskStoreItemsOutlineViewController::loadView()
{
    auto *outlineView = new KNVTTaskStoreItemsOutlineView();
    m_outlineView = outlineView;
    setView(outlineView);
    m_rowHeight = itemRowHeightForList();
    m_delegate = new knvt::ItemRowDelegate(outlineView);
    m_delegate->setRowHeight(m_rowHeight);
    outlineView->setProperty("rowHeight", m_rowHeight);
    outlineView->setItemDelegate(m_delegate);
    outlineView->setModel(m_model);
    outlineView->setTaskStoreItemsOutlineViewController(this);
    connect(outlineView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &KNVTTaskStoreItemsOutlineViewController::selectionDidChange);
    connect(outlineView, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) {
        if (!m_model->isSection(index))
            doubleAction();
    });
    connect(m_delegate, &knvt::ItemRowDelegate::checkBoxClicked, this, [this](const QUrl &uri) { toggleStatus(uri); });
    connect(m_delegate, &knvt::ItemRowDelegate::archiveButtonClicked, this,
            [this](const QUrl &uri) { toggleArchive(uri); });
    outlineView->expandAll();
    updateTableViewLabel();
}

void KNVTTaskStoreItemsOutlineViewController::ensureView()
{
    if (!isViewLoaded())
        view();
}

KNVTTaskStoreItemsOutlineView *KNVTTaskStoreItemsOutlineViewController::outlineView()
{
    ensureView();
    return m_outlineView;
}

QWidget *KNVTTaskStoreItemsOutlineViewController::focusView()
{
    return outlineView();
}

void KNVTTaskStoreItemsOutlineViewController::numberOfPreviewLinesForTaskNotesDidChangeNotification()
{
    m_rowHeight = itemRowHeightForList();
    if (!m_delegate || m_delegate->rowHeight() == m_rowHeight)
        return;
    m_delegate->setRowHeight(m_rowHeight);
    m_outlineView->setProperty("rowHeight", m_rowHeight);
    m_model->relayout();
}

void KNVTTaskStoreItemsOutlineViewController::updateTableViewLabel()
{
    if (!m_outlineView)
        return;
    knvt::setLabelText(m_outlineView, m_model->sections().empty() ? emptyLabelText() : QString());
}

QString KNVTTaskStoreItemsOutlineViewController::emptyLabelText() const
{
    return tr("No Tasks");
}

// ---- Rows ----

void KNVTTaskStoreItemsOutlineViewController::updateCells()
{
    m_rowCache.beginRebuild();
    m_model->setSections(hasContent() ? sectionsForContent() : std::vector<knvt::OutlineSection>());
}

void KNVTTaskStoreItemsOutlineViewController::reloadData()
{
    updateCells();
    updateTableViewLabel();
    QTimer::singleShot(0, this, [this] {
        if (m_outlineView)
            m_outlineView->expandAll();
    });
}

void KNVTTaskStoreItemsOutlineViewController::showNothing()
{
    m_model->setSections({});
    m_numberOfPreviouslySelectedItems.reset();
    m_itemsToReselect.clear();
    m_savedScrollValue.reset();
    updateTableViewLabel();
}

QStringList KNVTTaskStoreItemsOutlineViewController::sectionIdentifiers() const
{
    QStringList identifiers;
    for (const knvt::OutlineSection &section : m_model->sections())
        identifiers << section.identifier();
    return identifiers;
}

const knvt::ItemRow *KNVTTaskStoreItemsOutlineViewController::rowAt(int row) const
{
    return m_model->itemRowAt(m_model->indexForRow(row));
}

std::optional<int> KNVTTaskStoreItemsOutlineViewController::cellIndexForObjectValue(const QUrl &uri) const
{
    const int row = m_model->rowForUri(uri);
    return row < 0 ? std::nullopt : std::optional<int>(row);
}

QModelIndexList KNVTTaskStoreItemsOutlineViewController::selectedCells() const
{
    QModelIndexList cells;
    for (int row : selectedRows())
        cells << m_model->indexForRow(row);
    return cells;
}

QList<int> KNVTTaskStoreItemsOutlineViewController::selectedRows() const
{
    QList<int> rows;
    if (!m_outlineView)
        return rows;
    for (const QModelIndex &index : m_outlineView->selectionModel()->selectedRows())
        if (!m_model->isSection(index))
            rows << m_model->rowForIndex(index);
    std::sort(rows.begin(), rows.end());
    return rows;
}

void KNVTTaskStoreItemsOutlineViewController::selectRows(const QList<int> &rows)
{
    KNVTTaskStoreItemsOutlineView *view = outlineView();
    QItemSelection selection;
    for (int row : rows) {
        const QModelIndex index = m_model->indexForRow(row);
        if (index.isValid() && !m_model->isSection(index))
            selection.select(index, index);
    }
    view->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    if (!selection.isEmpty())
        view->selectionModel()->setCurrentIndex(selection.indexes().first(), QItemSelectionModel::NoUpdate);
}

template <class T>
std::vector<T *> KNVTTaskStoreItemsOutlineViewController::objectsAt(const QModelIndexList &indexes) const
{
    std::vector<T *> result;
    KNVTTaskStore &store = taskStore();
    for (const QModelIndex &index : indexes) {
        const knvt::ItemRow *row = m_model->itemRowAt(index);
        if (!row || row->uri.isEmpty())
            continue;
        if (auto *object = dynamic_cast<T *>(store.objectForURI(row->uri)))
            result.push_back(object);
    }
    return result;
}

QModelIndexList KNVTTaskStoreItemsOutlineViewController::allItemIndexes() const
{
    QModelIndexList indexes;
    for (int section = 0; section < m_model->rowCount(); ++section) {
        const QModelIndex parent = m_model->indexForSection(section);
        for (int row = 0; row < m_model->rowCount(parent); ++row)
            indexes << m_model->index(row, 0, parent);
    }
    return indexes;
}

KNVTTaskStoreItemsOutlineViewController::Items KNVTTaskStoreItemsOutlineViewController::items() const
{
    Items result;
    for (ostore::Object *object : objectsAt<ostore::Object>(allItemIndexes()))
        if (dynamic_cast<KNVTCDTask *>(object) || dynamic_cast<KNVTCDTaskList *>(object))
            result.push_back(object);
    return result;
}

KNVTTaskStoreItemsOutlineViewController::Items KNVTTaskStoreItemsOutlineViewController::selectedItems() const
{
    Items result;
    for (KNVTCDTaskStoreObject *object : selectedObjectsOfKind())
        result.push_back(object);
    return result;
}

std::vector<KNVTCDTaskStoreObject *> KNVTTaskStoreItemsOutlineViewController::selectedObjectsOfKind() const
{
    std::vector<KNVTCDTaskStoreObject *> result;
    if (itemKind() == ItemKind::Tasks) {
        for (KNVTCDTask *task : selectedTasks())
            result.push_back(task);
    } else {
        for (KNVTCDTaskList *list : selectedTaskLists())
            result.push_back(list);
    }
    return result;
}

KNVTTaskStoreItemsOutlineViewController::Tasks KNVTTaskStoreItemsOutlineViewController::tasks() const
{
    return objectsAt<KNVTCDTask>(allItemIndexes());
}

KNVTTaskStoreItemsOutlineViewController::Tasks KNVTTaskStoreItemsOutlineViewController::selectedTasks() const
{
    return objectsAt<KNVTCDTask>(selectedCells());
}

KNVTTaskStoreItemsOutlineViewController::TaskLists KNVTTaskStoreItemsOutlineViewController::taskLists() const
{
    return objectsAt<KNVTCDTaskList>(allItemIndexes());
}

KNVTTaskStoreItemsOutlineViewController::TaskLists KNVTTaskStoreItemsOutlineViewController::selectedTaskLists() const
{
    return objectsAt<KNVTCDTaskList>(selectedCells());
}

// ---- Selection commands ----

void KNVTTaskStoreItemsOutlineViewController::selectAllItems()
{
    QList<int> rows;
    for (int row = 0; row < numberOfRows(); ++row)
        if (!rowAt(row)->isHeader())
            rows << row;
    selectRows(rows);
}

void KNVTTaskStoreItemsOutlineViewController::deselectAllItems()
{
    selectRows({});
}

void KNVTTaskStoreItemsOutlineViewController::selectNextItem()
{
    const QList<int> rows = selectedRows();
    if (!rows.isEmpty()) {
        for (int row = rows.first() + 1; row < numberOfRows(); ++row) {
            if (!rowAt(row)->isHeader()) {
                selectRows({row});
                outlineView()->scrollTo(m_model->indexForRow(row));
                return;
            }
        }
    }
    knvt::Beeper::shared().beep();
}

void KNVTTaskStoreItemsOutlineViewController::selectPreviousItem()
{
    const QList<int> rows = selectedRows();
    if (!rows.isEmpty()) {
        for (int row = rows.first() - 1; row > 0; --row) {
            if (!rowAt(row)->isHeader()) {
                selectRows({row});
                outlineView()->scrollTo(m_model->indexForRow(row));
                return;
            }
        }
    }
    knvt::Beeper::shared().beep();
}

void KNVTTaskStoreItemsOutlineViewController::selectionDidChange()
{
    if (m_dontForwardSelectionChangeCount > 0) {
        --m_dontForwardSelectionChangeCount;
        return;
    }
    if (KNVTTaskStoreItemsViewControllerDelegate *delegate = taskStoreItemsViewControllerDelegate())
        delegate->taskStoreItemsViewControllerSelectionDidChange(this);
}

// ---- Store changes ----

bool KNVTTaskStoreItemsOutlineViewController::contentStillExists(bool)
{
    return true;
}

void KNVTTaskStoreItemsOutlineViewController::taskStoreWillChangeNotification()
{
    if (!hasContent())
        return;
    if (!contentStillExists(true)) {
        forgetContent();
        showNothing();
        return;
    }
    const std::vector<KNVTCDTaskStoreObject *> selected = selectedObjectsOfKind();
    m_numberOfPreviouslySelectedItems = qsizetype(selected.size());
    m_itemsToReselect.clear();
    for (KNVTCDTaskStoreObject *object : selected)
        if (!object->isDeleted())
            m_itemsToReselect << object->uri();
    m_savedScrollValue = m_outlineView ? std::optional<int>(m_outlineView->verticalScrollBar()->value()) : std::nullopt;
}

void KNVTTaskStoreItemsOutlineViewController::taskStoreDidChangeNotification()
{
    if (!hasContent()) {
        updateTableViewLabel();
        return;
    }
    if (!contentStillExists(false)) {
        forgetContent();
        showNothing();
        return;
    }
    updateCells();

    QList<int> found;
    for (const QUrl &uri : std::as_const(m_itemsToReselect))
        if (const std::optional<int> row = cellIndexForObjectValue(uri))
            found << *row;
    std::sort(found.begin(), found.end());
    const qsizetype previous = m_numberOfPreviouslySelectedItems.value_or(0);
    const std::optional<int> scrollValue = m_savedScrollValue;
    m_numberOfPreviouslySelectedItems.reset();
    m_itemsToReselect.clear();
    m_savedScrollValue.reset();

    // Each step on a later pass, in this order: the views take in the reset first, and a reselection must find the
    // sections expanded before the scroll position can be put back.
    QTimer::singleShot(0, this, [this] {
        if (m_outlineView)
            m_outlineView->expandAll();
    });
    if (!found.isEmpty()) {
        QTimer::singleShot(0, this, [this, found] {
            if (!m_outlineView)
                return;
            // The list reports the reselection itself (below), and only when it differs from before.
            if (selectedRows() != found)
                ++m_dontForwardSelectionChangeCount;
            selectRows(found);
        });
    }
    if (scrollValue) {
        QTimer::singleShot(0, this, [this, value = *scrollValue] {
            if (m_outlineView)
                m_outlineView->verticalScrollBar()->setValue(value);
        });
    }
    if (qsizetype(found.size()) != previous) {
        QTimer::singleShot(0, this, [this] {
            if (KNVTTaskStoreItemsViewControllerDelegate *delegate = taskStoreItemsViewControllerDelegate())
                delegate->taskStoreItemsViewControllerSelectionDidChange(this);
        });
    }
    updateTableViewLabel();
}

// ---- Drag and drop ----

QMimeData *KNVTTaskStoreItemsOutlineViewController::writeItems(const QModelIndexList &items) const
{
    QList<QUrl> uris;
    QString text;
    if (itemKind() == ItemKind::Tasks) {
        Tasks tasks = objectsAt<KNVTCDTask>(items);
        const bool fromItems = !tasks.empty();
        if (!fromItems)
            tasks = selectedTasks();
        for (KNVTCDTask *task : tasks) {
            // A drop would change the task, which is not mine to change.
            if (!task->canEdit())
                continue;
            uris << task->uri();
            if (fromItems)
                text += task->pasteboardString();
        }
    } else {
        TaskLists lists = objectsAt<KNVTCDTaskList>(items);
        const bool fromItems = !lists.empty();
        if (!fromItems)
            lists = selectedTaskLists();
        for (KNVTCDTaskList *list : lists) {
            uris << list->uri();
            if (fromItems)
                text += list->pasteboardString();
        }
    }
    if (uris.isEmpty())
        return nullptr;
    auto *mime = new QMimeData;
    knvt::ObjectReferencePayload::write(*mime, uris, text);
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
        store.saveWithCompletionHandler();
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
        for (KNVTCDTask *task : tasks)
            task->setFocusType(KNVTFocusTypeSomeday);
        store.saveWithCompletionHandler();
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
    taskStore().saveWithCompletionHandler();
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
        knvt::AlertPresenter::Request request;
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
        store.saveWithCompletionHandler();
    });
}

// ---- Printing ----

QString KNVTTaskStoreItemsOutlineViewController::printJobTitle() const
{
    return QStringLiteral("Tasks");
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
