#pragma once

#include "editors/TaskListEditSheet.h"

class KNVTCDTaskList;

// The sheet that renames a project and changes its status.
class KNVTProjectEditWindowController : public knvt::TaskListEditSheet
{
    Q_OBJECT

public:
    explicit KNVTProjectEditWindowController(KNVTCDTaskList *project, QWidget *parent = nullptr);

    KNVTCDTaskList *project() const { return taskList(); }
};
