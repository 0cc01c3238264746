#include "lists/KNVTTaskStoreItemsTableViewController.h"

#include "lists/ItemRowDelegate.h"
#include "lists/ItemViews.h"
#include "lists/ItemsTableModel.h"
#include "lists/KNVTTaskStoreItemsTableView.h"

#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"

#include "uikit/TableViewAdditions.h"

#include <QMimeData>

KNVTTaskStoreItemsTableViewController::KNVTTaskStoreItemsTableViewController(
    KNVTTaskStoreItemsViewControllerDelegate *delegate, QObject *parent)
    : KNVTTaskStoreItemsViewController(delegate, parent),
      m_model(new knvt::ItemsTableModel(this)),
      m_rows(
          *m_model,
          [this] {
              forgetSelectionReading();
              updateTableViewLabel();
          },
          [this] { selectionDidChange(); })
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
    m_rows.setView(tableView, this);
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
    m_rows.change([this, &sections] { m_model->resetSections(std::move(sections)); });
}

void KNVTTaskStoreItemsTableViewController::updateSections(std::vector<knvt::ListSection> sections)
{
    m_rows.change([this, &sections] { m_model->updateSections(std::move(sections)); });
}

void KNVTTaskStoreItemsTableViewController::selectRows(const QList<int> &rows)
{
    ensureView();
    m_rows.selectRows(rows);
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
