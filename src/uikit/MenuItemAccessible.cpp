#include "uikit/MenuItemAccessible.h"

#include "uikit/AccessibleFactory.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QWindow>

namespace knvt {

namespace {

bool isMenu(const QObject *object)
{
    return qobject_cast<const QMenu *>(object) != nullptr || qobject_cast<const QMenuBar *>(object) != nullptr;
}

// The title as the menu shows it: "&&" is one "&", a single "&" marks the mnemonic and is not shown.
QString withoutMnemonic(const QString &text)
{
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&')) {
            if (i + 1 < text.size() && text[i + 1] == QLatin1Char('&'))
                shown += text[++i];
            continue;
        }
        shown += text[i];
    }
    return shown;
}

} // namespace

MenuItemAccessible::MenuItemAccessible(QAction *action) : m_action(action) {}

void MenuItemAccessible::install()
{
    installAccessibleFactory<MenuItemAccessible, QAction>();
}

QWidget *MenuItemAccessible::owner() const
{
    if (m_action.isNull())
        return nullptr;
    QWidget *menuBar = nullptr;
    QWidget *anyMenu = nullptr;
    QWidget *openMenu = nullptr;
    const QList<QObject *> holders = m_action->associatedObjects();
    for (QObject *holder : holders) {
        if (!isMenu(holder))
            continue;
        auto *widget = static_cast<QWidget *>(holder);
        if (!widget->actions().contains(m_action.data()))
            continue;
        if (anyMenu == nullptr)
            anyMenu = widget;
        if (qobject_cast<QMenuBar *>(widget) != nullptr && menuBar == nullptr)
            menuBar = widget;
        if (qobject_cast<QMenu *>(widget) != nullptr && widget->isVisible()
            && (openMenu == nullptr || widget == QApplication::activePopupWidget()))
            openMenu = widget;
    }
    if (openMenu != nullptr)
        return openMenu;
    return menuBar != nullptr ? menuBar : anyMenu;
}

bool MenuItemAccessible::isValid() const
{
    return !m_action.isNull() && owner() != nullptr;
}

QObject *MenuItemAccessible::object() const
{
    return m_action.data();
}

QWindow *MenuItemAccessible::window() const
{
    QWidget *widget = owner();
    return widget != nullptr ? widget->window()->windowHandle() : nullptr;
}

QAccessibleInterface *MenuItemAccessible::parent() const
{
    return QAccessible::queryAccessibleInterface(owner());
}

int MenuItemAccessible::childCount() const
{
    return !m_action.isNull() && m_action->menu() != nullptr ? 1 : 0;
}

QAccessibleInterface *MenuItemAccessible::child(int index) const
{
    if (index != 0 || childCount() == 0)
        return nullptr;
    return QAccessible::queryAccessibleInterface(m_action->menu());
}

int MenuItemAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    return child != nullptr && childCount() > 0 && child->object() == m_action->menu() ? 0 : -1;
}

QAccessibleInterface *MenuItemAccessible::childAt(int x, int y) const
{
    QAccessibleInterface *submenu = child(0);
    return submenu != nullptr && submenu->rect().contains(x, y) ? submenu : nullptr;
}

QString MenuItemAccessible::text(QAccessible::Text t) const
{
    if (m_action.isNull())
        return {};
    switch (t) {
    case QAccessible::Name: return withoutMnemonic(m_action->text());
    case QAccessible::Accelerator: return m_action->shortcut().toString(QKeySequence::NativeText);
    default: return {};
    }
}

QRect MenuItemAccessible::rect() const
{
    QWidget *widget = owner();
    QRect area;
    if (auto *bar = qobject_cast<QMenuBar *>(widget))
        area = bar->actionGeometry(m_action.data());
    else if (auto *menu = qobject_cast<QMenu *>(widget))
        area = menu->actionGeometry(m_action.data());
    else
        return {};
    return area.translated(widget->mapToGlobal(QPoint(0, 0)));
}

QAccessible::Role MenuItemAccessible::role() const
{
    return !m_action.isNull() && m_action->isSeparator() ? QAccessible::Separator : QAccessible::MenuItem;
}

QAccessible::State MenuItemAccessible::state() const
{
    QAccessible::State state;
    QWidget *widget = owner();
    if (m_action.isNull() || widget == nullptr) {
        state.invalid = true;
        return state;
    }
    state.invisible = !widget->isVisible() || !m_action->isVisible();
    if (auto *menu = qobject_cast<QMenu *>(widget))
        state.focused = menu->activeAction() == m_action.data();
    else if (auto *bar = qobject_cast<QMenuBar *>(widget))
        state.focused = bar->activeAction() == m_action.data();
    state.focusable = !m_action->isSeparator();
    state.hotTracked = widget->style()->styleHint(QStyle::SH_Menu_MouseTracking, nullptr, widget) != 0;
    state.disabled = m_action->isSeparator() || !m_action->isEnabled();
    state.checkable = m_action->isCheckable();
    state.checked = m_action->isChecked();
    state.hasPopup = m_action->menu() != nullptr;
    return state;
}

void *MenuItemAccessible::interface_cast(QAccessible::InterfaceType t)
{
    return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this) : nullptr;
}

QStringList MenuItemAccessible::actionNames() const
{
    if (m_action.isNull() || m_action->isSeparator())
        return {};
    return {m_action->menu() != nullptr ? showMenuAction() : pressAction()};
}

void MenuItemAccessible::doAction(const QString &actionName)
{
    if (m_action.isNull() || !m_action->isEnabled() || !actionNames().contains(actionName))
        return;
    if (actionName == pressAction()) {
        m_action->trigger();
        return;
    }
    QMenu *submenu = m_action->menu();
    if (submenu->isVisible()) {
        submenu->hide();
        return;
    }
    QWidget *widget = owner();
    if (auto *bar = qobject_cast<QMenuBar *>(widget))
        bar->setActiveAction(m_action.data());
    else if (auto *menu = qobject_cast<QMenu *>(widget))
        menu->setActiveAction(m_action.data());
}

QStringList MenuItemAccessible::keyBindingsForAction(const QString &actionName) const
{
    // The keys the item shows, each of them (Delete has three); a command that gave up its shared key has none.
    QStringList keys;
    if (m_action.isNull() || !actionNames().contains(actionName))
        return keys;
    const QList<QKeySequence> shortcuts = m_action->shortcuts();
    for (const QKeySequence &shortcut : shortcuts)
        keys << shortcut.toString(QKeySequence::NativeText);
    return keys;
}

} // namespace knvt
