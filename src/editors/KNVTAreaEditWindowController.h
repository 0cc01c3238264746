#pragma once

#include "editors/TaskListEditSheet.h"

class KNVTCDTaskList;

// The sheet that renames an area and changes its status.
class KNVTAreaEditWindowController : public knvt::TaskListEditSheet
{
    Q_OBJECT

public:
    explicit KNVTAreaEditWindowController(KNVTCDTaskList *area, QWidget *parent = nullptr);

    KNVTCDTaskList *area() const { return taskList(); }
};
