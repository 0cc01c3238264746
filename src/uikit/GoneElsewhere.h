#pragma once

#include <QStringList>

namespace knvt {

// What a form or window edits or shows.
enum class EditedObject { Task, Project, Area, Tag, Comment };

// A form or window closes because its object went away underneath it (another window deleted it, a sync removed it,
// the user lost access to its list): the user is told why, on a later pass of the event loop, rather than seeing the
// form vanish with the typing. `changesLost`: the form could edit, and nothing of it was written. `typed`: the texts the
// user typed there that were not written; the alert shows them, so that they can be copied from it. The windows that
// close for one change (a task window and the comment form in it) are told of in one alert for each kind of object.
void tellObjectWentAway(EditedObject object, bool changesLost, const QStringList &typed = {});

// The same for a task form whose task may no longer be changed (its list was archived or made read-only elsewhere):
// it closes unwritten and says why, giving back what the user typed.
void tellTaskBecameReadOnly(const QStringList &typed);

} // namespace knvt
