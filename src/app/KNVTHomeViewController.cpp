#include "app/KNVTHomeViewController.h"

#include "app/HomeModel.h"
#include "app/KNVTHomeActivityView.h"
#include "app/KNVTHomeOutlineView.h"
#include "app/KNVTHomeViewControllerDelegate.h"
#include "app/WindowFactory.h"

#include "lists/RowPainting.h"

#include "store/KNVTTaskStore.h"
#include "store/TaskStoreChanges.h"

#include "model/KNVTCDTag.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTFocusType.h"

#include "foundation/NotificationCenter.h"
#include "uikit/ActionSet.h"
#include "uikit/KNVTSourceListTableCellView.h"
#include "uikit/KNVTTableViewGroupRowView.h"
#include "uikit/SelectionAfterRemoval.h"
#include "uikit/WaitingWindowLine.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// Sections as group rows, entries as source-list rows.
class HomeRowDelegate : public QStyledItemDelegate
{
public:
    explicit HomeRowDelegate(QObject *parent)
        : QStyledItemDelegate(parent),
          m_section(new KNVTTableViewGroupRowView(this)),
          m_row(new KNVTSourceListTableCellView(this))
    {}
    KNVTSourceListTableCellView *rowDelegate() const { return m_row; }
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        if (index.data(knvt::HomeModel::IsSectionRole).toBool()) {
            m_section->paint(painter, option, index);
            // A section header paints its own band; an entry's background is the style's, with the style's focus frame
            // where it shows.
            knvt::drawRowFocus(*painter, option);
        } else {
            m_row->paint(painter, option, index);
            knvt::drawRowFocus(*painter, option, true);
        }
    }
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        if (index.data(knvt::HomeModel::IsSectionRole).toBool())
            return m_section->sizeHint(option, index);
        return m_row->sizeHint(option, index);
    }

protected:
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override
    {
        if (index.data(knvt::HomeModel::IsSectionRole).toBool())
            return false;
        return static_cast<QAbstractItemDelegate *>(m_row)->editorEvent(event, model, option, index);
    }

private:
    KNVTTableViewGroupRowView *m_section;
    KNVTSourceListTableCellView *m_row;
};

} // namespace

KNVTHomeViewController::KNVTHomeViewController(KNVTHomeViewControllerDelegate *delegate, QObject *parent)
    : QObject(parent), m_delegate(delegate), m_model(new knvt::HomeModel(this))
{
    m_model->setMimeWriter([this](const QModelIndexList &indexes) { return writeItems(indexes); });
}

KNVTHomeViewController::~KNVTHomeViewController()
{
    knvt::NotificationCenter::defaultCenter().removeObservers(this);
    if (m_outlineView)
        m_outlineView->setHomeViewController(nullptr);
    delete m_view.data();
}

QWidget *KNVTHomeViewController::view()
{
    if (!m_view)
        buildView();
    return m_view;
}

KNVTHomeOutlineView *KNVTHomeViewController::outlineView()
{
    view();
    return m_outlineView;
}

QWidget *KNVTHomeViewController::window() const
{
    return m_view ? m_view->window() : nullptr;
}

void KNVTHomeViewController::buildView()
{
    m_view = new QWidget;
    m_view->setObjectName(QStringLiteral("homeView"));
    // The pane of the home list, its button and the sync status.
    m_view->setAccessibleName(tr("Home"));
    auto *layout = new QVBoxLayout(m_view);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_outlineView = new KNVTHomeOutlineView(m_view);
    m_outlineView->setHomeViewController(this);
    auto *rows = new HomeRowDelegate(m_outlineView);
    m_outlineView->setItemDelegate(rows);
    m_outlineView->setModel(m_model);
    layout->addWidget(m_outlineView, 1);
    connect(rows->rowDelegate(), &KNVTSourceListTableCellView::sharedIconButtonClicked, this,
            [this](const QModelIndex &index) { shareItem(index.data(knvt::ObjectUriRole).toUrl()); });
    connect(m_outlineView, &QAbstractItemView::doubleClicked, this, &KNVTHomeViewController::doubleAction);
    // A click on the entry already chosen chooses it again: the host goes back to its list (from a list opened above
    // it, or from a search).
    connect(m_outlineView, &QAbstractItemView::clicked, this, [this](const QModelIndex &) {
        if (m_outlineView->pressedChosenEntry() && m_delegate)
            m_delegate->homeViewControllerDidSelectItems(this, selectedItems());
    });
    connect(m_outlineView, &QTreeView::expanded, this,
            [this](const QModelIndex &index) { expansionDidChange(index, true); });
    connect(m_outlineView, &QTreeView::collapsed, this,
            [this](const QModelIndex &index) { expansionDidChange(index, false); });
    connect(m_outlineView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &KNVTHomeViewController::selectionDidChange);

    // What waits for the user, over the status line: its button comes after the add button in the Tab order.
    m_waitingLine = new knvt::WaitingWindowLine(m_view);
    layout->addWidget(m_waitingLine);

    auto *bar = new QWidget(m_view);
    bar->setObjectName(QStringLiteral("homeBottomBar"));
    auto *barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(4, 2, 4, 2);
    m_addPopUpButton = new QPushButton(QStringLiteral("+"), bar);
    m_addPopUpButton->setObjectName(QStringLiteral("addPopUpButton"));
    m_addPopUpButton->setAccessibleName(tr("Add"));
    m_addPopUpButton->setFlat(true);
    m_addPopUpButton->setFixedWidth(32);
    auto *addMenu = new QMenu(m_addPopUpButton);
    addMenu->setObjectName(QStringLiteral("addMenu"));
    if (knvt::ActionSet *set = m_delegate ? m_delegate->actions() : nullptr) {
        for (knvt::Command command :
             {knvt::Command::NewTask, knvt::Command::NewProject, knvt::Command::NewArea, knvt::Command::NewTag})
            addMenu->addAction(set->action(command));
        set->validateBeforeShowing(addMenu);
        // Return in the list edits its entry.
        set->addPane(m_view);
    }
    m_addPopUpButton->setMenu(addMenu);
    barLayout->addWidget(m_addPopUpButton);
    m_activityView = new KNVTHomeActivityView(bar);
    barLayout->addWidget(m_activityView, 1);
    layout->addWidget(bar);

    reloadSections();
    expandSections();
    selectInbox();
    // The host learns the first selection while it sets itself up.
    selectionDidChange();

    knvt::NotificationCenter &center = knvt::NotificationCenter::defaultCenter();
    KNVTTaskStore *store = KNVTTaskStore::defaultTaskStore();
    // After the change: the entries are updated in place from what the store now holds.
    for (const char *name : {KNVTTaskStoreDidChangeNotification, KNVTTaskStoreSystemInformationDidChangeNotification})
        center.addObserver(QString::fromLatin1(name), store, this, [this](const knvt::Notification &notification) {
            const knvt::SelectionAfterRemoval::MadeElsewhere entriesGone(
                knvt::TaskStoreChanges::madeElsewhere(notification));
            refreshData();
        });
}

// ---- Sections ----

std::vector<KNVTHomeSection> KNVTHomeViewController::sectionsNow()
{
    std::vector<KNVTHomeSection> sections;
    sections.emplace_back(KNVTHomeSectionTypeFocus);
    // The Tags section shows while there are tags.
    for (int type : {int(KNVTHomeSectionTypeProjects), int(KNVTHomeSectionTypeAreas), int(KNVTHomeSectionTypeTags)}) {
        KNVTHomeSection section(type);
        if (section.numberOfChildren() > 0)
            sections.push_back(std::move(section));
    }
    sections.emplace_back(KNVTHomeSectionTypeArchived);
    return sections;
}

void KNVTHomeViewController::reloadSections()
{
    m_model->setSections(sectionsNow());
}

void KNVTHomeViewController::expandSections()
{
    if (!m_outlineView)
        return;
    m_restoring = true;
    for (int row = 0; row < m_model->rowCount(); ++row) {
        const QModelIndex index = m_model->index(row, 0);
        if (m_model->sectionAt(index)->isExpanded())
            m_outlineView->expand(index);
        else
            m_outlineView->collapse(index);
    }
    m_restoring = false;
}

void KNVTHomeViewController::expansionDidChange(const QModelIndex &index, bool expanded)
{
    if (m_restoring)
        return;
    KNVTHomeSection *section = m_model->sectionAt(index);
    if (!section)
        return;
    if (!expanded && !section->isCollapsible()) {
        m_outlineView->expand(index);
        return;
    }
    if (section->isExpanded() != expanded)
        section->setExpanded(expanded);
}

void KNVTHomeViewController::refreshData()
{
    if (!m_outlineView) {
        reloadSections();
        return;
    }
    // The entries change in place: whatever is still there stays selected, and nobody hears of it.
    const std::vector<knvt::HomeEntry> before = selectedItems();
    ++m_changingRows;
    m_restoring = true;
    m_model->updateSections(sectionsNow());
    m_restoring = false;
    expandSections();
    --m_changingRows;
    const std::vector<knvt::HomeEntry> after = selectedItems();
    if (after == before)
        return;
    // The chosen entry went (a project deleted here, by a sync or by another program): the view chose the entry after
    // it, or Inbox is chosen when there was none to choose.
    if (after.empty())
        selectInbox();
    else
        selectionDidChange();
}

// ---- Selection ----

std::vector<knvt::HomeEntry> KNVTHomeViewController::selectedItems() const
{
    std::vector<knvt::HomeEntry> items;
    if (!m_outlineView)
        return items;
    for (const QModelIndex &index : m_outlineView->selectionModel()->selectedRows())
        if (const std::optional<knvt::HomeEntry> entry = m_model->entryAt(index))
            items.push_back(*entry);
    return items;
}

std::optional<knvt::HomeEntry> KNVTHomeViewController::selectedItem() const
{
    const std::vector<knvt::HomeEntry> items = selectedItems();
    return items.empty() ? std::nullopt : std::optional<knvt::HomeEntry>(items.front());
}

KNVTCDTaskList *KNVTHomeViewController::selectedTaskList() const
{
    const std::optional<knvt::HomeEntry> entry = selectedItem();
    if (!entry || entry->kind != knvt::HomeEntry::Kind::TaskList)
        return nullptr;
    return dynamic_cast<KNVTCDTaskList *>(KNVTTaskStore::defaultTaskStore()->objectForURI(entry->uri));
}

KNVTCDTag *KNVTHomeViewController::selectedTag() const
{
    const std::optional<knvt::HomeEntry> entry = selectedItem();
    if (!entry || entry->kind != knvt::HomeEntry::Kind::Tag)
        return nullptr;
    return dynamic_cast<KNVTCDTag *>(KNVTTaskStore::defaultTaskStore()->objectForURI(entry->uri));
}

bool KNVTHomeViewController::selectItem(const knvt::HomeEntry &entry)
{
    const QModelIndex index = m_model->indexForEntry(entry);
    if (!index.isValid() || !m_outlineView)
        return false;
    m_outlineView->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    return true;
}

bool KNVTHomeViewController::selectItem(KNVTCDTaskList *taskList)
{
    return taskList && selectItem(knvt::HomeEntry::taskList(*taskList));
}

void KNVTHomeViewController::selectInbox()
{
    selectItem(knvt::HomeEntry::focusList(KNVTFocusTypeInbox));
}

void KNVTHomeViewController::selectionDidChange()
{
    // A change of the entries reports the selection once, when it is over.
    if (m_changingRows > 0)
        return;
    // One entry at a time (or any number of tags, whose common tasks are shown), never a section: any other
    // selection is refused and the last one put back.
    const QModelIndexList rows = m_outlineView->selectionModel()->selectedRows();
    const bool allTags = std::all_of(rows.begin(), rows.end(), [this](const QModelIndex &index) {
        const std::optional<knvt::HomeEntry> entry = m_model->entryAt(index);
        return entry && entry->kind == knvt::HomeEntry::Kind::Tag;
    });
    const bool refused = (rows.size() > 1 && !allTags)
        || std::any_of(rows.begin(), rows.end(), [this](const QModelIndex &index) { return !m_model->entryAt(index); });
    if (refused) {
        const QSignalBlocker blocker(m_outlineView->selectionModel());
        m_outlineView->selectionModel()->clearSelection();
        if (const QModelIndex previous = m_model->indexForEntry(m_lastSelection); previous.isValid() && m_hasSelection)
            m_outlineView->selectionModel()->setCurrentIndex(previous, QItemSelectionModel::ClearAndSelect);
        m_outlineView->viewport()->update();
        return;
    }
    const std::vector<knvt::HomeEntry> items = selectedItems();
    m_hasSelection = !items.empty();
    if (m_hasSelection)
        m_lastSelection = items.front();
    if (items.empty() && m_model->rowCount() > 0) {
        // The list never stays without a selection.
        QTimer::singleShot(0, this, [this] {
            if (selectedItems().empty())
                selectInbox();
        });
    }
    if (m_delegate)
        m_delegate->homeViewControllerDidSelectItems(this, items);
}

void KNVTHomeViewController::insertTab(bool next)
{
    if (!m_delegate)
        return;
    if (next)
        m_delegate->homeViewControllerShouldInsertTab(this);
    else
        m_delegate->homeViewControllerShouldInsertBacktab(this);
}
