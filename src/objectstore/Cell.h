#pragma once

#include <QtGlobal>

namespace ostore {

class Str;

// One 8-byte slot of the row cache: an integer (also bools, dates in ms and to-one Z_IDs), a double or a string.
union Cell
{
    qint64 i;
    double d;
    Str *s;
};

static_assert(sizeof(Cell) == 8);

} // namespace ostore
