#pragma once

#include "lists/KNVTApplicationServices.h"

#include "uikit/Command.h"

#include <QDateTime>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>

#include <memory>
#include <vector>

class KNVTCDTag;
class KNVTCDTask;
class KNVTCDTaskList;
class KNVTCDUser;
class QAbstractItemView;
class QDialog;
class QLineEdit;
class QWidget;

namespace knvt {

class CommandTarget;
class Popover;

// What a new task is made with: the form's values, as the new-task popover and window are prefilled and read back.
struct NewTaskValues
{
    QString title;
    qint64 status = 2;
    qint64 priority = 0;
    QString notes;
    QDateTime startDate;
    QDateTime dueDate;
    KNVTCDTaskList *taskList = nullptr;
    KNVTCDUser *assignee = nullptr;
    std::vector<KNVTCDTag *> tags;
    // Tags the user typed that do not exist yet; the new task makes them when it is saved.
    QStringList tagTitles;
    std::vector<KNVTCDUser *> watchers;
};

// The read-only task detail of the main window's right pane.
class TaskDetail
{
public:
    virtual ~TaskDetail() = default;
    virtual QWidget *view() = 0;
    virtual KNVTCDTask *task() const = 0;
    // nullptr shows nothing.
    virtual void setTask(KNVTCDTask *task) = 0;
    // The table the focus cycle of the main window enters.
    virtual QAbstractItemView *tableView() = 0;
    // What carries out `command` when the detail takes it (Delete and Edit while the keyboard is on a comment row),
    // else nullptr: the window's own target then decides.
    virtual CommandTarget *commandTargetFor(Command command) = 0;
    // Called with true for Tab and false for Back-tab in the detail; the shell moves the focus.
    std::function<void(bool next)> tabHandler;
};

// The content of a new-task popover or window: the values it holds now and its title field.
class TaskNewForm
{
public:
    virtual ~TaskNewForm() = default;
    virtual QWidget *view() = 0;
    virtual NewTaskValues values() const = 0;
    virtual QLineEdit *titleTextField() = 0;
    // Called with the task a save of the form inserted, before the form closes.
    virtual void setInsertedHandler(std::function<void(const QUrl &)> handler) = 0;
};

// A window of the application that closes itself; the registries hear of it through `willClose`.
class ApplicationWindow
{
public:
    virtual ~ApplicationWindow() = default;
    virtual QWidget *window() = 0;
    // Opens the window as `opener` says (KeyboardOwner): the user's command brings it in front with the keyboard.
    virtual void showWindow(Opener opener) = 0;
    virtual void close() = 0;
    // Called once when the window closes, before it goes away; the owner may release the controller then (later).
    std::function<void(ApplicationWindow *)> willClose;
};

// A task's own window.
class TaskWindow : public ApplicationWindow, public KNVTApplicationServices::TaskWindow
{
public:
    virtual KNVTCDTask *task() const = 0;
    void showWindow(QObject *, Opener opener) override { showWindow(opener); }
    using ApplicationWindow::showWindow;
};

// A new-task window: a form of its own.
class TaskNewWindow : public ApplicationWindow
{
public:
    virtual TaskNewForm *form() = 0;
};

// The re-authentication window: it reports Save and Cancel; what they do to the account is its own business.
class AuthenticationFailureWindow : public ApplicationWindow
{
public:
    std::function<void()> didSave;
    std::function<void()> didCancel;
};

// How the shell makes every window, sheet and popover content of the editors and of the account windows. Each
// operation is named after the controller it stands for. Sheets come as window-modal dialogs parented to `parent`,
// not yet opened: the caller opens them and hears `finished`. Popover contents are parented to their popover.
class WindowFactory
{
public:
    virtual ~WindowFactory() = default;

    // -- Task detail and editors ---------------------------------------------------------------------------------
    virtual std::unique_ptr<TaskDetail> taskViewController(KNVTCDTask *task) = 0;
    virtual std::unique_ptr<TaskNewForm> taskNewViewController(const NewTaskValues &values, Popover *popover) = 0;
    virtual std::unique_ptr<TaskNewWindow> taskNewWindowController(const NewTaskValues &values) = 0;
    virtual std::unique_ptr<TaskWindow> taskWindowController(KNVTCDTask *task) = 0;
    virtual QDialog *taskSheetWindowController(KNVTCDTask *task, QWidget *parent) = 0;
    // The editor of a task in a popover; its title field takes the focus once shown.
    virtual QWidget *taskEditViewController(KNVTCDTask *task, Popover *popover) = 0;
    virtual QDialog *taskEditWindowController(KNVTCDTask *task, QWidget *parent) = 0;
    virtual QWidget *taskCommentNewViewController(KNVTCDTask *task, const QString &commentText, Popover *popover) = 0;
    virtual QWidget *tasksAssignViewController(const std::vector<KNVTCDTask *> &tasks, Popover *popover) = 0;
    virtual QDialog *scheduleTasksWindowController(const std::vector<KNVTCDTask *> &tasks, QWidget *parent) = 0;
    virtual QDialog *tasksAssignWindowController(const std::vector<KNVTCDTask *> &tasks, QWidget *parent) = 0;
    virtual QDialog *projectNewWindowController(QWidget *parent) = 0;
    virtual QDialog *areaNewWindowController(QWidget *parent) = 0;
    virtual QDialog *tagNewWindowController(QWidget *parent) = 0;
    virtual QDialog *projectWindowController(KNVTCDTaskList *project, QWidget *parent) = 0;
    virtual QDialog *areaWindowController(KNVTCDTaskList *area, QWidget *parent) = 0;
    virtual QDialog *projectEditWindowController(KNVTCDTaskList *project, QWidget *parent) = 0;
    virtual QDialog *areaEditWindowController(KNVTCDTaskList *area, QWidget *parent) = 0;
    virtual QDialog *tagEditWindowController(KNVTCDTag *tag, QWidget *parent) = 0;

    // -- Accounts, preferences and people ------------------------------------------------------------------------
    virtual std::unique_ptr<ApplicationWindow> preferenceWindowController() = 0;
    virtual std::unique_ptr<ApplicationWindow> usersWindowController() = 0;
    virtual std::unique_ptr<AuthenticationFailureWindow> authenticationFailureWindowController() = 0;
    virtual QWidget *notificationsViewController(Popover *popover) = 0;
    virtual QDialog *taskListSharingSettingsWindowController(KNVTCDTaskList *taskList, QWidget *parent) = 0;

    // The factory the shell uses: the application's own (ApplicationWindowFactory) unless a test installed another
    // (not owned).
    static WindowFactory &shared();
    static void setShared(WindowFactory *factory);
};

} // namespace knvt
