#pragma once

#include "store/TaskEditValues.h"

#include <optional>

class KNVTCDTask;
class KNVTTaskStore;

namespace knvt {

// The fields of one task that the user changed in an edit form, and how they are written to the task. A field is
// changed when the user moved its control away from what the form loaded; everything else stays as the task has it
// now, so a change that a sync, another window or another form made while the form was open survives its save.
// Tags and watchers are changed as the user added and removed them, not replaced as a whole.
struct TaskChanges
{
    std::optional<QString> title;
    std::optional<QString> notes;
    std::optional<unsigned int> status;
    std::optional<QDateTime> startDate;
    std::optional<QDateTime> dueDate;
    std::optional<std::shared_ptr<KNVTRecurrence>> recurrence;
    std::optional<QUrl> taskList;
    std::optional<QUrl> assignee;
    QList<QUrl> addedTags;
    QStringList addedTagTitles;
    QList<QUrl> removedTags;
    QList<QUrl> addedWatchers;
    QList<QUrl> removedWatchers;

    // What differs between the values a form loaded and those it shows now.
    static TaskChanges between(const TaskEditValues &loaded, const TaskEditValues &edited);

    bool isEmpty() const;

    // Writes the changes into `task`, each only where the task differs from it, in the order the data model needs:
    // the status before the dates and the repeat rule, so that completing a repeating task makes its next
    // occurrence from the task as it stood. A task the user may no longer edit (its list left, archived or made
    // read-only meanwhile) is not touched and the answer is false. Objects deleted meanwhile are left out: a list
    // gone is not moved to, a tag or a person gone is not added. A typed tag title finds its tag in any letter case,
    // or makes one.
    bool applyTo(KNVTCDTask &task, KNVTTaskStore &store) const;
};

} // namespace knvt
