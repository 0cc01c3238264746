#include "lists/ItemViewAccessible.h"

#include "lists/AccessibleItemView.h"

#include "uikit/AccessibilityEvents.h"
#include "uikit/AccessibleFactory.h"
#include "uikit/PaintedRowAccessible.h"
#include "uikit/TableViewAdditions.h"

#include <QTreeView>
#include <QWindow>

#include <algorithm>
#include <iterator>
#include <utility>

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

    bool isRowOf(const QTreeView *tree) const { return view() == tree; }

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
        if (QAccessible::accessibleInterface(id) != nullptr)
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
    m_seenBoxes.clear();
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
    std::vector<QPersistentModelIndex> changed;
    for (auto seen = m_seenBoxes.cbegin(); seen != m_seenBoxes.cend(); ++seen) {
        const QPersistentModelIndex &row = seen.key();
        if (row.isValid() && row.parent() == parent && row.row() >= first && row.row() <= last
            && checkStateOf(row) != seen.value())
            changed.push_back(row);
    }
    for (const QPersistentModelIndex &row : changed) {
        // A row the view does not show now keeps the box it was last seen with until it shows.
        const int at = positionOf(row);
        if (at < 0)
            continue;
        int &seen = m_seenBoxes[row];
        const int now = checkStateOf(row);
        QAccessible::State state;
        state.checked = true;
        state.checkStateMixed = now == Qt::PartiallyChecked || seen == Qt::PartiallyChecked;
        seen = now;
        AccessibilityEvents &events = AccessibilityEvents::shared();
        if (now < 0 || !events.isListening())
            continue;
        if (QAccessibleInterface *element = child(at + 1)) {
            QAccessibleStateChangeEvent event(element, state);
            events.post(&event);
        }
    }
}

void ItemViewAccessible::layOut(const QModelIndex &parent) const
{
    QTreeView *tree = view();
    QAbstractItemModel *model = tree->model();
    const int rows = model->rowCount(parent);
    Run run{parent, 0, 0, m_shownRows};
    const auto endRun = [this, &run, &parent](int next) {
        if (run.count > 0)
            m_runs.push_back(run);
        run = Run{parent, next, 0, m_shownRows};
    };
    for (int row = 0; row < rows; ++row) {
        if (tree->isRowHidden(row, parent)) {
            endRun(row + 1);
            continue;
        }
        ++run.count;
        ++m_shownRows;
        const QModelIndex index = model->index(row, 0, parent);
        // Depth first, as the view lays its rows out: an open row's rows follow it.
        if (model->hasChildren(index) && tree->isExpanded(index)) {
            endRun(row + 1);
            layOut(index);
            run.position = m_shownRows;
        }
    }
    endRun(rows);
}

QModelIndex ItemViewAccessible::rowAt(int position) const
{
    const auto after = std::upper_bound(m_runs.begin(), m_runs.end(), position,
                                        [](int at, const Run &run) { return at < run.position; });
    if (after == m_runs.begin())
        return {};
    const Run &run = *std::prev(after);
    if (position >= run.position + run.count)
        return {};
    return view()->model()->index(run.firstRow + position - run.position, 0, run.parent);
}

int ItemViewAccessible::positionOf(const QModelIndex &index) const
{
    if (!index.isValid() || index.model() != view()->model())
        return -1;
    const QModelIndex parent = index.parent();
    for (const Run &run : m_runs)
        if (run.parent == parent && index.row() >= run.firstRow && index.row() < run.firstRow + run.count)
            return run.position + index.row() - run.firstRow;
    return -1;
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
    m_runs.clear();
    m_shownRows = 0;
    if (model != nullptr)
        layOut(tree->rootIndex());
    // Rows that went take what a reader saw of them along.
    m_seenBoxes.removeIf([](const auto &seen) { return !seen.key().isValid(); });
    // A row that is still shown keeps its element; the elements of rows no longer shown are dropped.
    const std::vector<QAccessible::Id> previous = std::exchange(m_elements, {});
    m_elementAt.clear();
    for (QAccessible::Id id : previous) {
        auto *element = static_cast<RowElement *>(QAccessible::accessibleInterface(id));
        const int at = element != nullptr && element->index().isValid() ? positionOf(element->index()) : -1;
        if (at >= 0 && !m_elementAt.contains(at)) {
            m_elementAt.insert(at, id);
            m_elements.push_back(id);
        } else if (element != nullptr) {
            QAccessible::deleteAccessibleInterface(id);
        }
    }
}

int ItemViewAccessible::childCount() const
{
    update();
    return m_shownRows + 1;
}

QAccessibleInterface *ItemViewAccessible::child(int index) const
{
    update();
    if (index == 0) {
        if (m_header == 0 || QAccessible::accessibleInterface(m_header) == nullptr)
            m_header = QAccessible::registerAccessibleInterface(new HiddenHeaderElement(view()));
        return QAccessible::accessibleInterface(m_header);
    }
    const int position = index - 1;
    const QModelIndex row = rowAt(position);
    if (!row.isValid())
        return nullptr;
    if (const QAccessible::Id known = m_elementAt.value(position, 0))
        if (QAccessibleInterface *element = QAccessible::accessibleInterface(known))
            return element;
    const QAccessible::Role rowRole = role() == QAccessible::Tree ? QAccessible::TreeItem : QAccessible::ListItem;
    auto *element = new RowElement(view(), row, rowRole);
    const QAccessible::Id id = QAccessible::registerAccessibleInterface(element);
    m_elementAt.insert(position, id);
    m_elements.push_back(id);
    // What the reader reads of the row's box from now on is told when it changes; a row seen before keeps the box it
    // was seen with until the change is told.
    if (const QPersistentModelIndex key(row); !m_seenBoxes.contains(key))
        m_seenBoxes.insert(key, checkStateOf(row));
    return element;
}

int ItemViewAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    if (child == nullptr)
        return -1;
    if (m_header != 0 && QAccessible::accessibleInterface(m_header) == child)
        return 0;
    const auto *row = dynamic_cast<const RowElement *>(child);
    if (row == nullptr || !row->isRowOf(view()))
        return -1;
    update();
    const int position = positionOf(row->index());
    if (position < 0 || QAccessible::accessibleInterface(m_elementAt.value(position, 0)) != child)
        return -1;
    return position + 1;
}

QAccessibleInterface *ItemViewAccessible::rowInterface(const QModelIndex &index) const
{
    update();
    const int position = positionOf(index);
    return position < 0 ? nullptr : child(position + 1);
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
