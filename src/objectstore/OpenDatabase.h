#pragma once

#include <QByteArray>

struct sqlite3;

namespace ostore {

// Opens a connection of the engine, as sqlite3_open_v2() does (close *db on failure too). Every connection goes
// through here, read-only ones included, so that none can be missed:
// - it waits up to 5 s for a lock that another connection or process holds;
// - every commit on it waits until the disk holds it (synchronous=FULL). In WAL mode the lighter setting survives
//   the end of the process but rolls back the last commits on a power cut or an operating-system crash, although
//   the store had already reported them saved.
int openDatabase(const QByteArray &filename, int flags, sqlite3 **db);

} // namespace ostore
