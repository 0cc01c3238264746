#include "TestModel.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QUuid>

#include <sqlite3.h>

using namespace ostore;

QStringList &HookLog::entries()
{
    static QStringList log;
    return log;
}

int &HookLog::awakeFromFetchCount()
{
    static int count = 0;
    return count;
}

void Recorded::didChangeValue(std::string_view key)
{
    HookLog::entries().append(QStringLiteral("%1.didChangeValue %2")
                                  .arg(entity().name, QString::fromUtf8(key.data(), qsizetype(key.size()))));
}

void Recorded::didChangeToMany(std::string_view key, Mutation mutation, const std::vector<Object *> &objects)
{
    HookLog::entries().append(
        QStringLiteral("%1.didChangeToMany %2 %3 %4")
            .arg(entity().name, QString::fromUtf8(key.data(), qsizetype(key.size())),
                 mutation == Mutation::Insert ? QStringLiteral("Insert") : QStringLiteral("Remove"))
            .arg(objects.size()));
}

void Recorded::awakeFromFetch()
{
    ++HookLog::awakeFromFetchCount();
}

bool &User::insertsAvatarOnFetch()
{
    static bool enabled = false;
    return enabled;
}

void User::awakeFromFetch()
{
    Recorded::awakeFromFetch();
    if (insertsAvatarOnFetch() && !avatar()) {
        auto *a = context()->insert<Avatar>();
        a->setUser(this);
    }
}

namespace testmodel {

ostore::Model makeModel()
{
    Model m(4);
    m.entity<User>(QStringLiteral("User"))
        .attr(QStringLiteral("fullName"), Type::String)
        .attr(QStringLiteral("friendshipStatus"), Type::Int64)
        .attr(QStringLiteral("numericIdentifier"), Type::Int64)
        .attr(QStringLiteral("initials"), Type::String);
    m.entity<Avatar>(QStringLiteral("Avatar"))
        .attr(QStringLiteral("data"), Type::Blob)
        .attr(QStringLiteral("thumbnailData"), Type::Blob)
        .attr(QStringLiteral("needsUpdating"), Type::Bool, false)
        .oneToOne(QStringLiteral("user"), QStringLiteral("User"), QStringLiteral("avatar"), OnTargetDelete::Cascade);
    m.entity<TaskList>(QStringLiteral("TaskList"))
        .attr(QStringLiteral("title"), Type::String)
        .attr(QStringLiteral("numericIdentifier"), Type::Int64)
        .attr(QStringLiteral("type"), Type::Int64)
        .attr(QStringLiteral("taskListCollaboratorStatus"), Type::Int64)
        .attr(QStringLiteral("archivedDate"), Type::Date)
        .attr(QStringLiteral("deletedDate"), Type::Date);
    m.entity<Task>(QStringLiteral("Task"))
        .attr(QStringLiteral("title"), Type::String)
        .attr(QStringLiteral("notes"), Type::String)
        .attr(QStringLiteral("numericIdentifier"), Type::Int64)
        .attr(QStringLiteral("status"), Type::Int64)
        .attr(QStringLiteral("orderIndex"), Type::Double)
        .attr(QStringLiteral("flagged"), Type::Bool)
        .attr(QStringLiteral("dueDate"), Type::Date)
        .attr(QStringLiteral("startDate"), Type::Date)
        .attr(QStringLiteral("archivedDate"), Type::Date)
        .attr(QStringLiteral("deletedDate"), Type::Date)
        .toOne(QStringLiteral("taskList"), QStringLiteral("TaskList"), QStringLiteral("tasks"), OnTargetDelete::Nullify)
        .toOne(QStringLiteral("assignee"), QStringLiteral("User"), QStringLiteral("assignedTasks"),
               OnTargetDelete::Nullify);
    m.entity<Tag>(QStringLiteral("Tag")).attr(QStringLiteral("title"), Type::String);
    m.entity<TaggedTask>(QStringLiteral("TaggedTask"))
        .attr(QStringLiteral("numericIdentifier"), Type::Int64)
        .attr(QStringLiteral("deletedDate"), Type::Date)
        .toOne(QStringLiteral("tag"), QStringLiteral("Tag"), QStringLiteral("taggedTasks"), OnTargetDelete::Cascade)
        .toOne(QStringLiteral("task"), QStringLiteral("Task"), QStringLiteral("taggedTasks"), OnTargetDelete::Cascade);
    m.entity<Comment>(QStringLiteral("Comment"))
        .attr(QStringLiteral("text"), Type::String)
        .toOne(QStringLiteral("task"), QStringLiteral("Task"), QStringLiteral("comments"), OnTargetDelete::Cascade);
    m.entity<Watcher>(QStringLiteral("Watcher"))
        .toOne(QStringLiteral("task"), QStringLiteral("Task"), QStringLiteral("taskWatchers"), OnTargetDelete::Cascade)
        .toOne(QStringLiteral("user"), QStringLiteral("User"), QStringLiteral("watchers"), OnTargetDelete::Nullify);
    m.entity<Collaborator>(QStringLiteral("Collaborator"))
        .attr(QStringLiteral("status"), Type::Int64)
        .toOne(QStringLiteral("taskList"), QStringLiteral("TaskList"), QStringLiteral("taskListCollaborators"),
               OnTargetDelete::Cascade)
        .toOne(QStringLiteral("user"), QStringLiteral("User"), QStringLiteral("collaborations"),
               OnTargetDelete::Nullify);
    m.migration(3,
                {QStringLiteral("ALTER TABLE \"User\" ADD COLUMN \"initials\" TEXT"),
                 QStringLiteral("ALTER TABLE \"Avatar\" ADD COLUMN \"thumbnailData\" BLOB")});
    return m;
}

QString version3Ddl()
{
    QString ddl = makeModel().ddl();
    ddl.remove(QStringLiteral(", \"initials\" TEXT"));
    ddl.remove(QStringLiteral(", \"thumbnailData\" BLOB"));
    return ddl;
}

bool writeVersion3File(const QString &path, int tasks, bool wal)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr)
        != SQLITE_OK)
        return false;
    const QString ddl = version3Ddl();
    const QString hash =
        QString::fromLatin1(QCryptographicHash::hash(ddl.toUtf8(), QCryptographicHash::Sha256).toHex());
    QString sql = (wal ? QStringLiteral("PRAGMA journal_mode=WAL;") : QString()) + QStringLiteral("BEGIN;") + ddl;
    sql += QStringLiteral("INSERT INTO Z_METADATA VALUES ('storeUUID', '%1'), ('modelVersionIdentifiers', '[\"3\"]'), "
                          "('schemaHash', '%2'), ('txn', 1), ('prunedTxn', 0);")
               .arg(QUuid::createUuid().toString(QUuid::WithoutBraces), hash);
    sql += QStringLiteral("INSERT INTO \"User\" (Z_ID, Z_TXN, fullName, friendshipStatus) VALUES (7, 1, 'Ada', 6);");
    for (int i = 0; i < tasks; ++i)
        sql += QStringLiteral("INSERT INTO \"Task\" (Z_ID, Z_TXN, title, numericIdentifier, assignee) VALUES (%1, 1, "
                              "'v3 task %2', %2, 7);")
                   .arg(1000 + i)
                   .arg(i);
    sql +=
        QStringLiteral("PRAGMA application_id = %1; PRAGMA user_version = 3; COMMIT;").arg(Coordinator::kApplicationId);
    const bool ok = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

Library::Library(const QString &file)
{
    coordinator = std::make_unique<Coordinator>(makeModel());
    opened = coordinator->open(file, &openResult, &openError);
    main = std::make_unique<Context>(coordinator.get());
}

Library::~Library()
{
    main.reset();
    coordinator.reset();
}

} // namespace testmodel
