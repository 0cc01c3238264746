#include "objectstore/KeyPath.h"

#include "objectstore/EvalScope.h"
#include "objectstore/Model.h"

#include <cstdio>
#include <cstdlib>

namespace ostore {

namespace {

[[noreturn]] void pathError(const Model &model, EntityId entity, const QString &path, const char *why)
{
    std::fprintf(stderr, "ostore: key path \"%s\" on %s: %s\n", qPrintable(path), qPrintable(model.entity(entity).name),
                 why);
    std::fflush(stderr);
    std::abort();
}

} // namespace

KeyPath KeyPath::compile(const Model &model, EntityId entity, const QString &path, bool allowToMany)
{
    KeyPath k;
    k.model = &model;
    const QStringList parts = path.split(QLatin1Char('.'));
    EntityId current = entity;
    for (int i = 0; i < parts.size(); ++i) {
        const EntityDescription &e = model.entity(current);
        const bool last = i == parts.size() - 1;
        const int p = e.property(parts[i]);
        const int inv = p < 0 ? e.inverse(parts[i]) : -1;
        if (p < 0 && inv < 0)
            pathError(model, entity, path, "unknown key");
        if (!last) {
            Hop h;
            h.from = current;
            if (p >= 0) {
                if (!e.properties[p].isToOne())
                    pathError(model, entity, path, "only to-ones can be crossed");
                h.index = p;
                h.to = e.properties[p].target;
            } else {
                if (!e.inverses[inv].unique)
                    pathError(model, entity, path, "a to-many is allowed only inside any() or count()");
                h.inverse = true;
                h.index = inv;
                h.to = e.inverses[inv].source;
            }
            k.hops.push_back(h);
            current = h.to;
            continue;
        }
        k.entity = current;
        if (p >= 0) {
            k.property = p;
            k.type = e.properties[p].type;
            if (k.type == Type::Blob)
                pathError(model, entity, path, "BLOBs cannot be queried");
        } else {
            k.inverse = inv;
            k.inverseDescription = &e.inverses[inv];
            k.type = Type::ToOne;
            k.toMany = !e.inverses[inv].unique;
            if (k.toMany && !allowToMany)
                pathError(model, entity, path, "a to-many is allowed only inside any() or count()");
        }
    }
    return k;
}

void KeyPath::require(EvalScope &scope) const
{
    for (const Hop &h : hops) {
        scope.require(h.from);
        scope.require(h.to);
    }
    scope.require(entity);
    if (inverseDescription)
        scope.require(inverseDescription->source);
}

RowRef KeyPath::end(const EvalScope &scope, RowRef row) const
{
    for (const Hop &h : hops) {
        if (!row.isValid())
            return row;
        if (h.inverse)
            row = scope.holder(row, model->entity(h.from).inverses[h.index]);
        else
            row = scope.hop(row, h.from, h.index);
    }
    return row;
}

CellView KeyPath::read(const EvalScope &scope, const RowRef &start) const
{
    const RowRef row = hops.empty() ? start : end(scope, start);
    if (!row.isValid())
        return CellView::none();
    if (property >= 0)
        return scope.read(row, property);
    const RowRef h = scope.holder(row, *inverseDescription);
    return h.isValid() ? CellView::integer(scope.zidOf(h)) : CellView::none();
}

} // namespace ostore
