#include "BenchModel.h"

using namespace ostore;

namespace benchmodel {

namespace {

// The synced attributes every entity carries.
Model::EntityBuilder &synced(Model::EntityBuilder &&e)
{
    return e.attr(QStringLiteral("numericIdentifier"), Type::Int64)
        .attr(QStringLiteral("eTag"), Type::String)
        .attr(QStringLiteral("needsUpdating"), Type::Bool)
        .attr(QStringLiteral("createdDate"), Type::Date)
        .attr(QStringLiteral("modifiedDate"), Type::Date)
        .attr(QStringLiteral("deletedDate"), Type::Date)
        .attr(QStringLiteral("changedKeysString"), Type::String);
}

} // namespace

Model makeModel()
{
    Model m(4);
    synced(m.entity<BenchUser>(QStringLiteral("KNVTCDUser")))
        .attr(QStringLiteral("fullName"), Type::String)
        .attr(QStringLiteral("friendshipStatus"), Type::Int64);
    synced(m.entity<BenchTaskList>(QStringLiteral("KNVTCDTaskList")))
        .attr(QStringLiteral("title"), Type::String)
        .attr(QStringLiteral("type"), Type::Int64)
        .attr(QStringLiteral("taskListCollaboratorStatus"), Type::Int64)
        .attr(QStringLiteral("archivedDate"), Type::Date);
    synced(m.entity<BenchTask>(QStringLiteral("KNVTCDTask")))
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
               OnTargetDelete::Nullify);
    synced(m.entity<BenchOther>(QStringLiteral("KNVTCDTaskListCollaborator")))
        .attr(QStringLiteral("status"), Type::Int64)
        .toOne(QStringLiteral("taskList"), QStringLiteral("KNVTCDTaskList"), QStringLiteral("taskListCollaborators"),
               OnTargetDelete::Cascade)
        .toOne(QStringLiteral("user"), QStringLiteral("KNVTCDUser"), QStringLiteral("collaborations"),
               OnTargetDelete::Nullify);
    synced(m.entity<BenchOther>(QStringLiteral("KNVTCDTag"))).attr(QStringLiteral("title"), Type::String);
    synced(m.entity<BenchOther>(QStringLiteral("KNVTCDTaggedTask")))
        .toOne(QStringLiteral("tag"), QStringLiteral("KNVTCDTag"), QStringLiteral("taggedTasks"),
               OnTargetDelete::Cascade)
        .toOne(QStringLiteral("task"), QStringLiteral("KNVTCDTask"), QStringLiteral("taggedTasks"),
               OnTargetDelete::Cascade);
    synced(m.entity<BenchOther>(QStringLiteral("KNVTCDTaskComment")))
        .attr(QStringLiteral("text"), Type::String)
        .toOne(QStringLiteral("task"), QStringLiteral("KNVTCDTask"), QStringLiteral("comments"),
               OnTargetDelete::Cascade);
    synced(m.entity<BenchOther>(QStringLiteral("KNVTCDTaskWatcher")))
        .toOne(QStringLiteral("task"), QStringLiteral("KNVTCDTask"), QStringLiteral("taskWatchers"),
               OnTargetDelete::Cascade)
        .toOne(QStringLiteral("user"), QStringLiteral("KNVTCDUser"), QStringLiteral("watchers"),
               OnTargetDelete::Nullify);
    return m;
}

} // namespace benchmodel
