#pragma once

#include "objectstore/CellView.h"
#include "objectstore/RowRef.h"
#include "objectstore/Types.h"

#include <QString>

#include <vector>

namespace ostore {

class EvalScope;
class Model;
struct InverseDescription;

// A key path compiled against an entity: to-one (or one-to-one inverse) hops, then a property, a one-to-one
// inverse, or (inside any/count only) a to-many.
class KeyPath
{
public:
    struct Hop
    {
        bool inverse = false;
        int index = -1; // property of the source entity, or inverse of it
        EntityId from = kNoEntity;
        EntityId to = kNoEntity;
    };

    // Aborts on a key the model lacks: every query names keys of its own entities.
    static KeyPath compile(const Model &model, EntityId entity, const QString &path, bool allowToMany);

    void require(EvalScope &scope) const;
    // The row the last component is read from; invalid when a hop met none.
    RowRef end(const EvalScope &scope, RowRef row) const;
    CellView read(const EvalScope &scope, const RowRef &row) const;

    std::vector<Hop> hops;
    EntityId entity = kNoEntity; // of the last component
    int property = -1;           // the last component is a stored property
    int inverse = -1;            // or an inverse of `entity`
    bool toMany = false;
    Type type = Type::Int64; // ToOne for to-ones and one-to-one inverses
    const InverseDescription *inverseDescription = nullptr;
    const Model *model = nullptr;
    int hopCount() const { return int(hops.size()); }
};

} // namespace ostore
