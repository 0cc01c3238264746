#include "lists/KNVTTaskStoreItemsTableViewController.h"

#include "lists/ItemRowDelegate.h"
#include "lists/ItemViews.h"
#include "lists/ItemsTableModel.h"
#include "lists/KNVTTaskStoreItemsTableView.h"
#include "lists/KNVTTaskStoreItemsViewControllerDelegate.h"
#include "lists/ListChanges.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"

#include "objectstore/Context.h"

#include "uikit/Beeper.h"
#include "uikit/TableViewAdditions.h"

#include <QItemSelection>
#include <QMimeData>

#include <algorithm>

KNVTTaskStoreItemsTableViewController::KNVTTaskStoreItemsTableViewController(
    KNVTTaskStoreItemsViewControllerDelegate *delegate, QObject *parent)
    : KNVTTaskStoreItemsViewController(delegate, parent), m_model(new knvt::ItemsTableModel(this))
{
    m_model->setMimeWriter([this](const QList<int> &rows) { return writeRows(rows); });
}

KNVTTaskStoreItemsTableViewController::~KNVTTaskStoreItemsTableViewController()
{
    // The view may outlive this object for a moment (deleteLater); it must not call back into it.
    if (m_tableView) {
        m_tableView->setTaskStoreItemsTableViewController(nullptr);
        m_tableView->setModel(nullptr);
    }
}

int KNVTTaskStoreItemsTableViewController::rowHeight() const
{
    return m_delegate ? m_delegate->rowHeight() : itemRowHeight();
}

void KNVTTaskStoreItemsTableViewController::loadView()
{
    auto *tableView = new KNVTTaskStoreItemsTableView();
    m_tableView = tableView;
    setView(tableView);
    m_delegate = new knvt::ItemRowDelegate(tableView);
    m_delegate->setRowHeight(itemRowHeight());
    tableView->setProperty("rowHeight", m_delegate->rowHeight());
    tableView->setItemDelegate(m_delegate);
    tableView->setModel(m_model);
    tableView->setTaskStoreItemsTableViewController(this);
    connect(tableView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &KNVTTaskStoreItemsTableViewController::selectionDidChange);
    connect(tableView, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) {
        const knvt::ItemRow *row = rowAt(index.row());
        if (row && !row->isHeader())
            doubleAction();
    });
    knvt::connectRowButtons(m_delegate, this);
    updateTableViewLabel();
}

void KNVTTaskStoreItemsTableViewController::ensureView()
{
    if (!isViewLoaded())
        view();
}

KNVTTaskStoreItemsTableView *KNVTTaskStoreItemsTableViewController::tableView()
{
    ensureView();
    return m_tableView;
}

QWidget *KNVTTaskStoreItemsTableViewController::focusView()
{
    return tableView();
}

// ---- Rows ----

void KNVTTaskStoreItemsTableViewController::resetSections(std::vector<knvt::ListSection> sections)
{
    changeRows([this, &sections] { m_model->resetSections(std::move(sections)); });
}

void KNVTTaskStoreItemsTableViewController::updateSections(std::vector<knvt::ListSection> sections)
{
    changeRows([this, &sections] { m_model->updateSections(std::move(sections)); });
}

void KNVTTaskStoreItemsTableViewController::applyStoreChange(
    const std::optional<ostore::ChangeSet> &changes, knvt::ListMembership *membership,
    const std::function<std::vector<knvt::ListSection>()> &sections)
{
    ostore::Context *context = taskStore().managedObjectContext();
    if (changes && context && knvt::ListChanges::touchesNoRows(*changes, *context))
        return;
    changeRows([&] {
        if (changes && context && membership && knvt::ListChanges::apply(*m_model, *changes, *context, *membership))
            return;
        m_model->updateSections(sections());
    });
}

QList<ostore::ObjectID> KNVTTaskStoreItemsTableViewController::selectedObjectIDs() const
{
    QList<ostore::ObjectID> ids;
    for (int row : selectedRows())
        if (const knvt::ItemRow *item = rowAt(row))
            ids << item->objectID;
    // Compared as a set: a selected row that moves past another is still the same selection.
    std::sort(ids.begin(), ids.end(), [](const ostore::ObjectID &a, const ostore::ObjectID &b) {
        return a.entity != b.entity ? a.entity < b.entity : a.zid < b.zid;
    });
    return ids;
}

void KNVTTaskStoreItemsTableViewController::changeRows(const std::function<void()> &change)
{
    const QList<ostore::ObjectID> before = selectedObjectIDs();
    ++m_changingRows;
    change();
    --m_changingRows;
    forgetSelectionReading();
    updateTableViewLabel();
    if (m_changingRows == 0 && selectedObjectIDs() != before)
        selectionDidChange();
}

int KNVTTaskStoreItemsTableViewController::numberOfRows() const
{
    return m_model->rowCount();
}

const knvt::ItemRow *KNVTTaskStoreItemsTableViewController::rowAt(int row) const
{
    return m_model->rowAt(row);
}

std::optional<int> KNVTTaskStoreItemsTableViewController::cellIndexForObjectValue(const QUrl &uri) const
{
    const int row = m_model->rowForUri(uri);
    return row < 0 ? std::nullopt : std::optional<int>(row);
}

QModelIndex KNVTTaskStoreItemsTableViewController::indexForRow(int row) const
{
    return m_model->index(row);
}

QList<int> KNVTTaskStoreItemsTableViewController::selectedRows() const
{
    if (!m_tableView)
        return {};
    return knvt::selectedRowNumbers(*m_tableView->selectionModel(),
                                    [](const QModelIndex &index) { return index.row(); });
}

void KNVTTaskStoreItemsTableViewController::selectRows(const QList<int> &rows)
{
    knvt::selectRowNumbers(*tableView()->selectionModel(), rows, [this](int row) {
        const knvt::ItemRow *item = rowAt(row);
        return item && !item->isHeader() ? m_model->index(row) : QModelIndex();
    });
}

namespace {

template <class T>
std::vector<T *> objectsOfRows(const knvt::ItemsTableModel &model, const QList<int> &rows)
{
    return knvt::objectsOfItemRows<T>(rows, [&model](int row) { return model.rowAt(row); });
}

QList<int> allRows(const knvt::ItemsTableModel &model)
{
    QList<int> rows;
    for (int i = 0; i < model.rowCount(); ++i)
        rows << i;
    return rows;
}

} // namespace

KNVTTaskStoreItemsTableViewController::Tasks
KNVTTaskStoreItemsTableViewController::tasksForRowIndexes(const QList<int> &rows) const
{
    return objectsOfRows<KNVTCDTask>(*m_model, rows);
}

KNVTTaskStoreItemsTableViewController::TaskLists
KNVTTaskStoreItemsTableViewController::taskListsForRowIndexes(const QList<int> &rows) const
{
    return objectsOfRows<KNVTCDTaskList>(*m_model, rows);
}

KNVTTaskStoreItemsTableViewController::Items KNVTTaskStoreItemsTableViewController::items() const
{
    return objectsOfRows<ostore::Object>(*m_model, allRows(*m_model));
}

KNVTTaskStoreItemsTableViewController::Items KNVTTaskStoreItemsTableViewController::selectedItems() const
{
    Items result;
    for (ostore::Object *object : objectsOfRows<ostore::Object>(*m_model, selectedRows()))
        if (dynamic_cast<KNVTCDTask *>(object) || dynamic_cast<KNVTCDTaskList *>(object))
            result.push_back(object);
    return result;
}

KNVTTaskStoreItemsTableViewController::Tasks KNVTTaskStoreItemsTableViewController::tasks() const
{
    return tasksForRowIndexes(allRows(*m_model));
}

KNVTTaskStoreItemsTableViewController::Tasks KNVTTaskStoreItemsTableViewController::selectedTasks() const
{
    return tasksForRowIndexes(selectedRows());
}

KNVTTaskStoreItemsTableViewController::TaskLists KNVTTaskStoreItemsTableViewController::taskLists() const
{
    return taskListsForRowIndexes(allRows(*m_model));
}

KNVTTaskStoreItemsTableViewController::TaskLists KNVTTaskStoreItemsTableViewController::selectedTaskLists() const
{
    return taskListsForRowIndexes(selectedRows());
}

// ---- Selection commands ----

void KNVTTaskStoreItemsTableViewController::selectNextItem()
{
    const QList<int> rows = selectedRows();
    if (rows.isEmpty()) {
        knvt::Beeper::shared().beep();
        return;
    }
    for (int row = rows.first() + 1; row < numberOfRows(); ++row) {
        if (!rowAt(row)->isHeader()) {
            selectRows({row});
            tableView()->scrollTo(m_model->index(row));
            return;
        }
    }
    knvt::Beeper::shared().beep();
}

void KNVTTaskStoreItemsTableViewController::selectPreviousItem()
{
    const QList<int> rows = selectedRows();
    if (rows.isEmpty()) {
        knvt::Beeper::shared().beep();
        return;
    }
    for (int row = rows.first() - 1; row >= 0; --row) {
        if (!rowAt(row)->isHeader()) {
            selectRows({row});
            tableView()->scrollTo(m_model->index(row));
            return;
        }
    }
    knvt::Beeper::shared().beep();
}

void KNVTTaskStoreItemsTableViewController::selectionDidChange()
{
    forgetSelectionReading();
    // A change of the rows reports the selection once, when it is over.
    if (m_changingRows > 0)
        return;
    if (KNVTTaskStoreItemsViewControllerDelegate *delegate = taskStoreItemsViewControllerDelegate())
        delegate->taskStoreItemsViewControllerSelectionDidChange(this);
}

void KNVTTaskStoreItemsTableViewController::numberOfPreviewLinesForTaskNotesDidChangeNotification()
{
    if (!m_delegate)
        return;
    m_delegate->setRowHeight(itemRowHeight());
    m_tableView->setProperty("rowHeight", m_delegate->rowHeight());
    m_model->relayout();
}

void KNVTTaskStoreItemsTableViewController::updateTableViewLabel()
{
    if (!m_tableView)
        return;
    knvt::setLabelText(m_tableView, numberOfRows() > 0 ? QString() : tr("No Tasks"));
}

// ---- Drag and drop ----

QMimeData *KNVTTaskStoreItemsTableViewController::writeRows(const QList<int> &) const
{
    return nullptr;
}

Qt::DropAction KNVTTaskStoreItemsTableViewController::validateDrop(const QMimeData &, int, bool)
{
    return Qt::IgnoreAction;
}

bool KNVTTaskStoreItemsTableViewController::acceptDrop(const QMimeData &, int, bool)
{
    return false;
}
