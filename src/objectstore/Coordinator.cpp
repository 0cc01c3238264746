#include "objectstore/Coordinator.h"

#include "objectstore/Context.h"
#include "objectstore/EvalScope.h"
#include "objectstore/Logging.h"
#include "objectstore/Migrator.h"
#include "objectstore/Object.h"
#include "objectstore/OpenDatabase.h"
#include "objectstore/RepeatedTexts.h"
#include "objectstore/RowWrite.h"

#include "foundation/Assert.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QThread>
#include <QTimer>
#include <QUuid>

#include <sqlite3.h>

#include <algorithm>
#include <cstring>

namespace ostore {

namespace {

// SQLite's page cache for the writes and the few rows read on demand, and for the scan of a full load.
constexpr char kCacheSize[] = "PRAGMA cache_size=-8192";
constexpr char kScanCacheSize[] = "PRAGMA cache_size=-256";

constexpr int kPrunedKeep = 10000;
constexpr int kPruneAbove = 20000;
constexpr int kInsertRowsPerStatement = 32;

QString quoted(const QString &name)
{
    return QLatin1Char('"') + name + QLatin1Char('"');
}

// `inPlace`: the value outlives the statement's next step, so its text need not be copied.
void bindValue(Statement &s, int index, const Value &v, bool inPlace = false)
{
    if (inPlace && v.index() == 4) {
        s.bindTextInPlace(index, std::get<QString>(v));
        return;
    }
    switch (v.index()) {
    case 1: s.bindInt(index, std::get<qint64>(v)); break;
    case 2: s.bindInt(index, std::get<bool>(v) ? 1 : 0); break;
    case 3: s.bindDouble(index, std::get<double>(v)); break;
    case 4: s.bindText(index, std::get<QString>(v)); break;
    case 5: s.bindInt(index, std::get<QDateTime>(v).toMSecsSinceEpoch()); break;
    case 6: s.bindBlob(index, std::get<QByteArray>(v)); break;
    case 7: s.bindInt(index, std::get<ObjectID>(v).zid); break;
    default: s.bindNull(index); break;
    }
}

} // namespace

Coordinator::Coordinator(Model model, QObject *parent) : QObject(parent), m_model(std::move(model))
{
    qRegisterMetaType<ostore::ChangeSet>();
    m_model.finalize();
}

Coordinator::~Coordinator()
{
    close();
    KNVT_ASSERT(m_contexts.empty(), "ostore::Coordinator", "~Coordinator: a context outlives its coordinator");
}

void Coordinator::assertThread(const char *operation) const
{
    KNVT_ASSERT(QThread::currentThread() == thread(), "ostore::Coordinator", operation);
}

void Coordinator::registerContext(Context *context)
{
    m_contexts.push_back(context);
}

void Coordinator::unregisterContext(Context *context)
{
    m_contexts.erase(std::remove(m_contexts.begin(), m_contexts.end(), context), m_contexts.end());
}

knvt::Error Coordinator::sqliteError(int code) const
{
    return ErrorFactory::fromSqlite(code, m_db, m_path);
}

int Coordinator::exec(const char *sql)
{
    return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
}

// ---- metadata and open ----

namespace {

// Fills `md` from an open connection: SQLITE_OK, or the engine's error.
int readMetadata(sqlite3 *db, StoreMetadata &md)
{
    int rc;
    Statement app(db, QStringLiteral("PRAGMA application_id"));
    if ((rc = app.step()) != SQLITE_ROW)
        return app.isValid() ? sqlite3_extended_errcode(db) : app.prepareResult();
    md.applicationId = app.intAt(0);
    Statement version(db, QStringLiteral("PRAGMA user_version"));
    if ((rc = version.step()) != SQLITE_ROW)
        return rc;
    md.userVersion = int(version.intAt(0));
    Statement tables(db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"));
    bool metadataTable = false;
    while ((rc = tables.step()) == SQLITE_ROW) {
        md.hasTables = true;
        if (tables.textAt(0) == QLatin1String("Z_METADATA"))
            metadataTable = true;
    }
    if (rc != SQLITE_DONE)
        return rc;
    if (metadataTable) {
        Statement values(db, QStringLiteral("SELECT key, value FROM Z_METADATA"));
        while ((rc = values.step()) == SQLITE_ROW) {
            const QString key = values.textAt(0);
            if (key == QLatin1String("storeUUID"))
                md.storeUUID = values.textAt(1);
            else if (key == QLatin1String("schemaHash"))
                md.schemaHash = values.textAt(1);
            else if (key == QLatin1String("modelVersionIdentifiers")) {
                for (const QJsonArray ids = QJsonDocument::fromJson(values.textAt(1).toUtf8()).array();
                     const QJsonValue &v : ids)
                    md.modelVersionIdentifiers.append(v.toString());
            }
        }
        if (rc != SQLITE_DONE)
            return rc;
    }
    return SQLITE_OK;
}

quint32 bigEndian32(const unsigned char *bytes)
{
    return quint32(bytes[0]) << 24 | quint32(bytes[1]) << 16 | quint32(bytes[2]) << 8 | quint32(bytes[3]);
}

} // namespace

StoreMetadata Coordinator::readStoreMetadata(const QString &file, knvt::Error *error)
{
    StoreMetadata md;
    const QFileInfo info(file);
    if (!info.exists())
        return md;
    md.exists = true;
    if (info.size() == 0)
        return md;
    sqlite3 *db = nullptr;
    // Without a WAL file the main file is the whole state: read it as immutable, so that no -wal or -shm file is
    // created beside a file we may be about to refuse. With one, an ordinary read-only connection reads it too.
    int rc;
    if (QFileInfo::exists(file + QStringLiteral("-wal"))) {
        rc = openDatabase(QFile::encodeName(file), SQLITE_OPEN_READONLY, &db);
    } else {
        const QByteArray uri = QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()).toEncoded() + "?immutable=1";
        rc = openDatabase(uri, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, &db);
    }
    if (rc == SQLITE_OK)
        rc = readMetadata(db, md);
    if (rc != SQLITE_OK)
        knvt::Error::report(error, ErrorFactory::fromSqlite(rc, db, file, true));
    sqlite3_close_v2(db);
    return md;
}

bool Coordinator::connectToCurrentLibrary(const QString &file, StoreMetadata *md)
{
    // Only a file whose main part is the whole state and whose header already names this program at the model's
    // version is read through the connection that will use it: anything else may be refused or migrated, and is
    // checked untouched through a read-only connection first.
    if (QFileInfo::exists(file + QStringLiteral("-wal")))
        return false;
    const auto current = [this](const FileHeader &header) {
        return std::memcmp(header, "SQLite format 3", 16) == 0 && bigEndian32(header + 68) == kApplicationId
            && bigEndian32(header + 60) == quint32(m_model.version());
    };
    if (!openConnection(file, false, nullptr, current))
        return false;
    StoreMetadata read;
    read.exists = true;
    int rc = exec("BEGIN");
    if (rc == SQLITE_OK)
        rc = readMetadata(m_db, read);
    exec("COMMIT");
    if (rc != SQLITE_OK) { // told again, with its error, by the read-only look
        m_statements.clear();
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        return false;
    }
    *md = read;
    return true;
}

bool Coordinator::openConnection(const QString &file, bool create, knvt::Error *error,
                                 const std::function<bool(const FileHeader &header)> &admit)
{
    // One thread uses the connection (asserted on every call), so SQLite's per-call mutex is pure cost: a row load
    // takes it for every column read.
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
    int rc = openDatabase(QFile::encodeName(file), flags, &m_db, admit);
    // SQLite opens a file it may not write read-only without a word, and with the -wal and -shm files every quit
    // leaves beside it, reads work: the library would only fail at the user's first change.
    const bool readOnly = rc == SQLITE_OK && sqlite3_db_readonly(m_db, "main") == 1;
    if (readOnly)
        rc = SQLITE_READONLY;
    if (rc != SQLITE_OK) {
        knvt::Error::report(error, ErrorFactory::fromSqlite(rc, readOnly ? nullptr : m_db, file, true));
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        return false;
    }
    sqlite3_extended_result_codes(m_db, 1);
    return true;
}

bool Coordinator::createSchema(knvt::Error *error, bool *raced)
{
    *raced = false;
    exec("PRAGMA journal_mode=WAL");
    int rc = exec("BEGIN IMMEDIATE");
    auto fail = [&](int code) {
        knvt::Error::report(error, ErrorFactory::fromSqlite(code, m_db, m_path, true));
        exec("ROLLBACK");
        return false;
    };
    if (rc != SQLITE_OK)
        return fail(rc);
    {
        Statement count(m_db, QStringLiteral("SELECT count(*) FROM sqlite_master"));
        if ((rc = count.step()) != SQLITE_ROW)
            return fail(rc);
        if (count.intAt(0) > 0) { // another process created it first
            count = Statement();
            exec("ROLLBACK");
            *raced = true;
            return false;
        }
    }
    if ((rc = exec(m_model.ddl().toUtf8().constData())) != SQLITE_OK)
        return fail(rc);
    const QString identifiers =
        QString::fromUtf8(QJsonDocument(QJsonArray{QString::number(m_model.version())}).toJson(QJsonDocument::Compact));
    {
        Statement put(m_db, QStringLiteral("INSERT INTO Z_METADATA (key, value) VALUES (?, ?)"));
        const std::pair<QString, Value> rows[] = {
            {QStringLiteral("storeUUID"), QUuid::createUuid().toString(QUuid::WithoutBraces)},
            {QStringLiteral("modelVersionIdentifiers"), identifiers},
            {QStringLiteral("schemaHash"), m_model.schemaHash()},
            {QStringLiteral("txn"), qint64(0)},
            {QStringLiteral("prunedTxn"), qint64(0)},
        };
        for (const auto &[key, value] : rows) {
            put.reset();
            put.bindText(1, key);
            bindValue(put, 2, value);
            if ((rc = put.step()) != SQLITE_DONE)
                return fail(rc);
        }
    }
    const QString pragmas = QStringLiteral("PRAGMA application_id = %1; PRAGMA user_version = %2;")
                                .arg(kApplicationId)
                                .arg(m_model.version());
    if ((rc = exec(pragmas.toUtf8().constData())) != SQLITE_OK)
        return fail(rc);
    if ((rc = exec("COMMIT")) != SQLITE_OK)
        return fail(rc);
    return true;
}

bool Coordinator::readCounter(const char *key, qint64 *value, knvt::Error *error)
{
    return stepToRow(cached(QStringLiteral("SELECT value FROM Z_METADATA WHERE key = '%1'").arg(QLatin1String(key))),
                     value, error);
}

bool Coordinator::configureConnection(knvt::Error *error)
{
    exec("PRAGMA journal_mode=WAL");
    exec(kCacheSize);
    exec("PRAGMA temp_store=MEMORY");
    exec("PRAGMA foreign_keys=OFF");
    {
        Statement uuid(m_db, QStringLiteral("SELECT value FROM Z_METADATA WHERE key = 'storeUUID'"));
        const int rc = uuid.step();
        if (rc != SQLITE_ROW) {
            knvt::Error::report(error,
                                ErrorFactory::fromSqlite(rc == SQLITE_DONE ? SQLITE_CORRUPT : rc, m_db, m_path, true));
            return false;
        }
        m_storeUUID = uuid.textAt(0);
        m_uriPrefix = QUrl();
        m_uriPrefix.setScheme(QStringLiteral("x-ostore"));
        m_uriPrefix.setHost(m_storeUUID);
    }
    if (!readCounter("txn", &m_lastTxn, error))
        return false;
    Statement &dv = cached(QStringLiteral("PRAGMA data_version"));
    if (dv.step() == SQLITE_ROW)
        m_dataVersion = dv.intAt(0);
    dv.reset();
    m_tables.clear();
    m_tables.resize(m_model.entityCount());
    return true;
}

bool Coordinator::open(const QString &file, OpenResult *result, knvt::Error *error)
{
    assertThread("open");
    KNVT_ASSERT(!isOpen(), "ostore::Coordinator", "open: already open");
    m_path = file;
    // SQLite makes and removes the -wal and -shm files beside the library: a folder it may not write in is a library
    // it may not write, whatever files the folder holds now.
    if (const QFileInfo folder(QFileInfo(file).absolutePath()); folder.isDir() && !folder.isWritable()) {
        knvt::Error::report(error,
                            ErrorFactory::make(ErrorCode::ReadOnly, file, SQLITE_READONLY,
                                               QString::fromUtf8(sqlite3_errstr(SQLITE_READONLY))));
        return false;
    }
    // A connection on the same file that an earlier close left to close as its journal start ends would remove the
    // -wal and -shm files of what is opened now, by name.
    JournalStart::waitForClosing(file);
    auto abandon = [&] {
        m_statements.clear();
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    };
    for (int attempt = 0; attempt < 5; ++attempt) {
        knvt::Error failure;
        StoreMetadata md;
        if (!connectToCurrentLibrary(file, &md))
            md = readStoreMetadata(file, &failure);
        if (result)
            result->sourceMetadata = md;
        auto refuse = [&](const knvt::Error &e) {
            if (m_db)
                abandon();
            knvt::Error::report(error, e);
            return false;
        };
        if (failure)
            return refuse(failure);
        OpenResult r;
        r.sourceMetadata = md;
        if (md.exists && md.userVersion > m_model.version()) {
            knvt::Error e = ErrorFactory::make(ErrorCode::StoreTooNew, file);
            QVariantMap info = e.userInfo();
            info.insert(QStringLiteral("storeVersion"), md.userVersion);
            info.insert(QStringLiteral("modelVersion"), m_model.version());
            return refuse(knvt::Error(e.domain(), e.code(), info));
        }
        if (md.exists
            && ((md.applicationId != 0 && md.applicationId != kApplicationId)
                || (md.applicationId == 0 && md.hasTables)))
            return refuse(ErrorFactory::make(ErrorCode::ForeignStore, file));
        const bool create = !md.exists || (!md.hasTables && md.applicationId == 0 && md.userVersion == 0);
        const bool migrate = !create && md.userVersion < m_model.version();
        if (!create && !migrate && md.schemaHash != m_model.schemaHash())
            return refuse(ErrorFactory::make(ErrorCode::SchemaMismatch, file));
        if (migrate) {
            // The backup reads the file as it was, through a connection of its own.
            if (m_db)
                abandon();
            const Migrator migrator(m_model, file);
            if (!migrator.hasSteps(md.userVersion))
                return refuse(ErrorFactory::make(ErrorCode::MigrationFailed, file));
            bool stillOld = true;
            if (!migrator.backup(md.userVersion, &stillOld, error))
                return false;
            if (!stillOld)
                continue; // migrated by another process meanwhile: look again
        }
        if (!m_db && !openConnection(file, create, error))
            return false;
        if (create) {
            bool raced = false;
            if (!createSchema(&failure, &raced)) {
                abandon();
                if (raced)
                    continue;
                knvt::Error::report(error, failure);
                return false;
            }
            r.created = true;
        } else if (migrate) {
            bool migrated = false;
            if (!Migrator(m_model, file).migrate(m_db, md.userVersion, &migrated, error)) {
                abandon();
                return false;
            }
            r.migrated = migrated;
        }
        if (!configureConnection(error)) {
            abandon();
            return false;
        }
        // Made ready once the thread's event loop turns, not now: a process that opens the library, reads it and
        // ends (the count of the day's tasks) never turns it, and wrote the log's header and folded it back into the
        // library at its close, waiting for the disk twice on its way out for a log it never used. A window's first
        // edit comes long after the loop's first turn.
        m_journalPending = true;
        QTimer::singleShot(0, this, &Coordinator::startJournal);
        if (result)
            *result = r;
        return true;
    }
    knvt::Error::report(error, ErrorFactory::make(ErrorCode::Busy, file));
    return false;
}

void Coordinator::startJournal()
{
    if (!m_journalPending || !isOpen())
        return;
    m_journalPending = false;
    m_journalStart.start(m_db, m_path);
}

void Coordinator::waitForJournal()
{
    startJournal();
    m_journalStart.wait();
}

void Coordinator::close()
{
    assertThread("close");
    if (!m_db)
        return;
    for (Context *c : m_contexts)
        c->detach();
    m_tables.clear();
    m_statements.clear();
    m_updates.clear();
    m_journalPending = false;
    m_journalStart.close(m_db);
    m_db = nullptr;
    m_queuedExternal = ChangeSet();
}

// ---- identity ----

QUrl Coordinator::uri(ObjectID id) const
{
    // Lists build the URI of every row on every rebuild: the host is not parsed again each time.
    QUrl url = m_uriPrefix;
    url.setPath(QLatin1Char('/') + m_model.entity(id.entity).name + QStringLiteral("/p") + QString::number(id.zid));
    return url;
}

std::optional<ObjectID> Coordinator::objectIDForURI(const QUrl &uri) const
{
    if (uri.scheme() != QLatin1String("x-ostore") || m_storeUUID.isEmpty()
        || uri.host().compare(m_storeUUID, Qt::CaseInsensitive) != 0)
        return std::nullopt;
    const QStringList parts = uri.path().split(QLatin1Char('/'));
    if (parts.size() != 3 || !parts[0].isEmpty() || !parts[2].startsWith(QLatin1Char('p')))
        return std::nullopt;
    const EntityId entity = m_model.entityId(parts[1]);
    if (entity == kNoEntity)
        return std::nullopt;
    const QString digits = parts[2].mid(1);
    for (QChar c : digits)
        if (!c.isDigit() || c.unicode() > '9')
            return std::nullopt;
    bool ok = false;
    const qint64 zid = digits.toLongLong(&ok);
    if (!ok || zid <= 0)
        return std::nullopt;
    return ObjectID{entity, zid};
}

// ---- statements ----

Statement &Coordinator::cached(const QString &sql)
{
    auto it = m_statements.find(sql);
    if (it == m_statements.end())
        it = m_statements.emplace(sql, Statement(m_db, sql, true)).first;
    return it->second;
}

Statement &Coordinator::updateStatement(EntityId entity, quint64 mask, const std::vector<int> &properties)
{
    const auto key = std::make_pair(entity, mask);
    for (auto it = m_updates.begin(); it != m_updates.end(); ++it) {
        if (it->first == key) {
            m_updates.splice(m_updates.begin(), m_updates, it);
            return m_updates.front().second;
        }
    }
    const EntityDescription &d = m_model.entity(entity);
    QString sql = QStringLiteral("UPDATE %1 SET ").arg(quoted(d.name));
    for (int p : properties)
        sql += quoted(d.properties[p].name) + QStringLiteral(" = ?, ");
    sql += QStringLiteral("Z_TXN = ? WHERE Z_ID = ?");
    m_updates.emplace_front(key, Statement(m_db, sql, true));
    if (m_updates.size() > 64)
        m_updates.pop_back();
    return m_updates.front().second;
}

QString Coordinator::selectColumns(const EntityDescription &entity) const
{
    QString columns = QStringLiteral("Z_ROWID, Z_ID");
    for (int p : entity.columnProperties)
        columns += QStringLiteral(", ") + quoted(entity.properties[p].name);
    return columns;
}

// ---- loading and catching up ----

std::unique_ptr<Table> Coordinator::loadTable(EntityId entity, const char *where, qint64 txn, int *rc)
{
    const EntityDescription &d = m_model.entity(entity);
    QString sql = QStringLiteral("SELECT %1 FROM %2").arg(selectColumns(d), quoted(d.name));
    // Catch-ups read a few rows through the Z_TXN index; left alone, the planner prefers a scan in Z_ROWID order.
    if (where)
        sql += QStringLiteral(" INDEXED BY %1 WHERE ").arg(quoted(d.name + QStringLiteral("_Z_TXN")))
            + QLatin1String(where);
    sql += QStringLiteral(" ORDER BY Z_ROWID");
    // Full loads run once per entity: their statement is finalized right away instead of cached.
    Statement once;
    Statement *s = nullptr;
    if (where) {
        s = &cached(sql);
    } else {
        once = Statement(m_db, sql);
        s = &once;
    }
    if (where)
        s->bindInt(1, txn);
    auto table = std::make_unique<Table>(d, nextGeneration());
    if (!where) {
        // The highest Z_ROWID ever given bounds the row count: one allocation per column instead of a dozen.
        Statement &sequence = cached(QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = ?"));
        sequence.bindText(1, d.name);
        if (sequence.step() == SQLITE_ROW)
            table->reserve(size_t(std::max<qint64>(0, sequence.intAt(0))));
        sequence.reset();
    }
    // A full load reads each page once, and the table then holds every row: pages kept in SQLite's cache would only
    // be a second copy, 80 bytes a task. The scan runs with a small cache, and the pages it read are given back.
    if (!where)
        exec(kScanCacheSize);
    ++m_statistics.selects;
    RepeatedTexts texts(d.columnCount());
    int r;
    while ((r = s->step()) == SQLITE_ROW) {
        table->appendFromStatement(s->handle(), texts);
        ++m_statistics.rowsRead;
    }
    s->reset();
    if (!where)
        exec(kCacheSize);
    if (r != SQLITE_DONE) {
        *rc = r;
        return nullptr;
    }
    table->shrinkToFit();
    return table;
}

bool Coordinator::readCatchUp(CatchUp &catchUp, knvt::Error *error)
{
    qint64 pruned = 0;
    if (!readCounter("txn", &catchUp.txn, error) || !readCounter("prunedTxn", &pruned, error))
        return false;
    // Deletions older than the pruned log cannot be replayed: diff a full reload instead.
    catchUp.full = m_lastTxn < pruned;
    catchUp.tables.resize(m_model.entityCount());
    for (EntityId e = 0; e < EntityId(m_tables.size()); ++e) {
        if (!m_tables[e])
            continue;
        int rc = SQLITE_OK;
        catchUp.tables[e] = loadTable(e, catchUp.full ? nullptr : "Z_TXN > ?", m_lastTxn, &rc);
        if (!catchUp.tables[e]) {
            knvt::Error::report(error, sqliteError(rc));
            return false;
        }
    }
    if (catchUp.full)
        return true;
    Statement &s = cached(QStringLiteral("SELECT entity, zid FROM Z_DELETED WHERE txn > ? ORDER BY txn"));
    s.bindInt(1, m_lastTxn);
    int rc;
    while ((rc = s.step()) == SQLITE_ROW) {
        const EntityId e = m_model.entityId(s.textAt(0));
        if (e != kNoEntity && m_tables[e])
            catchUp.deleted.emplace_back(e, s.intAt(1));
    }
    s.reset();
    if (rc != SQLITE_DONE) {
        knvt::Error::report(error, sqliteError(rc));
        return false;
    }
    return true;
}

void Coordinator::vanish(EntityId entity, quint32 pos)
{
    Table &t = *m_tables[entity];
    const ObjectID id{entity, t.zid(pos)};
    for (Context *c : m_contexts)
        c->rowVanished(id);
    t.kill(pos);
}

void Coordinator::applyCatchUp(CatchUp &catchUp, ChangeSet &changes)
{
    ++m_cacheChangeCount;
    auto dropBlobs = [&](ObjectID id) {
        for (Context *c : m_contexts)
            if (Object *o = c->registered(id); o && o->m_overlay)
                o->m_overlay->blobs.clear();
    };
    for (EntityId e = 0; e < EntityId(catchUp.tables.size()); ++e) {
        if (!catchUp.tables[e] || !m_tables[e])
            continue;
        Table &t = *m_tables[e];
        Table &fresh = *catchUp.tables[e];
        const int columns = t.entity().columnCount();
        if (catchUp.full) {
            for (quint32 p = 0; p < t.slotCount(); ++p) {
                if (t.isLive(p) && fresh.find(t.zid(p)) == Table::kNoPosition) {
                    changes.deleted.push_back({e, t.zid(p)});
                    vanish(e, p);
                }
            }
        }
        for (quint32 fp = 0; fp < fresh.slotCount(); ++fp) {
            const ObjectID id{e, fresh.zid(fp)};
            quint32 pos = t.find(id.zid);
            if (pos == Table::kNoPosition) {
                pos = t.appendRow(fresh.rowid(fp), id.zid);
                for (int c = 0; c < columns; ++c)
                    t.copyCell(c, pos, fresh, fp);
                changes.inserted.push_back(id);
                continue;
            }
            QStringList keys;
            for (int c = 0; c < columns; ++c) {
                if (!t.sameCell(c, pos, fresh, fp)) {
                    t.copyCell(c, pos, fresh, fp);
                    keys.append(t.entity().properties[t.entity().columnProperties[c]].name);
                }
            }
            if (catchUp.full && keys.isEmpty())
                continue; // a full reload lists only what differs
            changes.updated.push_back(id);
            changes.updatedKeys.insert(id, keys);
            dropBlobs(id);
        }
    }
    for (const auto &[e, zid] : catchUp.deleted) {
        const quint32 pos = m_tables[e]->find(zid);
        if (pos == Table::kNoPosition)
            continue;
        changes.deleted.push_back({e, zid});
        vanish(e, pos);
    }
    changes.txn = catchUp.txn;
    m_lastTxn = catchUp.txn;
}

void Coordinator::compactTables()
{
    for (auto &t : m_tables)
        if (t && t->needsCompaction())
            t->compact(nextGeneration());
}

void Coordinator::logLoadFailure(EntityId entity, const knvt::Error &error)
{
    const QPair<int, qint64> key(entity, error.code());
    if (m_loggedFailures.contains(key))
        return;
    m_loggedFailures.insert(key);
    qCWarning(lcObjectStore).noquote() << "could not load" << m_model.entity(entity).name << error.description();
}

bool Coordinator::ensureLoaded(const std::vector<EntityId> &entities, knvt::Error *error)
{
    if (!isOpen()) {
        knvt::Error::report(error, ErrorFactory::make(ErrorCode::StoreClosed, m_path));
        return false;
    }
    std::vector<EntityId> missing;
    for (EntityId e : entities)
        if (!m_tables[e] && std::find(missing.begin(), missing.end(), e) == missing.end())
            missing.push_back(e);
    if (missing.empty())
        return true;
    knvt::Error failure;
    auto fail = [&](EntityId e, const knvt::Error &err) {
        exec("ROLLBACK");
        logLoadFailure(e, err);
        knvt::Error::report(error, err);
        return false;
    };
    int rc = exec("BEGIN");
    if (rc != SQLITE_OK)
        return fail(missing.front(), sqliteError(rc));
    qint64 txn = 0;
    if (!readCounter("txn", &txn, &failure))
        return fail(missing.front(), failure);
    const bool anyLoaded = std::any_of(m_tables.begin(), m_tables.end(), [](const auto &t) { return t != nullptr; });
    // The loaded entities catch up in the same read transaction, so the whole cache is one snapshot.
    CatchUp catchUp;
    const bool catchingUp = anyLoaded && txn > m_lastTxn;
    if (catchingUp && !readCatchUp(catchUp, &failure))
        return fail(missing.front(), failure);
    std::vector<std::unique_ptr<Table>> loaded;
    for (EntityId e : missing) {
        loaded.push_back(loadTable(e, nullptr, 0, &rc));
        if (!loaded.back())
            return fail(e, sqliteError(rc));
    }
    exec("COMMIT");
    if (catchingUp) {
        ChangeSet changes;
        applyCatchUp(catchUp, changes);
        compactTables();
        if (!changes.isEmpty())
            queueExternal(changes);
    }
    for (size_t i = 0; i < missing.size(); ++i)
        m_tables[missing[i]] = std::move(loaded[i]);
    m_lastTxn = txn;
    return true;
}

bool Coordinator::buildIndexes(EntityId entity, knvt::Error *error)
{
    if (!ensureLoaded({entity}, error))
        return false;
    m_tables[entity]->buildAllIndexes();
    return true;
}

void Coordinator::queueExternal(const ChangeSet &changes)
{
    auto append = [](std::vector<ObjectID> &to, const std::vector<ObjectID> &from) {
        to.insert(to.end(), from.begin(), from.end());
    };
    append(m_queuedExternal.inserted, changes.inserted);
    append(m_queuedExternal.updated, changes.updated);
    append(m_queuedExternal.deleted, changes.deleted);
    m_queuedExternal.updatedKeys.insert(changes.updatedKeys);
    m_queuedExternal.txn = changes.txn;
    if (!m_externalScheduled) {
        m_externalScheduled = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_externalScheduled = false;
                emitQueuedExternal();
            },
            Qt::QueuedConnection);
    }
}

void Coordinator::emitQueuedExternal()
{
    if (m_queuedExternal.isEmpty())
        return;
    ChangeSet changes = std::move(m_queuedExternal);
    m_queuedExternal = ChangeSet();
    emit externalChangesLoaded(changes);
}

ChangeSet Coordinator::reloadExternalChanges(knvt::Error *error)
{
    assertThread("reloadExternalChanges");
    if (!isOpen()) {
        knvt::Error::report(error, ErrorFactory::make(ErrorCode::StoreClosed, m_path));
        return {};
    }
    Statement &dv = cached(QStringLiteral("PRAGMA data_version"));
    int rc = dv.step();
    if (rc != SQLITE_ROW) {
        dv.reset();
        knvt::Error::report(error, sqliteError(rc));
        return {};
    }
    const qint64 version = dv.intAt(0);
    dv.reset();
    if (version == m_dataVersion)
        return {};
    knvt::Error failure;
    auto fail = [&](const knvt::Error &e) {
        exec("ROLLBACK");
        knvt::Error::report(error, e);
        return ChangeSet();
    };
    if ((rc = exec("BEGIN")) != SQLITE_OK)
        return fail(sqliteError(rc));
    qint64 txn = 0;
    if (!readCounter("txn", &txn, &failure))
        return fail(failure);
    m_dataVersion = version;
    const bool anyLoaded = std::any_of(m_tables.begin(), m_tables.end(), [](const auto &t) { return t != nullptr; });
    if (txn == m_lastTxn || !anyLoaded) {
        exec("COMMIT");
        m_lastTxn = txn;
        return {};
    }
    CatchUp catchUp;
    if (!readCatchUp(catchUp, &failure)) {
        m_dataVersion = -1;
        return fail(failure);
    }
    exec("COMMIT");
    ChangeSet changes;
    applyCatchUp(catchUp, changes);
    compactTables();
    return changes;
}

QByteArray Coordinator::readBlob(EntityId entity, int property, qint64 zid)
{
    const EntityDescription &d = m_model.entity(entity);
    Statement &s = cached(
        QStringLiteral("SELECT %1 FROM %2 WHERE Z_ID = ?").arg(quoted(d.properties[property].name), quoted(d.name)));
    s.bindInt(1, zid);
    QByteArray out;
    if (s.step() == SQLITE_ROW)
        out = s.blobAt(0);
    s.reset();
    return out;
}

// ---- save ----

void Coordinator::writeCell(Table &table, int column, quint32 pos, const Value &value)
{
    table.write(column, pos, EvalScope::viewOf(value));
}

bool Coordinator::stepToDone(Statement &statement, knvt::Error *error)
{
    const int rc = statement.step();
    statement.reset();
    if (rc == SQLITE_DONE)
        return true;
    knvt::Error::report(error, sqliteError(rc));
    return false;
}

bool Coordinator::stepToRow(Statement &statement, qint64 *value, knvt::Error *error)
{
    const int rc = statement.step();
    if (rc == SQLITE_ROW)
        *value = statement.intAt(0);
    statement.reset();
    if (rc == SQLITE_ROW)
        return true;
    // A statement that must answer one row and answers none finds the file damaged.
    knvt::Error::report(error, sqliteError(rc == SQLITE_DONE ? SQLITE_CORRUPT : rc));
    return false;
}

// Inserts of one entity go into SQLite several rows per statement, through statements built once per entity: a first
// pull saves tens of thousands of rows, and per row the statement's own overhead (text, reset, the sequence update)
// cost more than SQLite's work.
struct Coordinator::InsertStatements
{
    Statement *one = nullptr;
    Statement *batch = nullptr;
    int batchRows = 0;
};

Coordinator::InsertStatements &Coordinator::insertStatements(std::vector<InsertStatements> &built,
                                                             const EntityDescription &d)
{
    InsertStatements &s = built[d.id];
    if (s.one)
        return s;
    QString sql = QStringLiteral("INSERT INTO %1 (Z_ID, Z_TXN").arg(quoted(d.name));
    QString row = QStringLiteral("(?, ?");
    for (const PropertyDescription &p : d.properties) {
        sql += QStringLiteral(", ") + quoted(p.name);
        row += QStringLiteral(", ?");
    }
    sql += QStringLiteral(") VALUES ");
    row += QLatin1Char(')');
    // SQLite allows 32,766 parameters in one statement.
    s.batchRows = std::clamp(30000 / int(d.properties.size() + 2), 1, kInsertRowsPerStatement);
    QStringList rows;
    for (int r = 0; r < s.batchRows; ++r)
        rows.append(row);
    s.one = &cached(sql + row);
    s.batch = &cached(sql + rows.join(QStringLiteral(", ")));
    return s;
}

// An unsaved insert's values are exactly its overlay: gathered in one pass, for the statement and then for the cache,
// instead of one search of the overlay (and one copy) per property.
const std::vector<const Value *> &Coordinator::insertedValues(const Object *object, std::vector<const Value *> &into)
{
    into.assign(object->entity().properties.size(), nullptr);
    for (const auto &[p, v] : object->m_overlay->dirty)
        into[size_t(p)] = &v;
    return into;
}

bool Coordinator::commit(Context &context, std::vector<RowWrite> &writes, ChangeSet &changes, const RecordedDate *date,
                         knvt::Error *error)
{
    if (!isOpen()) {
        knvt::Error::report(error, ErrorFactory::make(ErrorCode::StoreClosed, m_path));
        return false;
    }
    waitForJournal();
    if (const int rc = exec("BEGIN IMMEDIATE"); rc != SQLITE_OK) {
        knvt::Error::report(error, sqliteError(rc));
        return false;
    }
    knvt::Error failure;
    CatchUp catchUp;
    bool catchingUp = false;
    StagedTables staged;
    qint64 txn = 0;
    bool deletedAny = false;
    const bool written = catchUpUnderLock(catchUp, &catchingUp, &failure) && stageTables(writes, staged, &failure)
        && stepToRow(cached(
                         QStringLiteral("UPDATE Z_METADATA SET value = value + 1 WHERE key = 'txn' RETURNING value")),
                     &txn, &failure)
        && writeRows(writes, txn, &deletedAny, &failure) && (!deletedAny || pruneDeletionLog(&failure))
        && (!date || writeRecordedDate(*date, &failure));
    if (!written) {
        exec("ROLLBACK");
        knvt::Error::report(error, failure);
        return false;
    }
    if (const int rc = exec("COMMIT"); rc != SQLITE_OK) {
        failure = sqliteError(rc); // before the rollback replaces the connection's message
        exec("ROLLBACK");
        knvt::Error::report(error, failure);
        return false;
    }
    applyCommit(context, writes, catchingUp ? &catchUp : nullptr, staged, txn, changes);
    return true;
}

bool Coordinator::commitRecordedDate(const RecordedDate &date, knvt::Error *error)
{
    if (!isOpen()) {
        knvt::Error::report(error, ErrorFactory::make(ErrorCode::StoreClosed, m_path));
        return false;
    }
    // One statement is one transaction: it waits for the disk as a commit of rows does, and for nothing else.
    return writeRecordedDate(date, error);
}

namespace {

bool isEngineMetadataKey(const QString &key)
{
    for (const char *own : {"storeUUID", "modelVersionIdentifiers", "schemaHash", "txn", "prunedTxn"}) {
        if (key == QLatin1String(own))
            return true;
    }
    return false;
}

} // namespace

bool Coordinator::writeRecordedDate(const RecordedDate &date, knvt::Error *error)
{
    KNVT_ASSERT(!date.key.isEmpty() && !isEngineMetadataKey(date.key), "ostore::Coordinator",
                "writeRecordedDate: the key is the engine's own");
    Statement &write = cached(QStringLiteral("INSERT OR REPLACE INTO Z_METADATA (key, value) VALUES (?1, ?2)"));
    write.bindText(1, date.key);
    if (date.date.isValid())
        write.bindInt(2, date.date.toMSecsSinceEpoch());
    else
        write.bindNull(2);
    return stepToDone(write, error);
}

QDateTime Coordinator::recordedDate(const QString &key, knvt::Error *error)
{
    assertThread("recordedDate");
    if (!isOpen()) {
        knvt::Error::report(error, ErrorFactory::make(ErrorCode::StoreClosed, m_path));
        return {};
    }
    Statement &read = cached(QStringLiteral("SELECT value FROM Z_METADATA WHERE key = ?1"));
    read.bindText(1, key);
    const int rc = read.step();
    QDateTime date;
    if (rc == SQLITE_ROW && !read.isNull(0))
        date = QDateTime::fromMSecsSinceEpoch(read.intAt(0), Qt::UTC);
    read.reset();
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        knvt::Error::report(error, sqliteError(rc));
    return date;
}

// Catches up under the write lock: rows committed elsewhere come before ours, and a row removed elsewhere is known.
// Nothing to catch up on while no entity is loaded.
bool Coordinator::catchUpUnderLock(CatchUp &catchUp, bool *catchingUp, knvt::Error *error)
{
    qint64 current = 0;
    if (!readCounter("txn", &current, error))
        return false;
    const bool anyLoaded = std::any_of(m_tables.begin(), m_tables.end(), [](const auto &t) { return t != nullptr; });
    *catchingUp = anyLoaded && current > m_lastTxn;
    return !*catchingUp || readCatchUp(catchUp, error);
}

// Loads, inside the transaction, every written entity the cache does not hold yet, so that the cache can take the
// commit's rows once it is done; the tables join the cache only then.
bool Coordinator::stageTables(const std::vector<RowWrite> &writes, StagedTables &staged, knvt::Error *error)
{
    for (const RowWrite &w : writes) {
        const EntityId e = w.entity;
        if (m_tables[e] || std::any_of(staged.begin(), staged.end(), [&](const auto &s) { return s.first == e; }))
            continue;
        int rc = SQLITE_OK;
        auto t = loadTable(e, nullptr, 0, &rc);
        if (!t) {
            knvt::Error::report(error, sqliteError(rc));
            return false;
        }
        staged.emplace_back(e, std::move(t));
    }
    return true;
}

bool Coordinator::writeRows(std::vector<RowWrite> &writes, qint64 txn, bool *deletedAny, knvt::Error *error)
{
    std::vector<InsertStatements> built(m_model.entityCount());
    std::vector<const Value *> values;
    for (size_t i = 0; i < writes.size(); ++i) {
        RowWrite &w = writes[i];
        switch (w.kind) {
        case RowWrite::Kind::Insert: {
            size_t rows = 0;
            if (!insertRows(writes, i, txn, built, values, &rows, error))
                return false;
            i += rows - 1;
            break;
        }
        case RowWrite::Kind::Update:
            if (!updateRow(w, txn, error))
                return false;
            break;
        case RowWrite::Kind::Delete:
            if (!deleteRow(w, txn, error))
                return false;
            *deletedAny = *deletedAny || w.applied;
            break;
        }
    }
    return true;
}

// Inserts the insert at `first` together with the inserts of the same entity that follow it, a full batch in one
// statement, else one row; `rows` says how many went.
bool Coordinator::insertRows(std::vector<RowWrite> &writes, size_t first, qint64 txn,
                             std::vector<InsertStatements> &built, std::vector<const Value *> &values, size_t *rows,
                             knvt::Error *error)
{
    const EntityDescription &d = writes[first].object->entity();
    InsertStatements &statements = insertStatements(built, d);
    const size_t batchRows = size_t(statements.batchRows);
    size_t run = 1;
    while (run < batchRows && first + run < writes.size() && writes[first + run].kind == RowWrite::Kind::Insert
           && writes[first + run].entity == d.id)
        ++run;
    const bool batch = batchRows > 1 && run == batchRows;
    *rows = batch ? batchRows : 1;
    Statement &s = batch ? *statements.batch : *statements.one;
    const int width = int(d.properties.size()) + 2;
    for (size_t r = 0; r < *rows; ++r) {
        const Object *row = writes[first + r].object;
        const int base = int(r) * width;
        s.bindInt(base + 1, row->m_zid);
        s.bindInt(base + 2, txn);
        insertedValues(row, values);
        for (int p = 0; p < int(values.size()); ++p)
            if (values[size_t(p)])
                bindValue(s, base + p + 3, *values[size_t(p)], true); // the overlay's own value
    }
    if (!stepToDone(s, error))
        return false;
    // The key is AUTOINCREMENT: the rows of one statement take consecutive row ids in the order given.
    const qint64 last = sqlite3_last_insert_rowid(m_db);
    for (size_t r = 0; r < *rows; ++r) {
        writes[first + r].rowid = last - qint64(*rows - 1 - r);
        writes[first + r].applied = true;
    }
    return true;
}

bool Coordinator::updateRow(RowWrite &w, qint64 txn, knvt::Error *error)
{
    const Object *o = w.object;
    quint64 mask = 0;
    for (int p : w.properties)
        mask |= quint64(1) << p;
    Statement &s = updateStatement(o->entity().id, mask, w.properties);
    int column = 1;
    for (int p : w.properties)
        bindValue(s, column++, o->currentValue(p));
    s.bindInt(column++, txn);
    s.bindInt(column, o->m_zid);
    if (!stepToDone(s, error))
        return false;
    w.applied = sqlite3_changes(m_db) > 0; // none: removed elsewhere, and the deletion wins
    return true;
}

// Deletes the row and logs the deletion for the other writers' catch-up; a row removed elsewhere is left alone.
bool Coordinator::deleteRow(RowWrite &w, qint64 txn, knvt::Error *error)
{
    const Object *o = w.object;
    const EntityDescription &d = o->entity();
    Statement &s = cached(QStringLiteral("DELETE FROM %1 WHERE Z_ID = ?").arg(quoted(d.name)));
    s.bindInt(1, o->m_zid);
    if (!stepToDone(s, error))
        return false;
    if (sqlite3_changes(m_db) == 0)
        return true;
    w.applied = true;
    Statement &log = cached(QStringLiteral("INSERT INTO Z_DELETED (txn, entity, zid) VALUES (?, ?, ?)"));
    log.bindInt(1, txn);
    log.bindText(2, d.name);
    log.bindInt(3, o->m_zid);
    return stepToDone(log, error);
}

// Keeps the deletion log short: past kPruneAbove entries, only the transactions of the newest kPrunedKeep stay, and
// prunedTxn records where the log now starts, so that a writer further behind reloads in full.
bool Coordinator::pruneDeletionLog(knvt::Error *error)
{
    qint64 entries = 0;
    if (!stepToRow(cached(QStringLiteral("SELECT count(*) FROM Z_DELETED")), &entries, error))
        return false;
    if (entries <= kPruneAbove)
        return true;
    Statement &cut =
        cached(QStringLiteral("SELECT txn FROM Z_DELETED ORDER BY txn DESC LIMIT 1 OFFSET %1").arg(kPrunedKeep - 1));
    const qint64 keepFrom = cut.step() == SQLITE_ROW ? cut.intAt(0) : 0;
    cut.reset();
    Statement &drop = cached(QStringLiteral("DELETE FROM Z_DELETED WHERE txn < ?"));
    drop.bindInt(1, keepFrom);
    if (!stepToDone(drop, error))
        return false;
    Statement &mark = cached(QStringLiteral("UPDATE Z_METADATA SET value = max(value, ?) WHERE key = 'prunedTxn'"));
    mark.bindInt(1, keepFrom - 1);
    return stepToDone(mark, error);
}

// Committed: now the cache follows, first with the other writers' rows, then with ours.
void Coordinator::applyCommit(Context &context, std::vector<RowWrite> &writes, CatchUp *catchUp, StagedTables &staged,
                              qint64 txn, ChangeSet &changes)
{
    ++m_cacheChangeCount;
    ChangeSet foreign;
    if (catchUp)
        applyCatchUp(*catchUp, foreign);
    for (auto &[e, t] : staged)
        m_tables[e] = std::move(t);
    std::vector<const Value *> values;
    for (RowWrite &w : writes) {
        Object *o = w.object;
        const EntityDescription &d = o->entity();
        Table &t = *m_tables[d.id];
        const ObjectID id = o->objectID();
        switch (w.kind) {
        case RowWrite::Kind::Insert: {
            const quint32 pos = t.appendRow(w.rowid, id.zid);
            insertedValues(o, values);
            // A new row starts with every cell null.
            for (int p = 0; p < int(values.size()); ++p)
                if (d.properties[p].column >= 0 && values[size_t(p)])
                    writeCell(t, d.properties[p].column, pos, *values[size_t(p)]);
            context.didCommit(w);
            changes.inserted.push_back(id);
            break;
        }
        case RowWrite::Kind::Update: {
            if (!w.applied)
                break;
            const quint32 pos = t.find(id.zid);
            QStringList keys;
            for (int p : w.properties) {
                keys.append(d.properties[p].name);
                if (pos != Table::kNoPosition && d.properties[p].column >= 0)
                    writeCell(t, d.properties[p].column, pos, o->currentValue(p));
            }
            for (Context *c : m_contexts)
                if (Object *other = c->registered(id); other && other->m_overlay)
                    other->m_overlay->blobs.clear();
            context.didCommit(w);
            changes.updated.push_back(id);
            changes.updatedKeys.insert(id, keys);
            break;
        }
        case RowWrite::Kind::Delete: {
            if (!w.applied)
                break;
            changes.deleted.push_back(id);
            const quint32 pos = t.find(id.zid);
            if (pos != Table::kNoPosition)
                vanish(d.id, pos);
            break;
        }
        }
    }
    m_lastTxn = txn;
    changes.txn = txn;
    compactTables();
    if (!foreign.isEmpty())
        queueExternal(foreign);
}

} // namespace ostore

#include "moc_Coordinator.cpp"
