#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <memory>

class KNVTRecurrence;

namespace knvt {

// What an edit form shows of one task, each value as the form would write it. Objects are held by their references,
// so that values kept while the form is open never point at an object that a sync or another window deleted
// meanwhile.
struct TaskEditValues
{
    QString title;
    QString notes;
    // A KNVTTaskStatus value; 0 for none.
    unsigned int status = 0;
    // An invalid date is no date.
    QDateTime startDate;
    QDateTime dueDate;
    // None: the task does not repeat.
    std::shared_ptr<KNVTRecurrence> recurrence;
    // An empty reference: no project or area, nobody.
    QUrl taskList;
    QUrl assignee;
    // Existing tags by reference, and titles typed that name no tag the form knew.
    QList<QUrl> tags;
    QStringList tagTitles;
    QList<QUrl> watchers;
};

} // namespace knvt
