#include "model/KNVTCDModel.h"

#include "model/KNVTCDAccount.h"
#include "model/KNVTCDAvatar.h"
#include "model/KNVTCDFriendship.h"
#include "model/KNVTCDTag.h"
#include "model/KNVTCDTaggedTask.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskComment.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDTaskListCollaborator.h"
#include "model/KNVTCDTaskStoreInformation.h"
#include "model/KNVTCDTaskWatcher.h"
#include "model/KNVTCDUser.h"

namespace {

using ostore::OnTargetDelete;
using ostore::Type;
using Builder = ostore::Model::EntityBuilder;

Builder &pulledAttributes(Builder &e)
{
    return e.attr(QStringLiteral("numericIdentifier"), Type::Int64)
        .attr(QStringLiteral("eTag"), Type::String)
        .attr(QStringLiteral("needsUpdating"), Type::Bool)
        .attr(QStringLiteral("createdDate"), Type::Date)
        .attr(QStringLiteral("modifiedDate"), Type::Date)
        .attr(QStringLiteral("deletedDate"), Type::Date);
}

Builder &syncedAttributes(Builder &e)
{
    return pulledAttributes(e).attr(QStringLiteral("changedKeysString"), Type::String);
}

// Where a new object stands with the service (version 5), after every other column of a synced entity.
Builder &pushAttributes(Builder &e)
{
    return e.attr(QStringLiteral("pushState"), Type::Int64).attr(QStringLiteral("pushedAttributes"), Type::String);
}

const char *const kSyncedTables[] = {"KNVTCDFriendship",  "KNVTCDTaskList",   "KNVTCDTaskListCollaborator",
                                     "KNVTCDTask",        "KNVTCDTag",        "KNVTCDTaggedTask",
                                     "KNVTCDTaskComment", "KNVTCDTaskWatcher"};

} // namespace

ostore::Model KNVTCDModel()
{
    ostore::Model m(5);

    // Columns added in later versions come last, so that a migrated table has the same layout as a new one.
    Builder user = m.entity<KNVTCDUser>(QStringLiteral("KNVTCDUser"));
    pulledAttributes(user)
        .attr(QStringLiteral("emailAddress"), Type::String)
        .attr(QStringLiteral("username"), Type::String)
        .attr(QStringLiteral("firstName"), Type::String)
        .attr(QStringLiteral("lastName"), Type::String)
        .attr(QStringLiteral("fullName"), Type::String)
        .attr(QStringLiteral("isoCountryCode"), Type::String)
        .attr(QStringLiteral("extendedDisplayName"), Type::String)
        .attr(QStringLiteral("friendshipStatus"), Type::Int64)
        .attr(QStringLiteral("initials"), Type::String);

    m.entity<KNVTCDAvatar>(QStringLiteral("KNVTCDAvatar"))
        .attr(QStringLiteral("needsUpdating"), Type::Bool)
        .attr(QStringLiteral("modifiedDate"), Type::Date)
        .attr(QStringLiteral("data"), Type::Blob)
        .attr(QStringLiteral("fileExtension"), Type::String)
        .attr(QStringLiteral("opaque"), Type::Bool)
        .oneToOne(QStringLiteral("user"), QStringLiteral("KNVTCDUser"), QStringLiteral("avatar"),
                  OnTargetDelete::Cascade)
        .attr(QStringLiteral("thumbnailData"), Type::Blob);

    Builder account = m.entity<KNVTCDAccount>(QStringLiteral("KNVTCDAccount"));
    pulledAttributes(account).oneToOne(QStringLiteral("owner"), QStringLiteral("KNVTCDUser"),
                                       QStringLiteral("ownedAccount"), OnTargetDelete::Nullify);

    Builder friendship = m.entity<KNVTCDFriendship>(QStringLiteral("KNVTCDFriendship"));
    pushAttributes(syncedAttributes(friendship)
                       .attr(QStringLiteral("status"), Type::Int64)
                       .toOne(QStringLiteral("inviter"), QStringLiteral("KNVTCDUser"),
                              QStringLiteral("inviterFriendships"), OnTargetDelete::Nullify)
                       .toOne(QStringLiteral("invitee"), QStringLiteral("KNVTCDUser"),
                              QStringLiteral("inviteeFriendships"), OnTargetDelete::Nullify));

    Builder taskList = m.entity<KNVTCDTaskList>(QStringLiteral("KNVTCDTaskList"));
    pushAttributes(syncedAttributes(taskList)
                       .attr(QStringLiteral("startDate"), Type::Date)
                       .attr(QStringLiteral("title"), Type::String)
                       .attr(QStringLiteral("notes"), Type::String)
                       .attr(QStringLiteral("priority"), Type::Int64)
                       .attr(QStringLiteral("type"), Type::Int64)
                       .attr(QStringLiteral("dueDate"), Type::Date)
                       .attr(QStringLiteral("archivedDate"), Type::Date)
                       .attr(QStringLiteral("status"), Type::Int64)
                       .attr(QStringLiteral("statusModifiedDate"), Type::Date)
                       .attr(QStringLiteral("taskListCollaboratorStatus"), Type::Int64)
                       .attr(QStringLiteral("taskListCollaboratorTaskListTypeOrderIndex"), Type::Int64)
                       .toOne(QStringLiteral("creator"), QStringLiteral("KNVTCDUser"),
                              QStringLiteral("createdTaskLists"), OnTargetDelete::Nullify));

    Builder collaborator = m.entity<KNVTCDTaskListCollaborator>(QStringLiteral("KNVTCDTaskListCollaborator"));
    pushAttributes(syncedAttributes(collaborator)
                       .attr(QStringLiteral("role"), Type::Int64)
                       .attr(QStringLiteral("status"), Type::Int64)
                       .attr(QStringLiteral("taskListTypeOrderIndex"), Type::Int64)
                       .attr(QStringLiteral("reviewedDate"), Type::Date)
                       .attr(QStringLiteral("reviewDate"), Type::Date)
                       .attr(QStringLiteral("reviewRecurrenceString"), Type::String)
                       .toOne(QStringLiteral("taskList"), QStringLiteral("KNVTCDTaskList"),
                              QStringLiteral("taskListCollaborators"), OnTargetDelete::Cascade)
                       .toOne(QStringLiteral("user"), QStringLiteral("KNVTCDUser"),
                              QStringLiteral("taskListCollaborators"), OnTargetDelete::Nullify));

    // Removing a list only detaches its tasks here; the store decides what becomes of them.
    Builder task = m.entity<KNVTCDTask>(QStringLiteral("KNVTCDTask"));
    pushAttributes(syncedAttributes(task)
                       .attr(QStringLiteral("title"), Type::String)
                       .attr(QStringLiteral("notes"), Type::String)
                       .attr(QStringLiteral("priority"), Type::Int64)
                       .attr(QStringLiteral("status"), Type::Int64)
                       .attr(QStringLiteral("statusModifiedDate"), Type::Date)
                       .attr(QStringLiteral("startDate"), Type::Date)
                       .attr(QStringLiteral("dueDate"), Type::Date)
                       .attr(QStringLiteral("archivedDate"), Type::Date)
                       .attr(QStringLiteral("taskListOrderIndex"), Type::Int64)
                       .attr(QStringLiteral("recurrenceString"), Type::String)
                       .toOne(QStringLiteral("taskList"), QStringLiteral("KNVTCDTaskList"), QStringLiteral("tasks"),
                              OnTargetDelete::Nullify)
                       .toOne(QStringLiteral("assignee"), QStringLiteral("KNVTCDUser"), QStringLiteral("assignedTasks"),
                              OnTargetDelete::Nullify)
                       .toOne(QStringLiteral("creator"), QStringLiteral("KNVTCDUser"), QStringLiteral("createdTasks"),
                              OnTargetDelete::Nullify));

    Builder tag = m.entity<KNVTCDTag>(QStringLiteral("KNVTCDTag"));
    pushAttributes(syncedAttributes(tag)
                       .attr(QStringLiteral("title"), Type::String)
                       .attr(QStringLiteral("creatorOrderIndex"), Type::Int64)
                       .toOne(QStringLiteral("creator"), QStringLiteral("KNVTCDUser"), QStringLiteral("createdTags"),
                              OnTargetDelete::Nullify));

    Builder taggedTask = m.entity<KNVTCDTaggedTask>(QStringLiteral("KNVTCDTaggedTask"));
    pushAttributes(syncedAttributes(taggedTask)
                       .toOne(QStringLiteral("tag"), QStringLiteral("KNVTCDTag"), QStringLiteral("taggedTasks"),
                              OnTargetDelete::Cascade)
                       .toOne(QStringLiteral("task"), QStringLiteral("KNVTCDTask"), QStringLiteral("taggedTasks"),
                              OnTargetDelete::Cascade));

    Builder comment = m.entity<KNVTCDTaskComment>(QStringLiteral("KNVTCDTaskComment"));
    pushAttributes(syncedAttributes(comment)
                       .attr(QStringLiteral("text"), Type::String)
                       .toOne(QStringLiteral("task"), QStringLiteral("KNVTCDTask"), QStringLiteral("comments"),
                              OnTargetDelete::Cascade)
                       .toOne(QStringLiteral("user"), QStringLiteral("KNVTCDUser"), QStringLiteral("comments"),
                              OnTargetDelete::Nullify));

    Builder watcher = m.entity<KNVTCDTaskWatcher>(QStringLiteral("KNVTCDTaskWatcher"));
    pushAttributes(syncedAttributes(watcher)
                       .toOne(QStringLiteral("task"), QStringLiteral("KNVTCDTask"), QStringLiteral("taskWatchers"),
                              OnTargetDelete::Cascade)
                       .toOne(QStringLiteral("user"), QStringLiteral("KNVTCDUser"), QStringLiteral("taskWatchers"),
                              OnTargetDelete::Nullify));

    m.entity<KNVTCDTaskStoreInformation>(QStringLiteral("KNVTCDTaskStoreInformation"))
        .attr(QStringLiteral("createdDate"), Type::Date)
        .attr(QStringLiteral("modifiedDate"), Type::Date)
        .attr(QStringLiteral("username"), Type::String)
        .attr(QStringLiteral("userNumericIdentifier"), Type::Int64)
        .attr(QStringLiteral("accountNumericIdentifier"), Type::Int64)
        .attr(QStringLiteral("environmentType"), Type::Int64);

    // Version 4 added the users' initials and the avatars' thumbnails.
    m.migration(3,
                {QStringLiteral("ALTER TABLE KNVTCDUser ADD COLUMN initials TEXT"),
                 QStringLiteral("ALTER TABLE KNVTCDAvatar ADD COLUMN thumbnailData BLOB")});
    // Version 5 added where a new object stands with the service.
    QStringList pushColumns;
    for (const char *table : kSyncedTables) {
        pushColumns << QStringLiteral("ALTER TABLE %1 ADD COLUMN pushState INTEGER").arg(QLatin1String(table))
                    << QStringLiteral("ALTER TABLE %1 ADD COLUMN pushedAttributes TEXT").arg(QLatin1String(table));
    }
    m.migration(4, pushColumns);
    return m;
}
