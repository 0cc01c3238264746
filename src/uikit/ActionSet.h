#pragma once

#include "uikit/Command.h"
#include "uikit/CommandTarget.h"

#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <map>

class QAction;
class QMenu;
class QToolButton;
class QWidget;

namespace knvt {

// The one action of each command of a window. The menu bar, the toolbar, the context menus and the keys of the window
// all show and trigger these actions, so a command has one title, one set of keys and one enabling rule wherever it
// is offered. What the actions act on is the set's target; validate() asks it about every command and every place
// that shows an action follows. The set validates again whenever a menu showing its actions opens and before a key
// pressed in its window is matched, so a key always finds the state of the moment.
//
// A command's keys work anywhere in the window, except Edit's Return and Enter, which work only while the keyboard
// focus is in one of the panes given to addPane() (a text field keeps its Return).
class ActionSet : public QObject
{
    Q_OBJECT

public:
    // Makes the actions of `commands` in `window`, which owns the set.
    ActionSet(QWidget *window, const QList<Command> &commands);
    ~ActionSet() override;

    QWidget *window() const { return m_window; }
    // The action of the command, or nullptr when the window does not offer it.
    QAction *action(Command command) const;
    // The menu of Mark, Move To or Assign To, or nullptr.
    QMenu *menu(Command command) const;

    CommandTarget *target() const { return m_target; }
    // Not owned; the set validates at once.
    void setTarget(CommandTarget *target);

    // Brings every action up to date with the target. The Move To and Assign To menus are filled only when they are
    // about to show, by the pass their opening sets off.
    void validate();
    // Validates, then runs the command when it is enabled; false (nothing done) when it is disabled or missing.
    bool activate(Command command, QWidget *source = nullptr);

    // A pane of the window where Edit's Return and Enter work.
    void addPane(QWidget *pane);
    // A button of the window's toolbar for the command: it shows the action's short title (its icon text) and its
    // picture and follows its enabled state; a popover the command opens stands next to it.
    QToolButton *makeToolButton(Command command, const QString &objectName, QWidget *parent);
    // Validates whenever `menu` opens (the set's own menus do so already).
    void validateBeforeShowing(QMenu *menu);

    // A command's title and keys as every window shows them.
    static QString title(Command command);
    static QList<QKeySequence> keys(Command command);

signals:
    void validated();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Entry
    {
        QAction *action = nullptr;
        QMenu *menu = nullptr;
    };

    void trigger(Command command);
    // A validation pass that also fills the menu of `opening` (Move To, Assign To), or none when it is nullptr.
    void validateFilling(QMenu *opening);

    QPointer<QWidget> m_window;
    std::map<Command, Entry> m_entries;
    CommandTarget *m_target = nullptr;
    QPointer<QWidget> m_source;
    bool m_validating = false;
};

} // namespace knvt
