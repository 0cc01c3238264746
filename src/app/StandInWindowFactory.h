#pragma once

#include "app/WindowFactory.h"

namespace knvt {

// The windows of the editors and of the account windows until those libraries provide them: each is a plain window,
// dialog or panel named after the controller it stands for, showing what it was opened with, read-only. A new-task
// form has a working title field; the task detail a table of the task's fields.
class StandInWindowFactory : public WindowFactory
{
public:
    // The lines a stand-in shows for its arguments ("Task: Pay rent", "Tasks: a, b", "Start Date: ...").
    static QStringList describe(const NewTaskValues &values);
    static QString describe(const KNVTCDTask *task);
    static QString describe(const std::vector<KNVTCDTask *> &tasks);
    static QString describe(const KNVTCDTaskList *taskList);

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
