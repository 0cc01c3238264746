#pragma once

#include "app/WindowFactory.h"

#include "editors/KNVTTaskNewViewController.h"

namespace knvt {

// The windows the application opens: the task detail, task windows, task forms, comments, the assign and schedule
// sheets and the sheets of projects, areas and tags come from the editors; the preferences, the people window, the
// authentication-failure window, the notifications and the sharing settings from the account windows.
class ApplicationWindowFactory : public WindowFactory
{
public:
    // The shell's values of a new task as the form takes them, and back.
    static KNVTTaskNewViewController::Values formValues(const NewTaskValues &values);
    static NewTaskValues newTaskValues(const KNVTTaskNewViewController::Values &values);

    std::unique_ptr<TaskDetail> taskViewController(KNVTCDTask *task) override;
    std::unique_ptr<TaskNewForm> taskNewViewController(const NewTaskValues &values, Popover *popover) override;
    std::unique_ptr<TaskNewWindow> taskNewWindowController(const NewTaskValues &values) override;
    std::unique_ptr<TaskWindow> taskWindowController(KNVTCDTask *task) override;
    QDialog *taskSheetWindowController(KNVTCDTask *task, QWidget *parent) override;
    QWidget *taskEditViewController(KNVTCDTask *task, Popover *popover) override;
    QDialog *taskEditWindowController(KNVTCDTask *task, QWidget *parent) override;
    QWidget *taskCommentNewViewController(KNVTCDTask *task, const QString &commentText, Popover *popover) override;
    QWidget *tasksAssignViewController(const std::vector<KNVTCDTask *> &tasks, Popover *popover) override;
    QDialog *scheduleTasksWindowController(const std::vector<KNVTCDTask *> &tasks, QWidget *parent) override;
    QDialog *tasksAssignWindowController(const std::vector<KNVTCDTask *> &tasks, QWidget *parent) override;
    QDialog *projectNewWindowController(QWidget *parent) override;
    QDialog *areaNewWindowController(QWidget *parent) override;
    QDialog *tagNewWindowController(QWidget *parent) override;
    QDialog *projectWindowController(KNVTCDTaskList *project, QWidget *parent) override;
    QDialog *areaWindowController(KNVTCDTaskList *area, QWidget *parent) override;
    QDialog *projectEditWindowController(KNVTCDTaskList *project, QWidget *parent) override;
    QDialog *areaEditWindowController(KNVTCDTaskList *area, QWidget *parent) override;
    QDialog *tagEditWindowController(KNVTCDTag *tag, QWidget *parent) override;
    std::unique_ptr<ApplicationWindow> preferenceWindowController() override;
    std::unique_ptr<ApplicationWindow> usersWindowController() override;
    std::unique_ptr<AuthenticationFailureWindow> authenticationFailureWindowController() override;
    QWidget *notificationsViewController(Popover *popover) override;
    QDialog *taskListSharingSettingsWindowController(KNVTCDTaskList *taskList, QWidget *parent) override;
};

} // namespace knvt
