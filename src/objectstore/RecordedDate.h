#pragma once

#include <QDateTime>
#include <QString>

namespace ostore {

// A date a caller keeps in the library beside its rows, under a name of its own (never one of the engine's metadata
// keys): written by a save in the same commit as the rows (Context::save), read back by any process with
// Coordinator::recordedDate. Whoever reads the date can read every row saved with it.
struct RecordedDate
{
    QString key;
    QDateTime date;
};

} // namespace ostore
