#pragma once

#include "editors/TaskListInfoSheet.h"

class KNVTCDTaskList;

// The information window of a project: its title, status, owner and, when shared, its other members.
class KNVTProjectWindowController : public knvt::TaskListInfoSheet
{
    Q_OBJECT

public:
    explicit KNVTProjectWindowController(KNVTCDTaskList *project, QWidget *parent = nullptr);

    KNVTCDTaskList *project() const { return taskList(); }
};
