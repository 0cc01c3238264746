#pragma once

#include "foundation/Opener.h"

#include <QStringList>

class QWidget;

namespace knvt {

// Whose change took an object away: the application's when it was made elsewhere (a merge of a sync or of another
// program's writes), else the user's own command here.
constexpr Opener whoseChange(bool madeElsewhere)
{
    return madeElsewhere ? Opener::Application : Opener::User;
}

// What a form or window edits or shows.
enum class EditedObject { Task, Project, Area, Tag, Comment };

// A form or window closes because its object went away underneath it (another window deleted it, a sync removed it,
// the user lost access to its list): the user is told why, on a later pass of the event loop, rather than seeing the
// form vanish with the typing. The alert names the object by `name` (its title; a comment by its text; none where the
// form edits several) and the window `shownIn`, the form or window that closes, was in. `opener` says whose change
// took it: the application's (a change made elsewhere, by a sync or another program), whose alert says "elsewhere" and
// waits beside the user's work without the keyboard, which rests on nothing when the user was typing there; or the
// user's own command here (a delete in another window), whose alert comes up as the answer to that command. `changesLost`: the form could edit, and nothing of
// it was written. `typed`: the texts the user typed there that were not written; the alert shows them whole, so that
// they can be copied from it. The windows that close for one change (a task window and the comment form in it) are
// told of in one alert for each object. Called before the form closes.
void tellObjectWentAway(EditedObject object, const QString &name, QWidget *shownIn, Opener opener, bool changesLost,
                        const QStringList &typed = {});

// A sync found `name`'s object deleted on the service before the service got what the user wrote on it: the object is
// gone here too, and the user is told, with what was written (`written`), in the application's own alert, which waits
// beside the user's work. A comment is named by the title of its task.
void tellWrittenWentAway(EditedObject object, const QString &name, const QString &written);

// The same for a task form whose task may no longer be changed (its list was archived or made read-only): it closes
// unwritten and says why, giving back what the user typed.
void tellTaskBecameReadOnly(const QString &name, QWidget *shownIn, Opener opener, const QStringList &typed);

} // namespace knvt
