#pragma once

#include "objectstore/Context.h"
#include "objectstore/Coordinator.h"
#include "objectstore/Object.h"
#include "objectstore/Where.h"

#include <QStringList>

#include <memory>

// Small entities shaped like the task store's, so the engine's rules run on realistic relationships.

// Records every hook call as "<Entity>.<hook> <key> [Insert|Remove]", so tests can check order and count.
class HookLog
{
public:
    static QStringList &entries();
    static int &awakeFromFetchCount();
};

class Recorded : public ostore::Object
{
public:
    void didChangeValue(std::string_view key) override;
    void didChangeToMany(std::string_view key, ostore::Mutation mutation,
                         const std::vector<ostore::Object *> &objects) override;
    void awakeFromFetch() override;
};

class Task;
class TaskList;
class Tag;
class TaggedTask;
class Comment;
class Watcher;
class Collaborator;
class Avatar;

class User : public Recorded
{
    OSTORE_OBJECT(User)
    OSTORE_STRING(fullName, setFullName)
    OSTORE_INT(friendshipStatus, setFriendshipStatus)
    OSTORE_INT(numericIdentifier, setNumericIdentifier)
    OSTORE_STRING(initials, setInitials)
    OSTORE_TO_ONE_INVERSE(Avatar, avatar)
    OSTORE_TO_MANY(Task, assignedTasks)
public:
    void awakeFromFetch() override;
    // When set, a fetched user without an avatar gets one, as the real user does.
    static bool &insertsAvatarOnFetch();
};

class Avatar : public Recorded
{
    OSTORE_OBJECT(Avatar)
    OSTORE_BLOB(data, setData)
    OSTORE_BLOB(thumbnailData, setThumbnailData)
    OSTORE_BOOL(needsUpdating, setNeedsUpdating)
    OSTORE_TO_ONE(User, user, setUser)
};

class TaskList : public Recorded
{
    OSTORE_OBJECT(TaskList)
    OSTORE_STRING(title, setTitle)
    OSTORE_INT(numericIdentifier, setNumericIdentifier)
    OSTORE_INT(type, setType)
    OSTORE_INT(taskListCollaboratorStatus, setTaskListCollaboratorStatus)
    OSTORE_DATE(archivedDate, setArchivedDate)
    OSTORE_DATE(deletedDate, setDeletedDate)
    OSTORE_TO_MANY(Task, tasks)
    OSTORE_TO_MANY(Collaborator, taskListCollaborators)
};

class Task : public Recorded
{
    OSTORE_OBJECT(Task)
    OSTORE_STRING(title, setTitle)
    OSTORE_STRING(notes, setNotes)
    OSTORE_INT(numericIdentifier, setNumericIdentifier)
    OSTORE_INT(status, setStatus)
    OSTORE_DOUBLE(orderIndex, setOrderIndex)
    OSTORE_BOOL(flagged, setFlagged)
    OSTORE_DATE(dueDate, setDueDate)
    OSTORE_DATE(startDate, setStartDate)
    OSTORE_DATE(archivedDate, setArchivedDate)
    OSTORE_DATE(deletedDate, setDeletedDate)
    OSTORE_TO_ONE(TaskList, taskList, setTaskList)
    OSTORE_TO_ONE(User, assignee, setAssignee)
    OSTORE_TO_MANY(TaggedTask, taggedTasks)
    OSTORE_TO_MANY(Comment, comments)
    OSTORE_TO_MANY(Watcher, taskWatchers)
public:
    void awakeFromInsert() override { setStatus(2); }
};

class Tag : public Recorded
{
    OSTORE_OBJECT(Tag)
    OSTORE_STRING(title, setTitle)
    OSTORE_TO_MANY(TaggedTask, taggedTasks)
};

class TaggedTask : public Recorded
{
    OSTORE_OBJECT(TaggedTask)
    OSTORE_INT(numericIdentifier, setNumericIdentifier)
    OSTORE_DATE(deletedDate, setDeletedDate)
    OSTORE_TO_ONE(Tag, tag, setTag)
    OSTORE_TO_ONE(Task, task, setTask)
};

class Comment : public Recorded
{
    OSTORE_OBJECT(Comment)
    OSTORE_STRING(text, setText)
    OSTORE_TO_ONE(Task, task, setTask)
};

class Watcher : public Recorded
{
    OSTORE_OBJECT(Watcher)
    OSTORE_TO_ONE(Task, task, setTask)
    OSTORE_TO_ONE(User, user, setUser)
};

class Collaborator : public Recorded
{
    OSTORE_OBJECT(Collaborator)
    OSTORE_INT(status, setStatus)
    OSTORE_TO_ONE(TaskList, taskList, setTaskList)
    OSTORE_TO_ONE(User, user, setUser)
};

namespace testmodel {

// The current model (version 4), with the step from version 3.
ostore::Model makeModel();
// The version-3 schema: the current one without User.initials and Avatar.thumbnailData.
QString version3Ddl();
// Writes a version-3 library at `path` (rollback journal, as older files may be) with `tasks` tasks titled
// "v3 task <i>" and one user "Ada"; returns false on failure.
bool writeVersion3File(const QString &path, int tasks, bool wal = false);

// The usual arrangement of a test: a coordinator on a fresh file with a main context.
struct Library
{
    explicit Library(const QString &file);
    ~Library();
    std::unique_ptr<ostore::Coordinator> coordinator;
    std::unique_ptr<ostore::Context> main;
    ostore::OpenResult openResult;
    knvt::Error openError;
    bool opened = false;
};

} // namespace testmodel
