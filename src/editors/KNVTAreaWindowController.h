#pragma once

#include "editors/TaskListInfoSheet.h"

class KNVTCDTaskList;

// The information window of a area: its title, status, owner and, when shared, its other members.
class KNVTAreaWindowController : public knvt::TaskListInfoSheet
{
    Q_OBJECT

public:
    explicit KNVTAreaWindowController(KNVTCDTaskList *area, QWidget *parent = nullptr);

    KNVTCDTaskList *area() const { return taskList(); }
};
