#pragma once

// The one generator of users, task lists and tasks for tests and benchmarks (library knvt_test_data, built whenever
// tests or benchmarks are).
//
//   knvt::test::TaskStoreBuilder make(&context);
//   KNVTCDUser *me = make.me();                                  // the local user, made on first use
//   KNVTCDUser *anna = make.user({.fullName = "Anna", .friendshipStatus = KNVTUserFriendshipStatusFriend});
//   KNVTCDTaskList *garden = make.taskList({.title = "Garden", .type = KNVTTaskListTypeProject,
//                                           .members = {{me, KNVTTaskListCollaboratorRoleOwner}, {anna}}});
//   KNVTCDTask *dig = make.task({.title = "Dig", .status = KNVTTaskStatusActionable, .assignee = me,
//                                .due = ..., .list = garden, .tags = {make.tag({.title = "home"})},
//                                .watchers = {anna}});
//   make.comment({.task = dig, .text = "Soon", .created = ..., .author = anna});
//   make.collaborator(garden, anna, role, status); make.watcher(dig, anna); make.tagTask(tag, dig);
//   make.friendship(anna, me, KNVTFriendshipStatus...);
//   make.synced(dig, 7);                                         // as the service last sent it
//
//   GeneratedLibrary library = make.generateLibrary({.tasks = 100000, .now = ...}); // a seeded random mix
//
// A spec sets only the fields it names (a null string, invalid date, nullptr or nullopt is left alone), in a fixed
// order, so an object looks exactly as if the test had called those setters itself. Nothing is saved.

#include "model/KNVTCDFriendship.h"
#include "model/KNVTCDTag.h"
#include "model/KNVTCDTaggedTask.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskComment.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDTaskListCollaborator.h"
#include "model/KNVTCDTaskWatcher.h"
#include "model/KNVTCDUser.h"
#include "model/KNVTTaskListCollaboratorRole.h"
#include "model/KNVTTaskListCollaboratorStatus.h"
#include "model/KNVTTaskListStatus.h"
#include "model/KNVTTaskListType.h"
#include "model/KNVTTaskStatus.h"
#include "model/KNVTUserFriendshipStatus.h"

#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

namespace ostore {
class Context;
}

namespace knvt::test {

struct UserSpec
{
    std::optional<qint64> numericIdentifier = {};
    QString username = {};
    QString firstName = {};
    QString lastName = {};
    QString fullName = {};
    QString extendedDisplayName = {};
    std::optional<qint64> friendshipStatus = {};
};

// One collaborator row of a list.
struct MemberSpec
{
    KNVTCDUser *user = nullptr;
    qint64 role = KNVTTaskListCollaboratorRoleEditor;
    qint64 status = KNVTTaskListCollaboratorStatusAccepted;
};

struct TaskListSpec
{
    QString title = {};
    std::optional<qint64> type = {};
    std::optional<qint64> status = {};
    std::optional<qint64> numericIdentifier = {};
    // Rows made in this order, before taskListCollaboratorStatus is set.
    std::vector<MemberSpec> members = {};
    // The local user's status as the list caches it.
    std::optional<qint64> collaboratorStatus = {};
    QDateTime archived = {};
};

struct TaskSpec
{
    QString title = {};
    std::optional<qint64> status = {};
    KNVTCDUser *assignee = nullptr;
    KNVTCDUser *creator = nullptr;
    QDateTime due = {};
    QDateTime start = {};
    KNVTCDTaskList *list = nullptr;
    QString notes = {};
    std::optional<qint64> priority = {};
    QDateTime archived = {};
    std::optional<qint64> numericIdentifier = {};
    QDateTime created = {};
    QDateTime modified = {};
    QDateTime deleted = {};
    // A tagged-task row for each tag and a watcher row for each user, made after the task's own fields.
    std::vector<KNVTCDTag *> tags = {};
    std::vector<KNVTCDUser *> watchers = {};
};

struct TagSpec
{
    QString title = {};
    KNVTCDUser *creator = nullptr;
    std::optional<qint64> numericIdentifier = {};
};

struct CommentSpec
{
    KNVTCDTask *task = nullptr;
    QString text = {};
    QDateTime created = {};
    KNVTCDUser *author = nullptr;
    // With an identifier the comment is as the service last sent it: modified when created, nothing to push.
    std::optional<qint64> numericIdentifier = {};
};

// The text of a generated library: numbered names ("Task 12 of the generated library"), which tests read back, or
// text as a user writes it (support/UserText.h), which benchmarks measure; then a few large areas and many small
// projects hold the tasks in lists, and a few tags most of the links. Both draw the same structure from the seed.
enum class LibraryText { Numbered, UserWritten };

// How many of each a generated library holds. The default is the large library the badge and engine benchmarks
// run on; tests ask for a few dozen.
struct LibraryShape
{
    int users = 100;
    int lists = 200;
    int tasks = 100000;
    int tags = 50;
    int watchers = 20000;
    int comments = 0;
    quint64 seed = 42;
    // Dates are spread around this moment.
    QDateTime now = QDateTime(QDate(2015, 3, 4), QTime(12, 0));
    LibraryText text = LibraryText::Numbered;
};

// What generateLibrary made, in the order it made it. users.front() is the local user.
struct GeneratedLibrary
{
    std::vector<KNVTCDUser *> users = {};
    std::vector<KNVTCDTaskList *> lists = {};
    std::vector<KNVTCDTask *> tasks = {};
    std::vector<KNVTCDTag *> tags = {};
    KNVTCDUser *me() const { return users.front(); }
};

class TaskStoreBuilder
{
public:
    explicit TaskStoreBuilder(ostore::Context *context = nullptr) : m_context(context) {}

    // A builder follows one context; after a reopen it follows the new one and forgets the local user.
    void setContext(ostore::Context *context);
    ostore::Context *context() const { return m_context; }

    // The local user (friendship status Me), made from `spec` on the first call; later calls return it.
    KNVTCDUser *me(UserSpec spec = {.fullName = QStringLiteral("Me")});

    KNVTCDUser *user(const UserSpec &spec);
    KNVTCDTaskList *taskList(const TaskListSpec &spec);
    // A role or status of nullopt is left unset.
    KNVTCDTaskListCollaborator *collaborator(KNVTCDTaskList *list, KNVTCDUser *user,
                                             std::optional<qint64> role = KNVTTaskListCollaboratorRoleEditor,
                                             std::optional<qint64> status = KNVTTaskListCollaboratorStatusAccepted);
    // A friendship record from `inviter` to `invitee`, filled in the order the store fills a local one.
    KNVTCDFriendship *friendship(KNVTCDUser *inviter, KNVTCDUser *invitee, qint64 status);
    KNVTCDTask *task(const TaskSpec &spec);
    KNVTCDTag *tag(const TagSpec &spec);
    KNVTCDTaggedTask *tagTask(KNVTCDTag *tag, KNVTCDTask *task);
    KNVTCDTaskWatcher *watcher(KNVTCDTask *task, KNVTCDUser *user);
    KNVTCDTaskComment *comment(const CommentSpec &spec);

    // Gives `object` an identifier and clears what it had to push, as if the service had just sent it.
    template <class T>
    static T *synced(T *object, qint64 numericIdentifier)
    {
        object->setNumericIdentifier(numericIdentifier);
        object->setChangedKeysString(QString());
        return object;
    }

    // A random but reproducible library: the local user, friends, invited, pending users and strangers; projects and
    // areas of every status, mostly accepted, some pending or declined, a third shared with another user; tasks of
    // every status with due and start dates around `now`, in lists or the Inbox, mostly assigned to the local user,
    // some archived or tombstoned; watchers, tags on every task, and comments. The same shape and seed give the same
    // library.
    GeneratedLibrary generateLibrary(const LibraryShape &shape = {});

private:
    ostore::Context *m_context = nullptr;
    KNVTCDUser *m_me = nullptr;
};

} // namespace knvt::test
