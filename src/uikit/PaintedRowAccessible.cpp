#include "uikit/PaintedRowAccessible.h"

#include "uikit/AccessibleRowActions.h"

#include <QAbstractItemView>
#include <QWindow>

namespace knvt {

PaintedRowAccessible::PaintedRowAccessible(QAbstractItemView *view, const QModelIndex &index, QAccessible::Role role)
    : m_view(view), m_index(index), m_role(role)
{}

bool PaintedRowAccessible::isValid() const
{
    return !m_view.isNull() && m_index.isValid();
}

QObject *PaintedRowAccessible::object() const
{
    return nullptr;
}

QWindow *PaintedRowAccessible::window() const
{
    return m_view ? m_view->window()->windowHandle() : nullptr;
}

QAccessibleInterface *PaintedRowAccessible::parent() const
{
    return QAccessible::queryAccessibleInterface(m_view.data());
}

QAccessibleInterface *PaintedRowAccessible::child(int) const
{
    return nullptr;
}

QAccessibleInterface *PaintedRowAccessible::childAt(int, int) const
{
    return nullptr;
}

int PaintedRowAccessible::childCount() const
{
    return 0;
}

int PaintedRowAccessible::indexOfChild(const QAccessibleInterface *) const
{
    return -1;
}

QString PaintedRowAccessible::text(QAccessible::Text t) const
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

void PaintedRowAccessible::setText(QAccessible::Text, const QString &) {}

QRect PaintedRowAccessible::rect() const
{
    if (!isValid())
        return {};
    const QRect local = m_view->visualRect(m_index);
    return QRect(m_view->viewport()->mapToGlobal(local.topLeft()), local.size());
}

QAccessible::Role PaintedRowAccessible::role() const
{
    return m_role;
}

QAccessible::State PaintedRowAccessible::state() const
{
    QAccessible::State state;
    if (!isValid()) {
        state.invalid = true;
        return state;
    }
    state.invisible = !m_view->isVisible() || !m_view->viewport()->rect().intersects(m_view->visualRect(m_index));
    state.disabled = !m_index.flags().testFlag(Qt::ItemIsEnabled);
    const QVariant check = m_index.data(Qt::CheckStateRole);
    if (check.isValid()) {
        state.checkable = true;
        state.checked = check.toInt() == Qt::Checked;
        state.checkStateMixed = check.toInt() == Qt::PartiallyChecked;
    }
    return state;
}

void *PaintedRowAccessible::interface_cast(QAccessible::InterfaceType t)
{
    return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this) : nullptr;
}

QStringList PaintedRowAccessible::actionNames() const
{
    const auto *actions = dynamic_cast<const AccessibleRowActions *>(m_view.data());
    return isValid() && actions != nullptr ? actions->accessibleActionNames(m_index) : QStringList();
}

void PaintedRowAccessible::doAction(const QString &actionName)
{
    auto *actions = dynamic_cast<AccessibleRowActions *>(m_view.data());
    if (isValid() && actions != nullptr && actionNames().contains(actionName))
        actions->performAccessibleAction(m_index, actionName);
}

QStringList PaintedRowAccessible::keyBindingsForAction(const QString &) const
{
    return {};
}

} // namespace knvt
