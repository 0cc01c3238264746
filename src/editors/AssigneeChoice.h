#pragma once

#include <QList>
#include <QUrl>

#include <vector>

class KNVTCDTask;
class KNVTCDUser;
class QComboBox;

namespace knvt {

// The rule the assign sheet and the assign popover share. The tasks can be given to someone together only when
// they all belong to one list whose tasks the local user may edit; the pop-up then offers that list's members, by
// display name, with the user's object reference as each item's data, and otherwise only the local user.
namespace AssigneeChoice {

// The user the pop-up stands for: its selected item's user; with no such item, the one task's present assignee, or
// the local user for several tasks.
KNVTCDUser *selectedAssignee(const QComboBox &popUp, const std::vector<KNVTCDTask *> &tasks);

// Fills the pop-up for `tasks` and selects the present choice (selectedAssignee() before the refill) when it is
// offered, else the local user when offered.
void updateSelectedAssignee(QComboBox &popUp, const std::vector<KNVTCDTask *> &tasks);

// Gives every task of `taskURIs` that still exists and may be edited to the pop-up's user, then asks for a save
// after `saveDelay` seconds.
void assignTasks(const QList<QUrl> &taskURIs, const QComboBox &popUp, double saveDelay);

} // namespace AssigneeChoice

} // namespace knvt
