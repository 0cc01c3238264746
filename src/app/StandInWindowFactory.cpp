#include "app/StandInWindowFactory.h"

#include "app/ApplicationWindowFactory.h"
#include "app/KNVTPreferenceGeneralViewController.h"

#include "model/KNVTCDTag.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDUser.h"

#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTreeView>
#include <QVBoxLayout>

namespace knvt {

namespace {

// The body every stand-in shows: its name and its arguments.
void fill(QWidget *widget, const QString &name, const QStringList &lines)
{
    widget->setObjectName(name);
    widget->setWindowTitle(name);
    auto *layout = new QVBoxLayout(widget);
    auto *title = new QLabel(name, widget);
    title->setObjectName(QStringLiteral("standInTitle"));
    QFont font = title->font();
    font.setBold(true);
    title->setFont(font);
    layout->addWidget(title);
    auto *arguments = new QPlainTextEdit(lines.join(QLatin1Char('\n')), widget);
    arguments->setObjectName(QStringLiteral("standInArguments"));
    arguments->setReadOnly(true);
    layout->addWidget(arguments);
}

QDialog *sheet(const QString &name, const QStringList &lines, QWidget *parent)
{
    auto *dialog = new QDialog(parent);
    dialog->setWindowModality(Qt::WindowModal);
    fill(dialog, name, lines);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    dialog->layout()->addWidget(buttons);
    dialog->resize(360, 220);
    return dialog;
}

QWidget *panel(const QString &name, const QStringList &lines, QWidget *parent)
{
    auto *widget = new QWidget(parent);
    fill(widget, name, lines);
    widget->resize(300, 180);
    return widget;
}

QString dateText(const QDateTime &date)
{
    return date.isValid() ? date.toString(Qt::ISODate) : QString();
}

// A top-level stand-in window that tells its owner when it closes.
class StandInWindow : public QWidget
{
public:
    std::function<void()> closing;

protected:
    void closeEvent(QCloseEvent *event) override
    {
        if (closing)
            closing();
        QWidget::closeEvent(event);
    }
};

template <class Base>
class StandInApplicationWindow : public Base
{
public:
    StandInApplicationWindow(const QString &name, const QStringList &lines) : m_window(new StandInWindow)
    {
        m_window->setAttribute(Qt::WA_DeleteOnClose, false);
        fill(m_window, name, lines);
        m_window->resize(420, 300);
        m_window->closing = [this] {
            if (m_closed)
                return;
            m_closed = true;
            if (this->willClose)
                this->willClose(this);
        };
    }
    ~StandInApplicationWindow() override { delete m_window.data(); }
    QWidget *window() override { return m_window; }
    void showWindow() override
    {
        m_closed = false;
        m_window->show();
        m_window->raise();
        m_window->activateWindow();
    }
    void close() override
    {
        if (m_window)
            m_window->close();
    }

protected:
    QPointer<StandInWindow> m_window;
    bool m_closed = false;
};

// Until the real preference window takes its place: the stand-in with the working General pane.
class StandInPreferenceWindow : public StandInApplicationWindow<ApplicationWindow>
{
public:
    StandInPreferenceWindow()
        : StandInApplicationWindow(QStringLiteral("KNVTPreferenceWindowController"), QStringList()),
          m_general(std::make_unique<KNVTPreferenceGeneralViewController>())
    {
        m_window->layout()->addWidget(m_general->view());
        m_window->setWindowTitle(m_general->title());
    }

private:
    std::unique_ptr<KNVTPreferenceGeneralViewController> m_general;
};

class StandInTaskDetail : public TaskDetail
{
public:
    explicit StandInTaskDetail(KNVTCDTask *task) : m_view(new QWidget), m_table(new QTreeView(m_view))
    {
        m_view->setObjectName(QStringLiteral("KNVTTaskViewController"));
        auto *layout = new QVBoxLayout(m_view);
        layout->setContentsMargins(0, 0, 0, 0);
        m_table->setObjectName(QStringLiteral("tableView"));
        m_table->setHeaderHidden(true);
        m_table->setRootIsDecorated(false);
        m_table->setModel(&m_model);
        layout->addWidget(m_table);
        setTask(task);
    }
    ~StandInTaskDetail() override { delete m_view.data(); }
    QWidget *view() override { return m_view; }
    KNVTCDTask *task() const override { return m_task; }
    void setTask(KNVTCDTask *task) override
    {
        m_task = task;
        m_model.clear();
        if (!task)
            return;
        const QStringList lines = {task->title(), task->taskList() ? task->taskList()->title() : QString(),
                                   task->notes(), dateText(task->startDate()), dateText(task->dueDate())};
        for (const QString &line : lines)
            if (!line.isEmpty())
                m_model.appendRow(new QStandardItem(line));
    }
    QAbstractItemView *tableView() override { return m_table; }

private:
    QPointer<QWidget> m_view;
    QTreeView *m_table;
    QStandardItemModel m_model;
    KNVTCDTask *m_task = nullptr;
};

class StandInTaskNewForm : public TaskNewForm
{
public:
    StandInTaskNewForm(const NewTaskValues &values, QWidget *parent) : m_values(values)
    {
        m_view = panel(QStringLiteral("KNVTTaskNewViewController"), StandInWindowFactory::describe(values), parent);
        m_title = new QLineEdit(values.title, m_view);
        m_title->setObjectName(QStringLiteral("titleTextField"));
        m_view->layout()->addWidget(m_title);
    }
    QWidget *view() override { return m_view; }
    NewTaskValues values() const override
    {
        NewTaskValues values = m_values;
        if (m_title)
            values.title = m_title->text();
        return values;
    }
    QLineEdit *titleTextField() override { return m_title; }

private:
    NewTaskValues m_values;
    QPointer<QWidget> m_view;
    QPointer<QLineEdit> m_title;
};

class StandInTaskNewWindow : public StandInApplicationWindow<TaskNewWindow>
{
public:
    explicit StandInTaskNewWindow(const NewTaskValues &values)
        : StandInApplicationWindow(QStringLiteral("KNVTTaskNewWindowController"), {}), m_form(values, m_window.data())
    {
        m_window->layout()->addWidget(m_form.view());
    }
    TaskNewForm *form() override { return &m_form; }

private:
    StandInTaskNewForm m_form;
};

class StandInTaskWindow : public StandInApplicationWindow<TaskWindow>
{
public:
    explicit StandInTaskWindow(KNVTCDTask *task)
        : StandInApplicationWindow(QStringLiteral("KNVTTaskWindowController"), {StandInWindowFactory::describe(task)}),
          m_task(task)
    {}
    KNVTCDTask *task() const override { return m_task; }
    void edit(QObject *) override
    {
        QDialog *editor = StandInWindowFactory().taskEditWindowController(m_task, m_window);
        editor->setAttribute(Qt::WA_DeleteOnClose);
        editor->open();
    }

private:
    KNVTCDTask *m_task;
};

class StandInAuthenticationFailureWindow : public StandInApplicationWindow<AuthenticationFailureWindow>
{
public:
    StandInAuthenticationFailureWindow()
        : StandInApplicationWindow(QStringLiteral("KNVTAuthenticationFailureWindowController"), {})
    {
        auto *buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Cancel, m_window);
        m_window->layout()->addWidget(buttons);
        QObject::connect(buttons, &QDialogButtonBox::accepted, m_window, [this] {
            if (didSave)
                didSave();
        });
        QObject::connect(buttons, &QDialogButtonBox::rejected, m_window, [this] {
            if (didCancel)
                didCancel();
        });
    }
};

} // namespace

QStringList StandInWindowFactory::describe(const NewTaskValues &values)
{
    QStringList lines;
    lines << QStringLiteral("Status: %1").arg(values.status);
    if (!values.title.isEmpty())
        lines << QStringLiteral("Title: %1").arg(values.title);
    if (values.startDate.isValid())
        lines << QStringLiteral("Start Date: %1").arg(dateText(values.startDate));
    if (values.dueDate.isValid())
        lines << QStringLiteral("Due Date: %1").arg(dateText(values.dueDate));
    if (values.taskList)
        lines << QStringLiteral("Task List: %1").arg(values.taskList->title());
    QStringList tags;
    for (const KNVTCDTag *tag : values.tags)
        tags << tag->title();
    if (!tags.isEmpty())
        lines << QStringLiteral("Tags: %1").arg(tags.join(QStringLiteral(", ")));
    return lines;
}

QString StandInWindowFactory::describe(const KNVTCDTask *task)
{
    return QStringLiteral("Task: %1").arg(task ? task->title() : QString());
}

QString StandInWindowFactory::describe(const std::vector<KNVTCDTask *> &tasks)
{
    QStringList titles;
    for (const KNVTCDTask *task : tasks)
        titles << task->title();
    return QStringLiteral("Tasks: %1").arg(titles.join(QStringLiteral(", ")));
}

QString StandInWindowFactory::describe(const KNVTCDTaskList *taskList)
{
    return QStringLiteral("Task List: %1").arg(taskList ? taskList->title() : QString());
}

std::unique_ptr<TaskDetail> StandInWindowFactory::taskViewController(KNVTCDTask *task)
{
    return std::make_unique<StandInTaskDetail>(task);
}

std::unique_ptr<TaskNewForm> StandInWindowFactory::taskNewViewController(const NewTaskValues &values, Popover *)
{
    return std::make_unique<StandInTaskNewForm>(values, nullptr);
}

std::unique_ptr<TaskNewWindow> StandInWindowFactory::taskNewWindowController(const NewTaskValues &values)
{
    return std::make_unique<StandInTaskNewWindow>(values);
}

std::unique_ptr<TaskWindow> StandInWindowFactory::taskWindowController(KNVTCDTask *task)
{
    return std::make_unique<StandInTaskWindow>(task);
}

QDialog *StandInWindowFactory::taskSheetWindowController(KNVTCDTask *task, QWidget *parent)
{
    return sheet(QStringLiteral("KNVTTaskSheetWindowController"), {describe(task)}, parent);
}

QWidget *StandInWindowFactory::taskEditViewController(KNVTCDTask *task, Popover *)
{
    QWidget *widget = panel(QStringLiteral("KNVTTaskEditViewController"), {describe(task)}, nullptr);
    auto *title = new QLineEdit(task ? task->title() : QString(), widget);
    title->setObjectName(QStringLiteral("titleTextField"));
    title->setReadOnly(true);
    widget->layout()->addWidget(title);
    return widget;
}

QDialog *StandInWindowFactory::taskEditWindowController(KNVTCDTask *task, QWidget *parent)
{
    return sheet(QStringLiteral("KNVTTaskEditWindowController"), {describe(task)}, parent);
}

QWidget *StandInWindowFactory::taskCommentNewViewController(KNVTCDTask *task, const QString &commentText, Popover *)
{
    return panel(QStringLiteral("KNVTTaskCommentNewViewController"),
                 {describe(task), QStringLiteral("Comment: %1").arg(commentText)}, nullptr);
}

QWidget *StandInWindowFactory::tasksAssignViewController(const std::vector<KNVTCDTask *> &tasks, Popover *)
{
    return panel(QStringLiteral("KNVTTasksAssignViewController"), {describe(tasks)}, nullptr);
}

QDialog *StandInWindowFactory::scheduleTasksWindowController(const std::vector<KNVTCDTask *> &tasks, QWidget *parent)
{
    return sheet(QStringLiteral("KNVTScheduleTasksWindowController"), {describe(tasks)}, parent);
}

QDialog *StandInWindowFactory::tasksAssignWindowController(const std::vector<KNVTCDTask *> &tasks, QWidget *parent)
{
    return sheet(QStringLiteral("KNVTTasksAssignWindowController"), {describe(tasks)}, parent);
}

QDialog *StandInWindowFactory::projectNewWindowController(QWidget *parent)
{
    return sheet(QStringLiteral("KNVTProjectNewWindowController"), {}, parent);
}

QDialog *StandInWindowFactory::areaNewWindowController(QWidget *parent)
{
    return sheet(QStringLiteral("KNVTAreaNewWindowController"), {}, parent);
}

QDialog *StandInWindowFactory::tagNewWindowController(QWidget *parent)
{
    return sheet(QStringLiteral("KNVTTagNewWindowController"), {}, parent);
}

QDialog *StandInWindowFactory::projectWindowController(KNVTCDTaskList *project, QWidget *parent)
{
    return sheet(QStringLiteral("KNVTProjectWindowController"), {describe(project)}, parent);
}

QDialog *StandInWindowFactory::areaWindowController(KNVTCDTaskList *area, QWidget *parent)
{
    return sheet(QStringLiteral("KNVTAreaWindowController"), {describe(area)}, parent);
}

QDialog *StandInWindowFactory::projectEditWindowController(KNVTCDTaskList *project, QWidget *parent)
{
    return sheet(QStringLiteral("KNVTProjectEditWindowController"), {describe(project)}, parent);
}

QDialog *StandInWindowFactory::areaEditWindowController(KNVTCDTaskList *area, QWidget *parent)
{
    return sheet(QStringLiteral("KNVTAreaEditWindowController"), {describe(area)}, parent);
}

QDialog *StandInWindowFactory::tagEditWindowController(KNVTCDTag *tag, QWidget *parent)
{
    return sheet(QStringLiteral("KNVTTagEditWindowController"),
                 {QStringLiteral("Tag: %1").arg(tag ? tag->title() : QString())}, parent);
}

std::unique_ptr<ApplicationWindow> StandInWindowFactory::preferenceWindowController()
{
    return std::make_unique<StandInPreferenceWindow>();
}

std::unique_ptr<ApplicationWindow> StandInWindowFactory::usersWindowController()
{
    return std::make_unique<StandInApplicationWindow<ApplicationWindow>>(QStringLiteral("KNVTUsersWindowController"),
                                                                         QStringList());
}

std::unique_ptr<AuthenticationFailureWindow> StandInWindowFactory::authenticationFailureWindowController()
{
    return std::make_unique<StandInAuthenticationFailureWindow>();
}

QWidget *StandInWindowFactory::notificationsViewController(Popover *)
{
    return panel(QStringLiteral("KNVTNotificationsViewController"), {}, nullptr);
}

QDialog *StandInWindowFactory::taskListSharingSettingsWindowController(KNVTCDTaskList *taskList, QWidget *parent)
{
    return sheet(QStringLiteral("KNVTTaskListSharingSettingsWindowController"), {describe(taskList)}, parent);
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
