#include "app/ApplicationWindowFactory.h"

#include "app/KNVTPreferenceGeneralViewController.h"

#include "accounts/KNVTAuthenticationFailureWindowController.h"
#include "accounts/KNVTNotificationsViewController.h"
#include "accounts/KNVTPreferenceWindowController.h"
#include "accounts/KNVTTaskListSharingSettingsWindowController.h"
#include "accounts/KNVTUsersWindowController.h"

#include "editors/EditorObjects.h"
#include "editors/KNVTAreaEditWindowController.h"
#include "editors/KNVTAreaNewWindowController.h"
#include "editors/KNVTAreaWindowController.h"
#include "editors/KNVTProjectEditWindowController.h"
#include "editors/KNVTProjectNewWindowController.h"
#include "editors/KNVTProjectWindowController.h"
#include "editors/KNVTScheduleTasksWindowController.h"
#include "editors/KNVTTagEditWindowController.h"
#include "editors/KNVTTagNewWindowController.h"
#include "editors/KNVTTaskCommentNewViewController.h"
#include "editors/KNVTTaskEditViewController.h"
#include "editors/KNVTTaskEditWindowController.h"
#include "editors/KNVTTaskNewWindowController.h"
#include "editors/KNVTTaskSheetWindowController.h"
#include "editors/KNVTTaskViewController.h"
#include "editors/KNVTTaskWindowController.h"
#include "editors/KNVTTasksAssignViewController.h"
#include "editors/KNVTTasksAssignWindowController.h"

#include "model/KNVTCDTag.h"
#include "model/KNVTCDTask.h"

#include "uikit/KeyboardOwner.h"

#include <QCloseEvent>
#include <QPointer>

namespace knvt {

namespace {

// Shows a window as its opener says: above the others, ready for the keyboard, at the user's command.
void bringToFront(QWidget *window, Opener opener)
{
    KeyboardOwner::open(window, opener);
}

// A view controller shown in a popover the shell makes afterwards: the controller lives as long as its view.
QWidget *keptByItsView(KNVTViewController *controller)
{
    QWidget *view = controller->view();
    controller->setParent(view);
    return view;
}

// A top-level window kept by the application between its openings: showing it again brings it to the front, and the
// owner hears once that it closes.
template <class Base, class Window = QWidget>
class KeptWindow : public Base
{
public:
    explicit KeptWindow(Window *window) : m_window(window) {}
    ~KeptWindow() override { delete m_window.data(); }
    QWidget *window() override { return m_window; }
    void showWindow(Opener opener) override
    {
        m_closed = false;
        bringToFront(m_window, opener);
    }
    void close() override
    {
        if (m_window)
            m_window->close();
    }

protected:
    Window *keptWindow() const { return m_window; }
    void closing()
    {
        if (m_closed)
            return;
        m_closed = true;
        if (this->willClose)
            this->willClose(this);
    }

private:
    QPointer<Window> m_window;
    bool m_closed = false;
};

// One of the account windows: it hears of its closing from the window's close event.
template <class Base>
class AccountWindow : public QObject, public KeptWindow<Base>
{
public:
    explicit AccountWindow(QWidget *window) : KeptWindow<Base>(window) { window->installEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == this->keptWindow() && event->type() == QEvent::Close)
            this->closing();
        return false;
    }
};

// The window asking for the password again: its Save and Cancel reach the application through didSave and didCancel.
class FailureWindow final : public AccountWindow<AuthenticationFailureWindow>,
                            public KNVTAuthenticationFailureWindowControllerDelegate
{
public:
    FailureWindow() : AccountWindow(new KNVTAuthenticationFailureWindowController)
    {
        static_cast<KNVTAuthenticationFailureWindowController *>(window())
            ->setAuthenticationFailureWindowControllerDelegate(this);
    }
    void authenticationFailureWindowControllerDidSave(KNVTAuthenticationFailureWindowController *) override
    {
        if (didSave)
            didSave();
    }
    void authenticationFailureWindowControllerDidCancel(KNVTAuthenticationFailureWindowController *) override
    {
        if (didCancel)
            didCancel();
    }
};

class EditorTaskDetail final : public TaskDetail, public KNVTTaskViewControllerDelegate
{
public:
    explicit EditorTaskDetail(KNVTCDTask *task) : m_controller(std::make_unique<KNVTTaskViewController>(task))
    {
        m_controller->setTaskViewControllerDelegate(this);
    }
    QWidget *view() override { return m_controller->view(); }
    KNVTCDTask *task() const override { return m_controller->task(); }
    void setTask(KNVTCDTask *task) override { m_controller->setTask(task); }
    QAbstractItemView *tableView() override
    {
        m_controller->view();
        return m_controller->tableView();
    }
    CommandTarget *commandTargetFor(Command command) override
    {
        return m_controller->takesCommand(command) ? m_controller.get() : nullptr;
    }
    bool taskViewControllerShouldInsertTab(KNVTTaskViewController *) override
    {
        if (tabHandler)
            tabHandler(true);
        return false;
    }
    bool taskViewControllerShouldInsertBacktab(KNVTTaskViewController *) override
    {
        if (tabHandler)
            tabHandler(false);
        return false;
    }

private:
    std::unique_ptr<KNVTTaskViewController> m_controller;
};

class EditorTaskNewForm final : public TaskNewForm
{
public:
    explicit EditorTaskNewForm(KNVTTaskNewViewController *controller) : m_controller(controller) {}
    QWidget *view() override { return m_controller ? m_controller->view() : nullptr; }
    NewTaskValues values() const override
    {
        return m_controller ? ApplicationWindowFactory::newTaskValues(m_controller->currentValues()) : NewTaskValues();
    }
    QLineEdit *titleTextField() override { return m_controller ? m_controller->titleTextField() : nullptr; }
    void setInsertedHandler(std::function<void(const QUrl &)> handler) override
    {
        if (m_controller)
            QObject::connect(m_controller, &KNVTTaskNewViewController::taskInserted, m_controller,
                             [handler = std::move(handler)](const QUrl &uri) { handler(uri); });
    }

private:
    QPointer<KNVTTaskNewViewController> m_controller;
};

class EditorTaskNewWindow final : public KeptWindow<TaskNewWindow, KNVTTaskNewWindowController>,
                                  public KNVTTaskNewWindowControllerDelegate
{
public:
    explicit EditorTaskNewWindow(const NewTaskValues &values)
        : KeptWindow(new KNVTTaskNewWindowController(ApplicationWindowFactory::formValues(values))),
          m_form(keptWindow()->taskNewViewController())
    {
        keptWindow()->setTaskNewWindowControllerDelegate(this);
    }
    TaskNewForm *form() override { return &m_form; }
    void taskNewWindowControllerWillClose(KNVTTaskNewWindowController *) override { closing(); }

private:
    EditorTaskNewForm m_form;
};

class EditorTaskWindow final : public TaskWindow, public KNVTTaskWindowControllerDelegate
{
public:
    explicit EditorTaskWindow(KNVTCDTask *task) : m_window(new KNVTTaskWindowController(task)), m_task(task)
    {
        m_window->setTaskWindowControllerDelegate(this);
    }
    ~EditorTaskWindow() override { delete m_window.data(); }
    QWidget *window() override { return m_window; }
    void showWindow(Opener opener) override { bringToFront(m_window, opener); }
    void close() override
    {
        if (m_window)
            m_window->dismiss();
    }
    // The task the window was opened for, also once it is gone: the registry looks windows up by it.
    KNVTCDTask *task() const override { return m_task; }
    void edit(QObject *sender) override
    {
        if (m_window)
            m_window->edit(sender);
    }
    void taskWindowControllerWillClose(KNVTTaskWindowController *) override
    {
        if (willClose)
            willClose(this);
    }

private:
    QPointer<KNVTTaskWindowController> m_window;
    KNVTCDTask *m_task;
};

} // namespace

KNVTTaskNewViewController::Values ApplicationWindowFactory::formValues(const NewTaskValues &values)
{
    KNVTTaskNewViewController::Values form;
    form.title = values.title;
    form.status = unsigned(values.status);
    form.priority = unsigned(values.priority);
    form.notes = values.notes;
    form.startDate = values.startDate;
    form.dueDate = values.dueDate;
    form.taskList = values.taskList;
    form.assignee = values.assignee;
    for (const KNVTCDTag *tag : values.tags)
        form.tags.append(tag->uri());
    for (const QString &title : values.tagTitles)
        form.tags.append(title);
    form.watchers = values.watchers;
    return form;
}

NewTaskValues ApplicationWindowFactory::newTaskValues(const KNVTTaskNewViewController::Values &form)
{
    NewTaskValues values;
    values.title = form.title;
    values.status = form.status;
    values.priority = form.priority;
    values.notes = form.notes;
    values.startDate = form.startDate;
    values.dueDate = form.dueDate;
    values.taskList = form.taskList;
    values.assignee = form.assignee;
    for (const QVariant &token : form.tags) {
        if (token.typeId() == QMetaType::QUrl) {
            if (KNVTCDTag *tag = liveObject<KNVTCDTag>(token.toUrl()))
                values.tags.push_back(tag);
        } else {
            values.tagTitles.append(token.toString());
        }
    }
    values.watchers = form.watchers;
    return values;
}

std::unique_ptr<TaskDetail> ApplicationWindowFactory::taskViewController(KNVTCDTask *task)
{
    return std::make_unique<EditorTaskDetail>(task);
}

std::unique_ptr<TaskNewForm> ApplicationWindowFactory::taskNewViewController(const NewTaskValues &values,
                                                                             Popover *popover)
{
    auto *controller = new KNVTTaskNewViewController(formValues(values));
    controller->setPopover(popover);
    keptByItsView(controller);
    return std::make_unique<EditorTaskNewForm>(controller);
}

std::unique_ptr<TaskNewWindow> ApplicationWindowFactory::taskNewWindowController(const NewTaskValues &values)
{
    return std::make_unique<EditorTaskNewWindow>(values);
}

std::unique_ptr<TaskWindow> ApplicationWindowFactory::taskWindowController(KNVTCDTask *task)
{
    return std::make_unique<EditorTaskWindow>(task);
}

QDialog *ApplicationWindowFactory::taskSheetWindowController(KNVTCDTask *task, QWidget *parent)
{
    return new KNVTTaskSheetWindowController(task, parent);
}

QWidget *ApplicationWindowFactory::taskEditViewController(KNVTCDTask *task, Popover *popover)
{
    auto *controller = new KNVTTaskEditViewController(task);
    controller->setPopover(popover);
    return keptByItsView(controller);
}

QDialog *ApplicationWindowFactory::taskEditWindowController(KNVTCDTask *task, QWidget *parent)
{
    return new KNVTTaskEditWindowController(task, parent);
}

QWidget *ApplicationWindowFactory::taskCommentNewViewController(KNVTCDTask *task, const QString &commentText,
                                                                Popover *popover)
{
    auto *controller = new KNVTTaskCommentNewViewController(task, commentText);
    controller->setPopover(popover);
    return keptByItsView(controller);
}

QWidget *ApplicationWindowFactory::tasksAssignViewController(const std::vector<KNVTCDTask *> &tasks, Popover *popover)
{
    auto *controller = new KNVTTasksAssignViewController(tasks);
    controller->setPopover(popover);
    return keptByItsView(controller);
}

QDialog *ApplicationWindowFactory::scheduleTasksWindowController(const std::vector<KNVTCDTask *> &tasks,
                                                                 QWidget *parent)
{
    return new KNVTScheduleTasksWindowController(tasks, parent);
}

QDialog *ApplicationWindowFactory::tasksAssignWindowController(const std::vector<KNVTCDTask *> &tasks, QWidget *parent)
{
    return new KNVTTasksAssignWindowController(tasks, parent);
}

QDialog *ApplicationWindowFactory::projectNewWindowController(QWidget *parent)
{
    return new KNVTProjectNewWindowController(parent);
}

QDialog *ApplicationWindowFactory::areaNewWindowController(QWidget *parent)
{
    return new KNVTAreaNewWindowController(parent);
}

QDialog *ApplicationWindowFactory::tagNewWindowController(QWidget *parent)
{
    return new KNVTTagNewWindowController(parent);
}

QDialog *ApplicationWindowFactory::projectWindowController(KNVTCDTaskList *project, QWidget *parent)
{
    return new KNVTProjectWindowController(project, parent);
}

QDialog *ApplicationWindowFactory::areaWindowController(KNVTCDTaskList *area, QWidget *parent)
{
    return new KNVTAreaWindowController(area, parent);
}

QDialog *ApplicationWindowFactory::projectEditWindowController(KNVTCDTaskList *project, QWidget *parent)
{
    return new KNVTProjectEditWindowController(project, parent);
}

QDialog *ApplicationWindowFactory::areaEditWindowController(KNVTCDTaskList *area, QWidget *parent)
{
    return new KNVTAreaEditWindowController(area, parent);
}

QDialog *ApplicationWindowFactory::tagEditWindowController(KNVTCDTag *tag, QWidget *parent)
{
    return new KNVTTagEditWindowController(tag, parent);
}

} // namespace knvt

namespace knvt {

std::unique_ptr<ApplicationWindow> ApplicationWindowFactory::preferenceWindowController()
{
    return std::make_unique<AccountWindow<ApplicationWindow>>(
        new KNVTPreferenceWindowController([] { return new KNVTPreferenceGeneralViewController; }));
}

std::unique_ptr<ApplicationWindow> ApplicationWindowFactory::usersWindowController()
{
    return std::make_unique<AccountWindow<ApplicationWindow>>(new KNVTUsersWindowController);
}

std::unique_ptr<AuthenticationFailureWindow> ApplicationWindowFactory::authenticationFailureWindowController()
{
    return std::make_unique<FailureWindow>();
}

QWidget *ApplicationWindowFactory::notificationsViewController(Popover *)
{
    return keptByItsView(new KNVTNotificationsViewController);
}

QDialog *ApplicationWindowFactory::taskListSharingSettingsWindowController(KNVTCDTaskList *taskList, QWidget *parent)
{
    return new KNVTTaskListSharingSettingsWindowController(taskList, nullptr, parent);
}

namespace {

WindowFactory *&installedWindowFactory()
{
    static WindowFactory *factory = nullptr;
    return factory;
}

} // namespace

WindowFactory &WindowFactory::shared()
{
    static ApplicationWindowFactory windows;
    return installedWindowFactory() ? *installedWindowFactory() : windows;
}

void WindowFactory::setShared(WindowFactory *factory)
{
    installedWindowFactory() = factory;
}

} // namespace knvt
