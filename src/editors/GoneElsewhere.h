#pragma once

namespace knvt {

// What a form or window edits or shows.
enum class EditedObject { Task, Project, Area, Tag };

// A form or window closes because its object went away underneath it (another window deleted it, a sync removed it,
// the user lost access to its list): the user is told why, on a later pass of the event loop, rather than seeing the
// form vanish with the typing. `changesLost`: the form could edit, and nothing of it was written.
void tellObjectWentAway(EditedObject object, bool changesLost);

} // namespace knvt
