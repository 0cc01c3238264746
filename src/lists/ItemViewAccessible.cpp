#include "lists/ItemViewAccessible.h"

#include "lists/AccessibleItemView.h"

#include "uikit/AccessibilityEvents.h"
#include "uikit/AccessibleFactory.h"
#include "uikit/PaintedRowAccessible.h"
#include "uikit/TableViewAdditions.h"

#include <QTreeView>
#include <QWindow>

#include <algorithm>

namespace knvt {

namespace {

QWindow *windowOf(const QWidget *widget)
{
    return widget != nullptr ? widget->window()->windowHandle() : nullptr;
}

// The column header Qt's tree views count first in their events; the lists hide it, so it is never shown.
class HiddenHeaderElement : public QAccessibleInterface
{
public:
    explicit HiddenHeaderElement(QTreeView *view) : m_view(view) {}

    bool isValid() const override { return !m_view.isNull(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return windowOf(m_view); }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(m_view.data()); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QString text(QAccessible::Text) const override { return {}; }
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override { return {}; }
    QAccessible::Role role() const override { return QAccessible::ColumnHeader; }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.invisible = true;
        return state;
    }

private:
    QPointer<QTreeView> m_view;
};

// A row as the tree shows it: selectable and focusable where the model lets it be chosen, and open or closed where it
// has rows of its own.
class RowElement : public PaintedRowAccessible
{
public:
    RowElement(QTreeView *view, const QModelIndex &index, QAccessible::Role role)
        : PaintedRowAccessible(view, index, role)
    {}

    QAccessible::State state() const override
    {
        QAccessible::State state = PaintedRowAccessible::state();
        if (!isValid())
            return state;
        auto *tree = static_cast<QTreeView *>(view());
        if (index().flags().testFlag(Qt::ItemIsSelectable)) {
            state.selectable = true;
            state.focusable = true;
            state.selected = tree->selectionModel() != nullptr && tree->selectionModel()->isSelected(index());
            state.focused = tree->hasFocus() && tree->currentIndex() == index();
        }
        // A section the user cannot close (the lists' own sections, a fixed section of the home list) says nothing of
        // opening and closing.
        const auto *rows = dynamic_cast<const AccessibleItemView *>(tree);
        if (tree->itemsExpandable() && index().model()->hasChildren(index())
            && (rows == nullptr || rows->isRowCollapsible(index()))) {
            state.expandable = true;
            state.expanded = tree->isExpanded(index());
            state.collapsed = !state.expanded;
        }
        return state;
    }
};

int checkStateOf(const QModelIndex &index)
{
    const QVariant state = index.data(Qt::CheckStateRole);
    return state.isValid() ? state.toInt() : -1;
}

} // namespace

ItemViewAccessible::ItemViewAccessible(QTreeView *view) : QAccessibleWidget(view) {}

ItemViewAccessible::~ItemViewAccessible()
{
    m_watcher.reset();
    for (QAccessible::Id id : m_elements)
        if (id != 0)
            QAccessible::deleteAccessibleInterface(id);
    if (m_header != 0)
        QAccessible::deleteAccessibleInterface(m_header);
}

void ItemViewAccessible::install()
{
    installAccessibleFactory<ItemViewAccessible, QTreeView, &declares<AccessibleItemView, QTreeView>>();
}

QTreeView *ItemViewAccessible::view() const
{
    return static_cast<QTreeView *>(widget());
}

AccessibleItemView *ItemViewAccessible::itemView() const
{
    return dynamic_cast<AccessibleItemView *>(view());
}

QAccessible::Role ItemViewAccessible::role() const
{
    const AccessibleItemView *rows = itemView();
    return rows != nullptr ? rows->accessibleListRole() : QAccessible::List;
}

QString ItemViewAccessible::text(QAccessible::Text t) const
{
    QTreeView *tree = view();
    switch (t) {
    case QAccessible::Name: {
        if (!tree->accessibleName().isEmpty())
            return tree->accessibleName();
        const AccessibleItemView *rows = itemView();
        return rows != nullptr ? rows->accessibleListName() : QString();
    }
    case QAccessible::Description:
        // The painted empty-list text is no element of its own: while it shows, it says why the list is empty.
        if (!tree->accessibleDescription().isEmpty())
            return tree->accessibleDescription();
        return isLabelVisible(tree) ? labelText(tree) : QString();
    default: return QAccessibleWidget::text(t);
    }
}

QAccessible::State ItemViewAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    switch (view()->selectionMode()) {
    case QAbstractItemView::MultiSelection: state.multiSelectable = true; break;
    case QAbstractItemView::ExtendedSelection: state.extSelectable = true; break;
    default: break;
    }
    return state;
}

void ItemViewAccessible::watch(QAbstractItemModel *model) const
{
    m_model = model;
    // A new watcher drops the connections of the old one.
    auto *watcher = new QObject;
    m_watcher.reset(watcher);
    auto stale = [this] { m_stale = true; };
    // A row that moved into a section the view opens only after the change (a task ticked into a new Completed
    // section) is told of when the section opens.
    QObject::connect(view(), &QTreeView::expanded, watcher, [this](const QModelIndex &section) {
        m_stale = true;
        announceCheckChanges(section, 0, section.model()->rowCount(section) - 1);
    });
    QObject::connect(view(), &QTreeView::collapsed, watcher, stale);
    if (model == nullptr)
        return;
    QObject::connect(model, &QAbstractItemModel::rowsInserted, watcher, stale);
    QObject::connect(model, &QAbstractItemModel::rowsRemoved, watcher, stale);
    QObject::connect(model, &QAbstractItemModel::rowsMoved, watcher, stale);
    QObject::connect(model, &QAbstractItemModel::modelReset, watcher, stale);
    QObject::connect(model, &QAbstractItemModel::layoutChanged, watcher, stale);
    QObject::connect(model, &QAbstractItemModel::dataChanged, watcher,
                     [this](const QModelIndex &topLeft, const QModelIndex &bottomRight) {
                         announceCheckChanges(topLeft.parent(), topLeft.row(), bottomRight.row());
                     });
}

void ItemViewAccessible::announceCheckChanges(const QModelIndex &parent, int first, int last) const
{
    update();
    QAbstractItemModel *model = view()->model();
    if (model == nullptr)
        return;
    for (int row = first; row <= last; ++row) {
        const QModelIndex index = model->index(row, 0, parent);
        const int at = m_positions.value(index, -1);
        if (at < 0)
            continue;
        const int now = checkStateOf(index);
        int &seen = m_checks[size_t(at)];
        if (now == seen)
            continue;
        QAccessible::State changed;
        changed.checked = true;
        changed.checkStateMixed = now == Qt::PartiallyChecked || seen == Qt::PartiallyChecked;
        seen = now;
        AccessibilityEvents &events = AccessibilityEvents::shared();
        if (now < 0 || !events.isListening())
            continue;
        if (QAccessibleInterface *element = child(at + 1)) {
            QAccessibleStateChangeEvent event(element, changed);
            events.post(&event);
        }
    }
}

void ItemViewAccessible::update() const
{
    QTreeView *tree = view();
    QAbstractItemModel *model = tree->model();
    if (model != m_model.data() || !m_watcher) {
        watch(model);
        m_stale = true;
    }
    if (!m_stale)
        return;
    m_stale = false;
    const std::vector<QAccessible::Id> previous = std::move(m_elements);
    const std::vector<QPersistentModelIndex> previousRows = std::move(m_rows);
    const std::vector<int> previousChecks = std::move(m_checks);
    m_elements.clear();
    m_rows.clear();
    m_checks.clear();
    m_positions.clear();
    if (model != nullptr) {
        // Depth first through the open rows, as the view lays them out.
        std::vector<QModelIndex> pending;
        auto pushChildren = [&pending, model, tree](const QModelIndex &parent) {
            for (int row = model->rowCount(parent) - 1; row >= 0; --row)
                if (!tree->isRowHidden(row, parent))
                    pending.push_back(model->index(row, 0, parent));
        };
        pushChildren(tree->rootIndex());
        while (!pending.empty()) {
            const QModelIndex index = pending.back();
            pending.pop_back();
            m_positions.insert(index, int(m_rows.size()));
            m_rows.emplace_back(index);
            if (tree->isExpanded(index))
                pushChildren(index);
        }
    }
    m_elements.assign(m_rows.size(), 0);
    // A row that stays keeps the box it was last seen with, so that a change that came with a move is still told; only
    // a new row's box is read.
    m_checks.assign(m_rows.size(), 0);
    std::vector<bool> seen(m_rows.size(), false);
    for (size_t old = 0; old < previousRows.size() && old < previousChecks.size(); ++old) {
        const int at = previousRows[old].isValid() ? m_positions.value(QModelIndex(previousRows[old]), -1) : -1;
        if (at >= 0) {
            m_checks[size_t(at)] = previousChecks[old];
            seen[size_t(at)] = true;
        }
    }
    // Rows with a box that the view no longer shows, though the model still has them, keep the box they were last
    // seen with until they show again. (Their indexes move with the rows, so they are looked up by equality, not hash.)
    for (size_t old = 0; old < previousRows.size() && old < previousChecks.size(); ++old)
        if (previousRows[old].isValid() && previousChecks[old] >= 0
            && !m_positions.contains(QModelIndex(previousRows[old])))
            m_unshownChecks.emplace_back(previousRows[old], previousChecks[old]);
    std::erase_if(m_unshownChecks, [](const auto &entry) { return !entry.first.isValid(); });
    for (size_t at = 0; at < m_rows.size(); ++at) {
        if (seen[at])
            continue;
        const auto kept = std::find_if(m_unshownChecks.begin(), m_unshownChecks.end(),
                                       [&row = m_rows[at]](const auto &entry) { return entry.first == row; });
        if (kept == m_unshownChecks.end()) {
            m_checks[at] = checkStateOf(m_rows[at]);
        } else {
            m_checks[at] = kept->second;
            m_unshownChecks.erase(kept);
        }
    }
    // A row that is still shown keeps its element; the elements of rows that went are dropped.
    for (QAccessible::Id id : previous) {
        if (id == 0)
            continue;
        auto *element = static_cast<RowElement *>(QAccessible::accessibleInterface(id));
        const int at = element != nullptr && element->index().isValid()
            ? m_positions.value(QModelIndex(element->index()), -1)
            : -1;
        if (at >= 0 && m_elements[size_t(at)] == 0)
            m_elements[size_t(at)] = id;
        else
            QAccessible::deleteAccessibleInterface(id);
    }
}

int ItemViewAccessible::childCount() const
{
    update();
    return int(m_rows.size()) + 1;
}

QAccessibleInterface *ItemViewAccessible::child(int index) const
{
    update();
    if (index == 0) {
        if (m_header == 0 || QAccessible::accessibleInterface(m_header) == nullptr)
            m_header = QAccessible::registerAccessibleInterface(new HiddenHeaderElement(view()));
        return QAccessible::accessibleInterface(m_header);
    }
    const int row = index - 1;
    if (row < 0 || row >= int(m_rows.size()) || !m_rows[size_t(row)].isValid())
        return nullptr;
    QAccessible::Id &id = m_elements[size_t(row)];
    if (id != 0)
        if (QAccessibleInterface *known = QAccessible::accessibleInterface(id))
            return known;
    const QAccessible::Role rowRole = role() == QAccessible::Tree ? QAccessible::TreeItem : QAccessible::ListItem;
    auto *element = new RowElement(view(), m_rows[size_t(row)], rowRole);
    id = QAccessible::registerAccessibleInterface(element);
    return element;
}

int ItemViewAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    if (child == nullptr)
        return -1;
    if (m_header != 0 && QAccessible::accessibleInterface(m_header) == child)
        return 0;
    update();
    for (size_t row = 0; row < m_elements.size(); ++row)
        if (m_elements[row] != 0 && QAccessible::accessibleInterface(m_elements[row]) == child)
            return int(row) + 1;
    return -1;
}

QAccessibleInterface *ItemViewAccessible::rowInterface(const QModelIndex &index) const
{
    update();
    const int row = m_positions.value(index, -1);
    return row < 0 ? nullptr : child(row + 1);
}

QAccessibleInterface *ItemViewAccessible::childAt(int x, int y) const
{
    QTreeView *tree = view();
    const QPoint local = tree->viewport()->mapFromGlobal(QPoint(x, y));
    const QModelIndex index = tree->indexAt(local);
    return index.isValid() ? rowInterface(index) : nullptr;
}

QAccessibleInterface *ItemViewAccessible::focusChild() const
{
    QTreeView *tree = view();
    if (!tree->hasFocus() || !tree->currentIndex().isValid())
        return nullptr;
    return rowInterface(tree->currentIndex());
}

} // namespace knvt
