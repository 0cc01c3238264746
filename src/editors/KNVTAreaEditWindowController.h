#pragma once

#include "editors/TaskListEditSheet.h"

class KNVTCDTaskList;

// The sheet that renames an area and changes its status; saved 0.3 s after it ends.
class KNVTAreaEditWindowController : public knvt::TaskListEditSheet
{
    Q_OBJECT

public:
    static constexpr double SaveDelay = 0.3;

    explicit KNVTAreaEditWindowController(KNVTCDTaskList *area, QWidget *parent = nullptr);

    KNVTCDTaskList *area() const { return taskList(); }
};
