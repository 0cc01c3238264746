#pragma once

#include <QAccessibleActionInterface>
#include <QAccessibleInterface>
#include <QPointer>

class QAction;
class QWidget;

namespace knvt {

// What a screen reader reads of an action shown as a menu item: its title without the mnemonic mark, its keys, its
// state (shown, enabled, checked, the one the keyboard is on) and its submenu, with the press or show-menu action.
//
// A window's actions are shown in several menus at once (the menu bar's, the context menus made afresh for every
// right click, the toolbar's pop-ups), while a screen reader keeps one element per action. Qt's own element belongs to
// the first menu that was read and stops being valid when that menu goes, so that, once a context menu had been read
// and closed, the menu bar's menus read as empty until the program ended. This element belongs to whichever menu
// shows the action now: the open one, else the menu bar's, else any menu that holds it.
class MenuItemAccessible : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    explicit MenuItemAccessible(QAction *action);

    bool isValid() const override;
    QObject *object() const override;
    QWindow *window() const override;
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int index) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    int childCount() const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override;
    QAccessible::Role role() const override;
    QAccessible::State state() const override;
    void *interface_cast(QAccessible::InterfaceType t) override;

    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
    QStringList keyBindingsForAction(const QString &actionName) const override;

    // The menu or menu bar that shows the action now, or nullptr when none holds it.
    QWidget *owner() const;

    // Makes every action answer with this element; the action set calls it when it is made.
    static void install();

private:
    QPointer<QAction> m_action;
};

} // namespace knvt
