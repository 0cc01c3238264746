#pragma once

#include "editors/KNVTTaskEditWindowController.h"
#include "editors/KNVTTaskViewController.h"
#include "editors/KNVTTaskWindowControllerDelegate.h"

#include "uikit/CommandTarget.h"
#include "uikit/Popover.h"
#include "uikit/WeakDelegate.h"

#include <QMainWindow>
#include <QPointer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include <functional>

class KNVTCDTask;

namespace knvt {
class ActionSet;
}

// One task in a window of its own: the task detail fills it, and a toolbar offers Today, Assign, Comment, Edit, Mark,
// Delete and Done. The window is titled with the task and follows it; it closes by itself as soon as the task is
// deleted, here or anywhere else. Today, Assign, Comment and Edit are enabled while the task may be edited and is not
// archived; Mark and Delete follow the same rules as in the lists, with the same keys (Ctrl+., Alt+Backspace,
// Ctrl+Backspace); Done closes the window. New Task and Quit (Ctrl+N, Ctrl+Q) work here as in the main window, carried
// out by the application (knvt::ApplicationCommands). Each command is one action of the window's action set.
class KNVTTaskWindowController : public QMainWindow, public knvt::CommandTarget
{
    Q_OBJECT

public:
    explicit KNVTTaskWindowController(KNVTCDTask *task, QWidget *parent = nullptr);
    ~KNVTTaskWindowController() override;

    // nullptr once the task is gone or the window closed.
    KNVTCDTask *task() const;

    KNVTTaskWindowControllerDelegate *taskWindowControllerDelegate() const { return m_delegate.get(); }
    void setTaskWindowControllerDelegate(KNVTTaskWindowControllerDelegate *delegate) { m_delegate.set(delegate); }

    KNVTTaskViewController *taskViewController() const { return m_taskViewController; }
    QToolBar *toolbar() const { return m_toolbar; }
    QToolButton *todayButton() const { return m_todayButton; }
    QToolButton *assignButton() const { return m_assignButton; }
    QToolButton *commentButton() const { return m_commentButton; }
    QToolButton *editButton() const { return m_editButton; }
    QToolButton *markButton() const { return m_markButton; }
    QToolButton *deleteButton() const { return m_deleteButton; }
    QToolButton *doneButton() const { return m_doneButton; }
    knvt::ActionSet *actions() const { return m_actions; }

    // The open popovers and the edit sheet, or nullptr.
    knvt::Popover *taskEditPopover() const { return m_taskEditPopover; }
    knvt::Popover *taskCommentNewPopover() const { return m_taskCommentNewPopover; }
    knvt::Popover *assignTaskPopover() const { return m_assignTaskPopover; }
    KNVTTaskEditWindowController *taskEditWindowController() const { return m_taskEditWindowController; }

    // Title and enabling from the task.
    void updateToolbar();

    void validateCommand(knvt::Command command, knvt::CommandState &state) override;
    void performCommand(knvt::Command command, QWidget *source) override;

    // Today's toggle of every window (KNVTTaskStore::toggleToday); saved at once.
    Q_INVOKABLE void toggleToday(QObject *sender = nullptr);
    // Open (or, when open, close) the assign form and the comment composer next to `sender`.
    Q_INVOKABLE void assign(QObject *sender = nullptr);
    Q_INVOKABLE void comment(QObject *sender = nullptr);
    // From a button of this window's toolbar: the edit form in a popover next to it (a second use closes it);
    // from anything else (a menu item): the edit form in a sheet over this window.
    Q_INVOKABLE void edit(QObject *sender = nullptr);
    // Asks "Delete Task" unless the user said not to ask again, then deletes the task and closes the window.
    Q_INVOKABLE void deleteTask(QObject *sender = nullptr);
    Q_INVOKABLE void dismiss(QObject *sender = nullptr);
    // What dismiss() does instead of closing the window, for a host that shows this content inside a sheet.
    void setDismissHandler(std::function<void()> handler) { m_dismissHandler = std::move(handler); }

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // A change made elsewhere (a sync, another program), or the user's own here, may take the task away.
    void taskStoreWillChange(bool madeElsewhere);
    knvt::Popover *makePopover(QWidget *content, const QString &name, knvt::Popover::Behavior behavior);
    void closePopovers();

    QUrl m_taskURI;
    bool m_taskDropped = false;
    knvt::WeakDelegate<KNVTTaskWindowControllerDelegate> m_delegate;
    QPointer<KNVTTaskViewController> m_taskViewController;
    QToolBar *m_toolbar = nullptr;
    QToolButton *m_todayButton = nullptr;
    QToolButton *m_assignButton = nullptr;
    QToolButton *m_commentButton = nullptr;
    QToolButton *m_editButton = nullptr;
    QToolButton *m_markButton = nullptr;
    QToolButton *m_deleteButton = nullptr;
    QToolButton *m_doneButton = nullptr;
    knvt::ActionSet *m_actions = nullptr;
    QPointer<knvt::Popover> m_taskEditPopover;
    QPointer<knvt::Popover> m_taskCommentNewPopover;
    QPointer<knvt::Popover> m_assignTaskPopover;
    QPointer<KNVTTaskEditWindowController> m_taskEditWindowController;
    std::function<void()> m_dismissHandler;
};
