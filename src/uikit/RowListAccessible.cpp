#include "uikit/RowListAccessible.h"

#include "uikit/AccessibleRowActions.h"

#include <QListView>
#include <QPersistentModelIndex>
#include <QPointer>

namespace knvt {

namespace {

QAccessibleInterface *createRowListInterface(const QString &, QObject *object)
{
    auto *view = qobject_cast<QListView *>(object);
    if (view == nullptr || dynamic_cast<AccessibleRowActions *>(view) == nullptr)
        return nullptr;
    return new RowListAccessible(view);
}

// One painted row. It has no widget of its own; it stays valid while its model row exists.
class RowAccessible : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    RowAccessible(QListView *view, const QModelIndex &index) : m_view(view), m_index(index) {}

    QModelIndex index() const { return m_index; }

    bool isValid() const override { return m_view && m_index.isValid(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_view ? m_view->window()->windowHandle() : nullptr; }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(m_view.data()); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    void setText(QAccessible::Text, const QString &) override {}
    QAccessible::Role role() const override { return QAccessible::ListItem; }

    QString text(QAccessible::Text t) const override
    {
        if (!isValid())
            return {};
        switch (t) {
        case QAccessible::Name: {
            const QString accessible = m_index.data(Qt::AccessibleTextRole).toString();
            return accessible.isEmpty() ? m_index.data(Qt::DisplayRole).toString() : accessible;
        }
        case QAccessible::Description: return m_index.data(Qt::AccessibleDescriptionRole).toString();
        default: return {};
        }
    }

    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect local = m_view->visualRect(m_index);
        return QRect(m_view->viewport()->mapToGlobal(local.topLeft()), local.size());
    }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        state.invisible = !m_view->isVisible() || !m_view->viewport()->rect().intersects(m_view->visualRect(m_index));
        state.focusable = (m_index.flags() & Qt::ItemIsEnabled) != 0;
        state.focused = m_view->hasFocus() && m_view->currentIndex() == m_index;
        state.disabled = (m_index.flags() & Qt::ItemIsEnabled) == 0;
        state.readOnly = true;
        const QVariant check = m_index.data(Qt::CheckStateRole);
        if (check.isValid()) {
            state.checkable = true;
            state.checked = check.toInt() == Qt::Checked;
            state.checkStateMixed = check.toInt() == Qt::PartiallyChecked;
        }
        return state;
    }

    void *interface_cast(QAccessible::InterfaceType t) override
    {
        return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this) : nullptr;
    }

    QStringList actionNames() const override
    {
        const auto *actions = dynamic_cast<const AccessibleRowActions *>(m_view.data());
        return isValid() && actions != nullptr ? actions->accessibleActionNames(m_index) : QStringList();
    }

    void doAction(const QString &actionName) override
    {
        auto *actions = dynamic_cast<AccessibleRowActions *>(m_view.data());
        if (isValid() && actions != nullptr && actionNames().contains(actionName))
            actions->performAccessibleAction(m_index, actionName);
    }

    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    QPointer<QListView> m_view;
    QPersistentModelIndex m_index;
};

} // namespace

RowListAccessible::RowListAccessible(QListView *view) : QAccessibleWidget(view, QAccessible::List) {}

RowListAccessible::~RowListAccessible()
{
    for (QAccessible::Id id : std::as_const(m_rows))
        QAccessible::deleteAccessibleInterface(id);
}

QListView *RowListAccessible::view() const
{
    return static_cast<QListView *>(widget());
}

int RowListAccessible::childCount() const
{
    const QAbstractItemModel *model = view()->model();
    return model != nullptr ? model->rowCount(view()->rootIndex()) : 0;
}

QAccessibleInterface *RowListAccessible::child(int index) const
{
    const QAbstractItemModel *model = view()->model();
    if (model == nullptr || index < 0 || index >= childCount())
        return nullptr;
    const QModelIndex row = model->index(index, 0, view()->rootIndex());
    if (const QAccessible::Id known = m_rows.value(index)) {
        auto *cached = static_cast<RowAccessible *>(QAccessible::accessibleInterface(known));
        if (cached != nullptr && cached->isValid() && cached->index() == row)
            return cached;
        // The rows were rebuilt or moved since: the old element goes, a new one stands for the row.
        QAccessible::deleteAccessibleInterface(known);
    }
    auto *element = new RowAccessible(view(), row);
    m_rows.insert(index, QAccessible::registerAccessibleInterface(element));
    return element;
}

int RowListAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    for (auto it = m_rows.cbegin(); it != m_rows.cend(); ++it) {
        if (QAccessible::accessibleInterface(it.value()) == child)
            return child->isValid() ? static_cast<const RowAccessible *>(child)->index().row() : -1;
    }
    return -1;
}

QAccessibleInterface *RowListAccessible::focusChild() const
{
    const QModelIndex current = view()->currentIndex();
    return view()->hasFocus() && current.isValid() ? child(current.row()) : nullptr;
}

void RowListAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(&createRowListInterface);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace knvt
