#pragma once

#include "objectstore/ChangeSet.h"
#include "objectstore/ObjectID.h"

#include <QHash>
#include <QString>

#include <optional>

namespace ostore {
class Context;
}

namespace knvt {

class ListRows;

// What one change of the store did to the rows of the list the user is on, said in one polite announcement that a
// screen reader speaks wherever the focus is: the rows a change made elsewhere (a sync's pull) added or removed, and
// the tasks completed that left the rows ("Buy milk added. Paint fence removed. Pay rent completed."). A row the
// user's own change adds or removes otherwise is where the user acted, and a box ticked on a row that stays is told
// by the row itself.
class RowChangeAnnouncement
{
public:
    // Reads the rows of the objects `changes` names, before the change is applied to `rows` (nullptr: nothing is to
    // be said, and nothing is read).
    RowChangeAnnouncement(const ListRows *rows, const std::optional<ostore::ChangeSet> &changes, bool madeElsewhere);

    // Once the change is applied: what to announce, empty when nothing.
    QString text(ostore::Context &context) const;

private:
    // A changed object's row; an object without a row is kept as not shown, so that its row appearing is told.
    struct Seen
    {
        bool shown = false;
        QString title;
        bool completed = false;
    };
    static QHash<ostore::ObjectID, Seen> rowsOf(const ListRows &rows, const QHash<ostore::ObjectID, Seen> &ids);

    const ListRows *m_rows = nullptr;
    bool m_madeElsewhere = false;
    QHash<ostore::ObjectID, Seen> m_before;
};

} // namespace knvt
