#include "accounts/PaintedRowList.h"

#include "uikit/TableViewAdditions.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>

namespace knvt {

namespace {

bool isChecked(const QModelIndex &index)
{
    return index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
}

bool showsCheckBox(const QModelIndex &index)
{
    return index.data(Qt::CheckStateRole).isValid();
}

bool canTick(const QModelIndex &index)
{
    return showsCheckBox(index) && index.flags().testFlag(Qt::ItemIsUserCheckable)
        && index.flags().testFlag(Qt::ItemIsEnabled);
}

// One row of the list as assistive technology reads it: what the row says, whether it is chosen or ticked, and its
// buttons (and ticking, where it has a check box) as actions.
class RowAccessible final : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    RowAccessible(PaintedRowList *view, const QModelIndex &index) : m_view(view), m_index(index) {}

    bool isValid() const override { return m_view && m_index.isValid() && m_view->model() == m_index.model(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_view && m_view->window() ? m_view->window()->windowHandle() : nullptr; }

    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(m_view.data()); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }

    QString text(QAccessible::Text t) const override
    {
        if (!isValid())
            return QString();
        switch (t) {
        case QAccessible::Name: {
            const QString name = m_index.data(Qt::AccessibleTextRole).toString();
            return name.isEmpty() ? m_index.data(Qt::DisplayRole).toString() : name;
        }
        case QAccessible::Description: return m_index.data(Qt::AccessibleDescriptionRole).toString();
        default: return QString();
        }
    }
    void setText(QAccessible::Text, const QString &) override {}

    QRect rect() const override
    {
        if (!isValid())
            return QRect();
        const QRect local = m_view->visualRect(m_index);
        if (local.isNull())
            return QRect();
        return QRect(m_view->viewport()->mapToGlobal(local.topLeft()), local.size());
    }

    QAccessible::Role role() const override { return QAccessible::ListItem; }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        const QRect shown(m_view->viewport()->mapToGlobal(QPoint(0, 0)), m_view->viewport()->size());
        if (!m_view->isVisible() || !shown.intersects(rect()))
            state.invisible = true;
        const Qt::ItemFlags flags = m_index.flags();
        if (!flags.testFlag(Qt::ItemIsEnabled))
            state.disabled = true;
        const bool selectable =
            flags.testFlag(Qt::ItemIsSelectable) && m_view->selectionMode() != QAbstractItemView::NoSelection;
        if (selectable) {
            state.selectable = true;
            if (m_view->selectionMode() == QAbstractItemView::ExtendedSelection)
                state.extSelectable = true;
            if (m_view->selectionMode() == QAbstractItemView::MultiSelection)
                state.multiSelectable = true;
        }
        if (m_view->selectionModel() && m_view->selectionModel()->isSelected(m_index))
            state.selected = true;
        if (selectable || canTick(m_index) || !PaintedRowList::rowActions(m_index).isEmpty())
            state.focusable = m_view->focusPolicy() != Qt::NoFocus;
        if (m_view->currentIndex() == m_index && m_view->hasFocus())
            state.focused = true;
        if (showsCheckBox(m_index)) {
            state.checkable = true;
            state.checked = isChecked(m_index);
            // A ticked box the user may not change still says whether the person is chosen.
            state.readOnly = !canTick(m_index);
        }
        return state;
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this) : nullptr;
    }

    QStringList actionNames() const override
    {
        if (!isValid())
            return {};
        QStringList names;
        if (canTick(m_index))
            names << toggleAction();
        names << PaintedRowList::rowActions(m_index);
        return names;
    }

    QString localizedActionName(const QString &name) const override
    {
        return name == toggleAction() ? QAccessibleActionInterface::localizedActionName(name) : name;
    }

    QString localizedActionDescription(const QString &name) const override
    {
        return name == toggleAction() ? QAccessibleActionInterface::localizedActionDescription(name) : name;
    }

    void doAction(const QString &name) override
    {
        if (!isValid())
            return;
        if (name == toggleAction()) {
            if (canTick(m_index)) {
                m_view->model()->setData(m_index, isChecked(m_index) ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
            }
            return;
        }
        const qsizetype action = PaintedRowList::rowActions(m_index).indexOf(name);
        if (action >= 0)
            m_view->triggerRowAction(m_index, int(action));
    }

    QStringList keyBindingsForAction(const QString &name) const override
    {
        if (name == toggleAction())
            return {QKeySequence(Qt::Key_Space).toString(QKeySequence::NativeText)};
        return {};
    }

private:
    QPointer<PaintedRowList> m_view;
    QPersistentModelIndex m_index;
};

// The list as assistive technology reads it: its rows as its children, and while it is empty the text it shows
// instead ("No Notifications") as its description.
class PaintedRowListAccessible final : public QAccessibleWidget
{
public:
    explicit PaintedRowListAccessible(PaintedRowList *view) : QAccessibleWidget(view, QAccessible::List) {}

    PaintedRowList *view() const { return static_cast<PaintedRowList *>(widget()); }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Description && view()->accessibleDescription().isEmpty() && rows() == 0
            && isLabelVisible(view())) {
            return labelText(view());
        }
        return QAccessibleWidget::text(t);
    }

    int childCount() const override { return rows(); }

    QAccessibleInterface *child(int index) const override
    {
        return index >= 0 && index < rows() ? view()->accessibleRow(index) : nullptr;
    }

    int indexOfChild(const QAccessibleInterface *child) const override
    {
        for (int row = 0; row < rows(); ++row) {
            if (view()->accessibleRow(row) == child)
                return row;
        }
        return -1;
    }

    QAccessibleInterface *childAt(int x, int y) const override
    {
        const QModelIndex index = view()->indexAt(view()->viewport()->mapFromGlobal(QPoint(x, y)));
        return index.isValid() ? view()->accessibleRow(index.row()) : nullptr;
    }

private:
    int rows() const { return view()->model() ? view()->model()->rowCount(view()->rootIndex()) : 0; }
};

QAccessibleInterface *createListInterface(const QString &className, QObject *object)
{
    if (className != QLatin1String("knvt::PaintedRowList"))
        return nullptr;
    auto *view = qobject_cast<PaintedRowList *>(object);
    return view != nullptr ? new PaintedRowListAccessible(view) : nullptr;
}

} // namespace

PaintedRowList::PaintedRowList(QWidget *parent) : QListView(parent)
{
    installAccessibility();
    setObjectName(QStringLiteral("tableView"));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

PaintedRowList::~PaintedRowList()
{
    forgetAllRows();
}

void PaintedRowList::installAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(&createListInterface);
        return true;
    }();
    Q_UNUSED(installed);
}

void PaintedRowList::setModel(QAbstractItemModel *model)
{
    forgetAllRows();
    if (QAbstractItemModel *old = this->model())
        disconnect(old, nullptr, this, nullptr);
    QListView::setModel(model);
    if (!model)
        return;
    connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, this, &PaintedRowList::forgetRows);
    connect(model, &QAbstractItemModel::modelAboutToBeReset, this, &PaintedRowList::forgetAllRows);
    connect(model, &QAbstractItemModel::layoutAboutToBeChanged, this, &PaintedRowList::forgetAllRows);
    connect(model, &QAbstractItemModel::dataChanged, this, &PaintedRowList::announceCheckStates);
}

QStringList PaintedRowList::rowActions(const QModelIndex &index)
{
    return index.isValid() ? index.data(RowActionsRole).toStringList() : QStringList();
}

void PaintedRowList::triggerRowAction(const QModelIndex &index, int action)
{
    if (action < 0 || action >= rowActions(index).size())
        return;
    emit rowActionTriggered(index, action);
}

QMenu *PaintedRowList::makeRowActionMenu(const QModelIndex &index)
{
    const QStringList titles = rowActions(index);
    if (titles.isEmpty())
        return nullptr;
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("rowActionMenu"));
    const QPersistentModelIndex row(index);
    for (qsizetype i = 0; i < titles.size(); ++i) {
        QAction *action = menu->addAction(titles.at(i));
        connect(action, &QAction::triggered, this, [this, row, i] {
            if (row.isValid())
                triggerRowAction(row, int(i));
        });
    }
    return menu;
}

void PaintedRowList::openRowActionMenu(const QModelIndex &index, const QPoint &globalPosition)
{
    QMenu *menu = makeRowActionMenu(index);
    if (!menu)
        return;
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(globalPosition);
}

void PaintedRowList::keyPressEvent(QKeyEvent *event)
{
    const QModelIndex current = currentIndex();
    const QStringList actions = rowActions(current);
    const int key = event->key();
    const bool press = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space;
    if (!actions.isEmpty() && event->modifiers() == Qt::NoModifier && press) {
        if (actions.size() == 1)
            triggerRowAction(current, 0);
        else
            openRowActionMenu(current, viewport()->mapToGlobal(visualRect(current).center()));
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

void PaintedRowList::contextMenuEvent(QContextMenuEvent *event)
{
    // From the keyboard the menu belongs to the focused row; from the mouse to the row under the pointer.
    const QModelIndex index = event->reason() == QContextMenuEvent::Mouse ? indexAt(event->pos()) : currentIndex();
    if (rowActions(index).isEmpty()) {
        QListView::contextMenuEvent(event);
        return;
    }
    const QPoint at = event->reason() == QContextMenuEvent::Mouse ? event->globalPos()
                                                                  : viewport()->mapToGlobal(visualRect(index).center());
    openRowActionMenu(index, at);
    event->accept();
}

QAccessibleInterface *PaintedRowList::accessibleRow(int row)
{
    if (!model() || row < 0 || row >= model()->rowCount(rootIndex()))
        return nullptr;
    const QPersistentModelIndex index(model()->index(row, 0, rootIndex()));
    if (const auto found = m_rowInterfaces.constFind(index); found != m_rowInterfaces.constEnd()) {
        if (QAccessibleInterface *interface = QAccessible::accessibleInterface(found.value()))
            return interface;
    }
    auto *interface = new RowAccessible(this, index);
    m_rowInterfaces.insert(index, QAccessible::registerAccessibleInterface(interface));
    return interface;
}

void PaintedRowList::forgetRows(const QModelIndex &parent, int first, int last)
{
    if (parent != rootIndex())
        return;
    for (auto it = m_rowInterfaces.begin(); it != m_rowInterfaces.end();) {
        const int row = it.key().row();
        if (!it.key().isValid() || (row >= first && row <= last)) {
            QAccessible::deleteAccessibleInterface(it.value());
            it = m_rowInterfaces.erase(it);
        } else {
            ++it;
        }
    }
}

void PaintedRowList::forgetAllRows()
{
    for (const unsigned int id : std::as_const(m_rowInterfaces))
        QAccessible::deleteAccessibleInterface(id);
    m_rowInterfaces.clear();
}

void PaintedRowList::announceCheckStates(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                                         const QList<int> &roles)
{
    if (!QAccessible::isActive() || (!roles.isEmpty() && !roles.contains(Qt::CheckStateRole)))
        return;
    for (int row = topLeft.row(); row <= bottomRight.row(); ++row) {
        QAccessibleInterface *interface = accessibleRow(row);
        if (!interface || !showsCheckBox(model()->index(row, 0, rootIndex())))
            continue;
        QAccessible::State changed;
        changed.checked = true;
        QAccessibleStateChangeEvent event(interface, changed);
        QAccessible::updateAccessibility(&event);
    }
}

} // namespace knvt
