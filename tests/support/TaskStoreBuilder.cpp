#include "support/TaskStoreBuilder.h"

#include "support/UserText.h"

#include "objectstore/Context.h"

#include <random>

namespace knvt::test {

void TaskStoreBuilder::setContext(ostore::Context *context)
{
    m_context = context;
    m_me = nullptr;
}

KNVTCDUser *TaskStoreBuilder::me(UserSpec spec)
{
    if (!m_me) {
        spec.friendshipStatus = KNVTUserFriendshipStatusMe;
        m_me = user(spec);
    }
    return m_me;
}

KNVTCDUser *TaskStoreBuilder::user(const UserSpec &spec)
{
    auto *u = m_context->insert<KNVTCDUser>();
    if (spec.numericIdentifier)
        u->setNumericIdentifier(spec.numericIdentifier);
    if (!spec.username.isNull())
        u->setUsername(spec.username);
    if (!spec.firstName.isNull())
        u->setFirstName(spec.firstName);
    if (!spec.lastName.isNull())
        u->setLastName(spec.lastName);
    if (!spec.fullName.isNull())
        u->setFullName(spec.fullName);
    if (!spec.extendedDisplayName.isNull())
        u->setExtendedDisplayName(spec.extendedDisplayName);
    if (spec.friendshipStatus)
        u->setFriendshipStatus(spec.friendshipStatus);
    return u;
}

KNVTCDTaskList *TaskStoreBuilder::taskList(const TaskListSpec &spec)
{
    auto *list = m_context->insert<KNVTCDTaskList>();
    if (!spec.title.isNull())
        list->setTitle(spec.title);
    if (spec.type)
        list->setType(spec.type);
    if (spec.status)
        list->setStatus(spec.status);
    if (spec.numericIdentifier)
        list->setNumericIdentifier(spec.numericIdentifier);
    for (const MemberSpec &member : spec.members)
        collaborator(list, member.user, member.role, member.status);
    if (spec.collaboratorStatus)
        list->setTaskListCollaboratorStatus(spec.collaboratorStatus);
    if (spec.archived.isValid())
        list->setArchivedDate(spec.archived);
    return list;
}

KNVTCDTaskListCollaborator *TaskStoreBuilder::collaborator(KNVTCDTaskList *list, KNVTCDUser *user,
                                                           std::optional<qint64> role, std::optional<qint64> status)
{
    auto *row = m_context->insert<KNVTCDTaskListCollaborator>();
    row->setTaskList(list);
    row->setUser(user);
    if (role)
        row->setRole(role);
    if (status)
        row->setStatus(status);
    return row;
}

KNVTCDFriendship *TaskStoreBuilder::friendship(KNVTCDUser *inviter, KNVTCDUser *invitee, qint64 status)
{
    auto *record = m_context->insert<KNVTCDFriendship>();
    record->setStatus(status);
    record->setInvitee(invitee);
    record->setInviter(inviter);
    return record;
}

KNVTCDTask *TaskStoreBuilder::task(const TaskSpec &spec)
{
    auto *t = m_context->insert<KNVTCDTask>();
    if (!spec.title.isNull())
        t->setTitle(spec.title);
    if (spec.status)
        t->setStatus(spec.status);
    if (spec.assignee)
        t->setAssignee(spec.assignee);
    if (spec.creator)
        t->setCreator(spec.creator);
    if (spec.due.isValid())
        t->setDueDate(spec.due);
    if (spec.start.isValid())
        t->setStartDate(spec.start);
    if (spec.list)
        t->setTaskList(spec.list);
    if (!spec.notes.isNull())
        t->setNotes(spec.notes);
    if (spec.priority)
        t->setPriority(spec.priority);
    if (spec.archived.isValid())
        t->setArchivedDate(spec.archived);
    if (spec.numericIdentifier)
        t->setNumericIdentifier(spec.numericIdentifier);
    if (spec.created.isValid())
        t->setCreatedDate(spec.created);
    if (spec.modified.isValid())
        t->setModifiedDate(spec.modified);
    if (spec.deleted.isValid())
        t->setDeletedDate(spec.deleted);
    for (KNVTCDTag *tag : spec.tags)
        tagTask(tag, t);
    for (KNVTCDUser *watching : spec.watchers)
        watcher(t, watching);
    return t;
}

KNVTCDTag *TaskStoreBuilder::tag(const TagSpec &spec)
{
    auto *t = m_context->insert<KNVTCDTag>();
    if (!spec.title.isNull())
        t->setTitle(spec.title);
    if (spec.creator)
        t->setCreator(spec.creator);
    if (spec.numericIdentifier)
        t->setNumericIdentifier(spec.numericIdentifier);
    return t;
}

KNVTCDTaggedTask *TaskStoreBuilder::tagTask(KNVTCDTag *tag, KNVTCDTask *task)
{
    auto *row = m_context->insert<KNVTCDTaggedTask>();
    row->setTag(tag);
    row->setTask(task);
    return row;
}

KNVTCDTaskWatcher *TaskStoreBuilder::watcher(KNVTCDTask *task, KNVTCDUser *user)
{
    auto *row = m_context->insert<KNVTCDTaskWatcher>();
    row->setUser(user);
    row->setTask(task);
    return row;
}

KNVTCDTaskComment *TaskStoreBuilder::comment(const CommentSpec &spec)
{
    auto *c = m_context->insert<KNVTCDTaskComment>();
    if (spec.task)
        c->setTask(spec.task);
    if (!spec.text.isNull())
        c->setText(spec.text);
    if (spec.created.isValid())
        c->setCreatedDate(spec.created);
    if (spec.author)
        c->setUser(spec.author);
    if (spec.numericIdentifier) {
        c->setNumericIdentifier(spec.numericIdentifier);
        c->setModifiedDate(spec.created);
        c->setChangedKeysString(QString());
    }
    return c;
}

GeneratedLibrary TaskStoreBuilder::generateLibrary(const LibraryShape &shape)
{
    GeneratedLibrary made;
    std::mt19937_64 random(shape.seed);
    auto below = [&](qint64 n) { return qint64(random() % quint64(n)); };
    auto chance = [&](int percent) { return int(random() % 100) < percent; };
    auto otherUser = [&] { return made.users[1 + below(shape.users - 1)]; };
    const QDateTime &now = shape.now;
    // The text has a generator of its own, so that both kinds of text come with the same structure.
    const bool numbered = shape.text == LibraryText::Numbered;
    UserText text(shape.seed);
    // Of n lists or tags, the first few hold most: i*i/n of a uniform i favours the low ones.
    auto skewed = [numbered](qint64 index, qint64 n) { return numbered ? index : index * index / n; };
    qint64 identifier = 1;

    // The first user is the local user; the others are friends, invited, pending or strangers.
    const qint64 friendshipStatuses[] = {KNVTUserFriendshipStatusFriend,  KNVTUserFriendshipStatusFriend,
                                         KNVTUserFriendshipStatusFriend,  KNVTUserFriendshipStatusInvited,
                                         KNVTUserFriendshipStatusPending, KNVTUserFriendshipStatusNone};
    for (int i = 0; i < shape.users; ++i) {
        const qint64 id = identifier++;
        const qint64 friendship = i == 0 ? qint64(KNVTUserFriendshipStatusMe) : friendshipStatuses[below(6)];
        made.users.push_back(user({.numericIdentifier = id,
                                   .username = QStringLiteral("user%1").arg(i),
                                   .firstName = numbered ? QStringLiteral("User %1").arg(i) : text.givenName(),
                                   .lastName = numbered ? QString() : text.familyName(),
                                   .friendshipStatus = friendship}));
    }
    KNVTCDUser *local = made.me();
    if (m_me == nullptr)
        m_me = local;

    const qint64 listStatuses[] = {KNVTTaskListStatusActionable, KNVTTaskListStatusActionable,
                                   KNVTTaskListStatusActionable, KNVTTaskListStatusActionable,
                                   KNVTTaskListStatusSomeday,    KNVTTaskListStatusCompleted,
                                   KNVTTaskListStatusCancelled};
    for (int i = 0; i < shape.lists; ++i) {
        const qint64 id = identifier++;
        const qint64 type = chance(70) ? KNVTTaskListTypeProject : KNVTTaskListTypeArea;
        const qint64 status = listStatuses[below(7)];
        const qint64 myStatus = chance(90)
            ? KNVTTaskListCollaboratorStatusAccepted
            : (chance(50) ? KNVTTaskListCollaboratorStatusPending : KNVTTaskListCollaboratorStatusDeclined);
        const QString title = numbered        ? QStringLiteral("List %1").arg(i)
            : type == KNVTTaskListTypeProject ? text.projectTitle()
                                              : text.areaTitle();
        KNVTCDTaskList *list = taskList({.title = title, .type = type, .status = status, .numericIdentifier = id});
        const qint64 myRole = myStatus == KNVTTaskListCollaboratorStatusAccepted && chance(80)
            ? KNVTTaskListCollaboratorRoleOwner
            : KNVTTaskListCollaboratorRoleEditor;
        collaborator(list, local, myRole, myStatus)->setNumericIdentifier(identifier++);
        if (chance(30)) {
            const qint64 otherRowId = identifier++;
            collaborator(list, otherUser())->setNumericIdentifier(otherRowId);
        }
        list->setTaskListCollaboratorStatus(myStatus);
        if (chance(10))
            list->setArchivedDate(now.addDays(-below(300)));
        made.lists.push_back(list);
    }

    made.tasks.reserve(shape.tasks);
    const qint64 taskStatuses[] = {2, 2, 2, 2, 2, 1, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 5, 5};
    for (int i = 0; i < shape.tasks; ++i) {
        TaskSpec spec{.title = numbered ? QStringLiteral("Task %1 of the generated library").arg(i) : text.taskTitle()};
        if (chance(30))
            spec.notes = numbered ? QStringLiteral("Notes of task %1, a few words long.").arg(i) : text.taskNotes();
        spec.status = taskStatuses[below(20)];
        if (chance(40))
            spec.due = now.addSecs(below(86400 * 120) - 86400 * 60);
        if (chance(20))
            spec.start = now.addSecs(below(86400 * 120) - 86400 * 60);
        if (chance(60) && shape.lists > 0)
            spec.list = made.lists[skewed(below(shape.lists), shape.lists)];
        spec.assignee = chance(90) ? local : (chance(90) ? otherUser() : nullptr);
        spec.creator = chance(85) ? local : otherUser();
        const bool closed = *spec.status == KNVTTaskStatusCompleted || *spec.status == KNVTTaskStatusCancelled;
        if (closed && chance(66))
            spec.archived = now.addDays(-below(300));
        if (chance(95)) {
            spec.numericIdentifier = identifier++;
            if (chance(2))
                spec.deleted = now.addDays(-below(3));
        }
        made.tasks.push_back(task(spec));
    }

    for (int i = 0; i < shape.watchers && shape.tasks > 0; ++i) {
        const qint64 id = identifier++;
        KNVTCDUser *watching = chance(50) ? local : otherUser();
        KNVTCDTaskWatcher *row = watcher(made.tasks[below(shape.tasks)], watching);
        row->setNumericIdentifier(id);
        if (chance(3))
            row->setDeletedDate(now.addDays(-1));
    }

    for (int i = 0; i < shape.tags; ++i)
        made.tags.push_back(tag({.title = numbered ? QStringLiteral("tag%1").arg(i) : text.tagTitle(),
                                 .creator = local,
                                 .numericIdentifier = identifier++}));
    for (KNVTCDTask *t : made.tasks) {
        if (made.tags.empty())
            break;
        const qint64 id = identifier++;
        KNVTCDTaggedTask *row = tagTask(made.tags[skewed(below(shape.tags), shape.tags)], t);
        row->setNumericIdentifier(id);
        if (chance(3))
            row->setDeletedDate(now.addDays(-1));
    }

    for (int i = 0; i < shape.comments && shape.tasks > 0; ++i) {
        const qint64 id = identifier++;
        KNVTCDTask *on = made.tasks[below(shape.tasks)];
        KNVTCDUser *author = chance(50) ? local : otherUser();
        comment({.task = on,
                 .text = numbered ? QStringLiteral("Comment %1, a few words about the task.").arg(i) : text.comment(),
                 .created = now.addSecs(-below(86400 * 300)),
                 .author = author,
                 .numericIdentifier = id});
    }
    return made;
}

} // namespace knvt::test
