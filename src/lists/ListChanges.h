#pragma once

#include "objectstore/ChangeSet.h"

namespace ostore {
class Context;
}

namespace knvt {

class ListMembership;
class ListRows;

// A save of a few tasks applied to a list's rows in place, without asking the store for the list's whole contents:
// each task the change set names is placed on its own (ListMembership), its row moved, inserted, updated or removed,
// and a section appears or goes with its first or last row.
class ListChanges
{
public:
    // More tasks than this in one change set are cheaper to place by computing every row again.
    static constexpr int MaximumTasks = 64;

    // Applies `changes` to `rows` and answers true; answers false, changing nothing, when the change set holds more
    // than tasks this can place on their own (another kind of object, too many tasks, a section whose place the list
    // cannot tell): the caller then computes every row again and updates the rows to them.
    static bool apply(ListRows &rows, const ostore::ChangeSet &changes, ostore::Context &context,
                      ListMembership &membership);
    // Whether `changes` touches no object that any list shows or shows anything of (only comments, the library's
    // own records and the like).
    static bool touchesNoRows(const ostore::ChangeSet &changes, ostore::Context &context);
};

} // namespace knvt
