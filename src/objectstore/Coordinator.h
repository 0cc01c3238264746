#pragma once

#include "objectstore/ChangeSet.h"
#include "objectstore/ErrorCode.h"
#include "objectstore/JournalStart.h"
#include "objectstore/Model.h"
#include "objectstore/OpenDatabase.h"
#include "objectstore/OpenResult.h"
#include "objectstore/RecordedDate.h"
#include "objectstore/Statement.h"
#include "objectstore/StoreMetadata.h"
#include "objectstore/Table.h"

#include <QObject>
#include <QSet>
#include <QUrl>

#include <functional>
#include <list>
#include <map>
#include <memory>
#include <optional>
#include <vector>

struct sqlite3;

namespace ostore {

class Context;
struct RowWrite;

// One per open library: owns the SQLite connection and the row cache, the last committed state of every loaded
// entity, which all contexts share. Main thread only.
class Coordinator : public QObject
{
    Q_OBJECT

public:
    static constexpr qint64 kApplicationId = 0x51564C42; // "QVLB"

    explicit Coordinator(Model model, QObject *parent = nullptr);
    ~Coordinator() override;

    // Opens the file read-only and reads what it says about itself; never writes. A missing file gives exists=false.
    static StoreMetadata readStoreMetadata(const QString &file, knvt::Error *error = nullptr);

    // Creates, migrates (after a backup alongside) or opens the library. Refuses a newer, foreign, damaged or
    // mismatched file without touching it.
    bool open(const QString &file, OpenResult *result = nullptr, knvt::Error *error = nullptr);
    // Contexts go inert: fetches return empty, counts 0, saves fail with StoreClosed. Returns without waiting for the
    // log made ready at open: the connection is then closed by that thread once it is done, and the next open() of the
    // same file waits for it.
    void close();
    // Returns once the write-ahead log is ready, so that a commit waits for the disk once; a commit waits for it by
    // itself. The log is made ready from the first turn of the thread's event loop after open(), or here when that
    // has not come yet.
    void waitForJournal();
    bool isOpen() const { return m_db != nullptr; }

    const Model &model() const { return m_model; }
    QString path() const { return m_path; }
    QString storeUUID() const { return m_storeUUID; }

    std::optional<ObjectID> objectIDForURI(const QUrl &uri) const;
    QUrl uri(ObjectID id) const;

    // The date a save of any process last recorded under `key` (Context::save(RecordedDate)), as the file holds it
    // now; invalid when none was, and on a failure, which goes to `error`.
    QDateTime recordedDate(const QString &key, knvt::Error *error = nullptr);

    // Reads what other processes committed since the last look, in O(changed rows), applies it to the cache and
    // returns it; the caller merges it into its contexts. Cheap when nothing changed.
    ChangeSet reloadExternalChanges(knvt::Error *error = nullptr);

    // Counters for tests and benchmarks: entity rows read from SQLite and entity SELECTs run.
    struct Statistics
    {
        quint64 rowsRead = 0;
        quint64 selects = 0;
    };
    const Statistics &statistics() const { return m_statistics; }
    sqlite3 *handle() const { return m_db; }
    // Loads the entity if needed and builds every lazy index of its cache (benchmarks measure them).
    bool buildIndexes(EntityId entity, knvt::Error *error = nullptr);

signals:
    // Other processes' commits found while loading an entity or saving; the caller merges them like
    // reloadExternalChanges() results. reloadExternalChanges() itself returns its set instead.
    void externalChangesLoaded(const ostore::ChangeSet &changes);

private:
    friend class Context;
    friend class EvalScope;
    friend class Object;

    // Starts making the log ready for the open that waits for it, if one does.
    void startJournal();

    struct CatchUp
    {
        bool full = false;
        qint64 txn = 0;
        std::vector<std::unique_ptr<Table>> tables; // per entity: rows written since the last look (all when full)
        std::vector<std::pair<EntityId, qint64>> deleted;
    };

    void assertThread(const char *operation) const;
    Table *table(EntityId entity) const { return m_tables[entity].get(); }
    bool ensureLoaded(const std::vector<EntityId> &entities, knvt::Error *error);
    bool commit(Context &context, std::vector<RowWrite> &writes, ChangeSet &changes, const RecordedDate *date,
                knvt::Error *error);
    // A date recorded with nothing else to save: a commit of its own.
    bool commitRecordedDate(const RecordedDate &date, knvt::Error *error);
    bool writeRecordedDate(const RecordedDate &date, knvt::Error *error);
    QByteArray readBlob(EntityId entity, int property, qint64 zid);
    void registerContext(Context *context);
    void unregisterContext(Context *context);

    bool openConnection(const QString &file, bool create, knvt::Error *error,
                        const std::function<bool(const FileHeader &header)> &admit = {});
    // Opens the connection and reads the file's metadata through it, when that cannot touch a file open() would
    // refuse or migrate; false leaves no connection.
    bool connectToCurrentLibrary(const QString &file, StoreMetadata *md);
    bool createSchema(knvt::Error *error, bool *raced);
    bool configureConnection(knvt::Error *error);
    knvt::Error sqliteError(int code) const;
    int exec(const char *sql);
    bool readCounter(const char *key, qint64 *value, knvt::Error *error);
    std::unique_ptr<Table> loadTable(EntityId entity, const char *where, qint64 txn, int *rc);
    bool readCatchUp(CatchUp &catchUp, knvt::Error *error);
    void applyCatchUp(CatchUp &catchUp, ChangeSet &changes);
    void vanish(EntityId entity, quint32 pos);
    void compactTables();
    void queueExternal(const ChangeSet &changes);
    void emitQueuedExternal();
    QString selectColumns(const EntityDescription &entity) const;
    Statement &cached(const QString &sql);
    Statement &updateStatement(EntityId entity, quint64 mask, const std::vector<int> &properties);
    void writeCell(Table &table, int column, quint32 pos, const Value &value);
    // Steps a statement that answers no row (or one integer) and makes it ready for its next use; on failure the
    // error is SQLite's.
    bool stepToDone(Statement &statement, knvt::Error *error);
    bool stepToRow(Statement &statement, qint64 *value, knvt::Error *error);

    // The steps of commit(), in order; the SQL steps run inside its transaction and leave the rollback to it.
    struct InsertStatements;
    using StagedTables = std::vector<std::pair<EntityId, std::unique_ptr<Table>>>;
    bool catchUpUnderLock(CatchUp &catchUp, bool *catchingUp, knvt::Error *error);
    bool stageTables(const std::vector<RowWrite> &writes, StagedTables &staged, knvt::Error *error);
    bool writeRows(std::vector<RowWrite> &writes, qint64 txn, bool *deletedAny, knvt::Error *error);
    bool insertRows(std::vector<RowWrite> &writes, size_t first, qint64 txn, std::vector<InsertStatements> &built,
                    std::vector<const Value *> &values, size_t *rows, knvt::Error *error);
    bool updateRow(RowWrite &write, qint64 txn, knvt::Error *error);
    bool deleteRow(RowWrite &write, qint64 txn, knvt::Error *error);
    bool pruneDeletionLog(knvt::Error *error);
    void applyCommit(Context &context, std::vector<RowWrite> &writes, CatchUp *catchUp, StagedTables &staged,
                     qint64 txn, ChangeSet &changes);
    InsertStatements &insertStatements(std::vector<InsertStatements> &built, const EntityDescription &entity);
    static const std::vector<const Value *> &insertedValues(const Object *object, std::vector<const Value *> &into);
    void logLoadFailure(EntityId entity, const knvt::Error &error);
    quint32 nextGeneration() { return ++m_generation; }

    Model m_model;
    sqlite3 *m_db = nullptr;
    QString m_path;
    QString m_storeUUID;
    // Scheme and host of every object URI, checked once; each URI only adds its path.
    QUrl m_uriPrefix;
    qint64 m_lastTxn = 0;
    qint64 m_dataVersion = -1;
    quint32 m_generation = 0;
    std::vector<std::unique_ptr<Table>> m_tables;
    std::vector<Context *> m_contexts;
    std::map<QString, Statement> m_statements;
    // Moves with every change of the shared cache: a commit of any context, another process's rows read in.
    quint64 m_cacheChangeCount = 0;
    std::list<std::pair<std::pair<EntityId, quint64>, Statement>> m_updates; // most recently used first
    Statistics m_statistics;
    ChangeSet m_queuedExternal;
    bool m_externalScheduled = false;
    QSet<QPair<int, qint64>> m_loggedFailures;
    JournalStart m_journalStart;
    // Whether the log of the open library waits for the next turn of the event loop to be made ready.
    bool m_journalPending = false;
};

} // namespace ostore
