#pragma once

#include "lists/KNVTApplicationServices.h"
#include "lists/KNVTMainWindowServices.h"

#include "model/KNVTCDTask.h"

#include <QStringList>

#include <map>
#include <memory>
#include <vector>

namespace knvt::test {

// The main window as an item list sees it: records what the list asked for, in the words of the request.
class RecordingMainWindowServices : public KNVTMainWindowServices
{
public:
    // None: the list keeps actions of its own.
    knvt::ActionSet *actions() override { return nullptr; }
    void editSelectedItems(QObject *) override { requests << QStringLiteral("edit"); }
    void viewSelectedItems(QObject *) override { requests << QStringLiteral("view"); }
    void presentScheduleTasksSheetForTasks(const std::vector<KNVTCDTask *> &tasks) override
    {
        requests << QStringLiteral("schedule ") + titles(tasks);
    }
    void presentAssignTasksSheetForTasks(const std::vector<KNVTCDTask *> &tasks) override
    {
        requests << QStringLiteral("assign ") + titles(tasks);
    }
    void viewTaskList(KNVTCDTaskList *) override { requests << QStringLiteral("view list"); }
    void editTaskList(KNVTCDTaskList *) override { requests << QStringLiteral("edit list"); }

    static QString titles(const std::vector<KNVTCDTask *> &tasks)
    {
        QStringList out;
        for (const KNVTCDTask *task : tasks)
            out << task->title();
        return out.join(QStringLiteral(", "));
    }

    QStringList requests;
};

// The application's task windows, installed as the shared services for the fake's lifetime; records "show <title>"
// and "edit <title>".
class RecordingApplicationServices : public KNVTApplicationServices
{
public:
    RecordingApplicationServices() { KNVTApplicationServices::setShared(this); }
    ~RecordingApplicationServices() override { KNVTApplicationServices::setShared(nullptr); }
    RecordingApplicationServices(const RecordingApplicationServices &) = delete;
    RecordingApplicationServices &operator=(const RecordingApplicationServices &) = delete;

    TaskWindow *taskWindowControllerForTask(KNVTCDTask *task) override
    {
        std::unique_ptr<Window> &window = m_windows[task];
        if (!window)
            window = std::make_unique<Window>(this, task->title());
        return window.get();
    }

    QStringList requests;

private:
    class Window : public TaskWindow
    {
    public:
        Window(RecordingApplicationServices *owner, const QString &title) : m_owner(owner), m_title(title) {}
        void showWindow(QObject *, knvt::Opener) override { m_owner->requests << QStringLiteral("show ") + m_title; }
        void edit(QObject *) override { m_owner->requests << QStringLiteral("edit ") + m_title; }

    private:
        RecordingApplicationServices *m_owner;
        QString m_title;
    };

    std::map<KNVTCDTask *, std::unique_ptr<Window>> m_windows;
};

} // namespace knvt::test
