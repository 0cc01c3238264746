#pragma once

#include "editors/TaskListEditSheet.h"

class KNVTCDTaskList;

// The sheet that renames a project and changes its status; saved 0.5 s after it ends.
class KNVTProjectEditWindowController : public knvt::TaskListEditSheet
{
    Q_OBJECT

public:
    static constexpr double SaveDelay = 0.5;

    explicit KNVTProjectEditWindowController(KNVTCDTaskList *project, QWidget *parent = nullptr);

    KNVTCDTaskList *project() const { return taskList(); }
};
