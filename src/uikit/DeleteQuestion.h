#pragma once

#include "uikit/AlertPresenter.h"

#include <QString>

namespace knvt {

// The question asked before something is deleted: `title`, "This action cannot be undone.", Delete and Cancel, with
// a "don't ask again" box when `suppressible`, opened as the command that deletes says.
AlertPresenter::Request deleteRequest(const QString &title, bool suppressible, Opener opener);

// Asks "Delete Task?" ("Delete Tasks?" for more than one) before tasks are deleted, wherever they are deleted from,
// unless the user said earlier not to be asked again; true when the tasks may go. A tick in the box counts whichever
// button closed the question.
bool confirmDeletingTasks(qsizetype count, Opener opener);

} // namespace knvt
