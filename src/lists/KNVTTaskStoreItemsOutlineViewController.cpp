#include "lists/KNVTTaskStoreItemsOutlineViewController.h"

#include "lists/ItemRowDelegate.h"
#include "lists/ItemViews.h"
#include "lists/KNVTTaskStoreItemsOutlineView.h"
#include "lists/ListMembership.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"

#include "uikit/TableViewAdditions.h"

#include <QAtomicInteger>

namespace {

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
      m_rows(
          *m_model,
          [this] {
              forgetSelectionReading();
              expandSections();
              updateTableViewLabel();
          },
          [this] { selectionDidChange(); }),
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
    m_rows.setView(outlineView, this);
    connect(outlineView, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex &index) {
        if (!m_model->isSection(index))
            doubleAction();
    });
    knvt::connectRowButtons(m_delegate, this);
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

void KNVTTaskStoreItemsOutlineViewController::resetContent()
{
    m_rows.change([this] {
        m_rowCache.beginRebuild();
        m_model->resetSections(hasContent() ? sectionsForContent() : std::vector<knvt::ListSection>());
    });
}

void KNVTTaskStoreItemsOutlineViewController::reloadData()
{
    m_rows.change([this] {
        m_rowCache.beginRebuild();
        m_model->updateSections(hasContent() ? sectionsForContent() : std::vector<knvt::ListSection>());
    });
}

void KNVTTaskStoreItemsOutlineViewController::showNothing()
{
    m_rows.change([this] { m_model->updateSections({}); });
}

void KNVTTaskStoreItemsOutlineViewController::expandSections()
{
    if (!m_outlineView)
        return;
    for (int section = 0; section < m_model->rowCount(); ++section) {
        const QModelIndex index = m_model->indexForSection(section);
        if (!m_outlineView->isExpanded(index))
            m_outlineView->expand(index);
    }
}

QStringList KNVTTaskStoreItemsOutlineViewController::sectionIdentifiers() const
{
    QStringList identifiers;
    for (const knvt::ListSection &section : m_model->sections())
        identifiers << section.identifier();
    return identifiers;
}

QModelIndexList KNVTTaskStoreItemsOutlineViewController::selectedCells() const
{
    QModelIndexList cells;
    for (int row : selectedRows())
        cells << m_model->indexForRow(row);
    return cells;
}

void KNVTTaskStoreItemsOutlineViewController::selectRows(const QList<int> &rows)
{
    ensureView();
    m_rows.selectRows(rows);
}

template <class T>
std::vector<T *> KNVTTaskStoreItemsOutlineViewController::objectsAt(const QModelIndexList &indexes) const
{
    const knvt::ItemsOutlineModel &model = *m_model;
    return knvt::objectsOfItemRows<T>(indexes, [&model](const QModelIndex &index) { return model.itemRowAt(index); });
}

// The drags and drops, in a file of their own, read tasks and lists too.
template std::vector<KNVTCDTask *> KNVTTaskStoreItemsOutlineViewController::objectsAt(const QModelIndexList &) const;
template std::vector<KNVTCDTaskList *>
KNVTTaskStoreItemsOutlineViewController::objectsAt(const QModelIndexList &) const;

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
    }
}

void KNVTTaskStoreItemsOutlineViewController::taskStoreDidChangeNotification(
    const std::optional<ostore::ChangeSet> &changes)
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
    m_rowCache.beginRebuild();
    m_rows.applyStoreChange(
        changes, [this] { return membership(); }, [this] { return sectionsForContent(); });
}
