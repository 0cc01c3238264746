#pragma once

#include <QByteArray>

#include <functional>

struct sqlite3;

namespace ostore {

// The first 100 bytes of a database file, as the engine wrote them.
using FileHeader = unsigned char[100];

// Opens a connection of the engine, as sqlite3_open_v2() does (close *db on failure too). Every connection goes
// through here, read-only ones included, so that none can be missed:
// - it waits up to 5 s for a lock that another connection or process holds;
// - every commit on it waits until the disk holds it (synchronous=FULL). In WAL mode the lighter setting survives
//   the end of the process but rolls back the last commits on a power cut or an operating-system crash, although
//   the store had already reported them saved.
// `admit`, when given, sees the file's header before anything is read through the engine, which may roll back a
// journal left behind or create the -wal and -shm files; when it declines (or the file is shorter than a header),
// SQLITE_ABORT is returned.
int openDatabase(const QByteArray &filename, int flags, sqlite3 **db,
                 const std::function<bool(const FileHeader &header)> &admit = {});

} // namespace ostore
