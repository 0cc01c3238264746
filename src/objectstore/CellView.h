#pragma once

#include "objectstore/Cell.h"

#include <QAnyStringView>

namespace ostore {

// A property value as the evaluator reads it, from the cache or from an object's unsaved values. Strings are a view
// into storage that outlives the evaluation: Latin-1 or UTF-16, as the cache keeps them.
struct CellView
{
    bool null = true;
    Cell cell{0};
    QAnyStringView string;

    static CellView none() { return {}; }
    static CellView integer(qint64 v)
    {
        CellView c;
        c.null = false;
        c.cell.i = v;
        return c;
    }
    static CellView real(double v)
    {
        CellView c;
        c.null = false;
        c.cell.d = v;
        return c;
    }
    static CellView text(QAnyStringView v)
    {
        CellView c;
        c.null = false;
        c.string = v;
        return c;
    }
};

} // namespace ostore
