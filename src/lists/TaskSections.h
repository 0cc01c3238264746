#pragma once

#include "lists/ItemRow.h"

#include <QString>

#include <vector>

class KNVTCDTask;

namespace knvt {

// The four groups of the lists that sort tasks by state, each shown under its header in this order and sorted by
// its own comparator (the model's orders of open, scheduled, someday and closed tasks).
struct TaskSections
{
    std::vector<KNVTCDTask *> incomplete;
    std::vector<KNVTCDTask *> scheduled;
    std::vector<KNVTCDTask *> someday;
    std::vector<KNVTCDTask *> completed;

    // Inbox: scheduled first, then someday, then closed, the rest incomplete.
    static TaskSections byFocus(const std::vector<KNVTCDTask *> &tasks);
    // Watched tasks and the tasks of one list: archived and tombstoned tasks are left out; a someday task is in
    // Someday unless its list is itself someday (then it counts as any other); then closed, scheduled, incomplete.
    static TaskSections byStatus(const std::vector<KNVTCDTask *> &tasks);

    // Appends each non-empty group as a header titled `titles[i]` and its rows.
    void appendRows(std::vector<ItemRow> &rows, const QString (&titles)[4]) const;
};

} // namespace knvt
