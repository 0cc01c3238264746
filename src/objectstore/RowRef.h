#pragma once

#include <QtGlobal>

namespace ostore {

class Object;
class Table;

// A row under evaluation: a committed cache position, an object whose unsaved values overlay it, or both.
// An unsaved insert has an object and no position.
struct RowRef
{
    static constexpr quint32 kNoPosition = 0xFFFFFFFFu;

    Table *table = nullptr;
    quint32 pos = kNoPosition;
    const Object *object = nullptr;

    bool isValid() const { return object || pos != kNoPosition; }
};

} // namespace ostore
