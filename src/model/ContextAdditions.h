#pragma once

#include "objectstore/Context.h"
#include "objectstore/FetchRequest.h"
#include "objectstore/Object.h"

#include "foundation/Error.h"

#include <QList>
#include <QUrl>

#include <functional>
#include <optional>
#include <vector>

// The one road by which entity lookups and store queries reach a context: build a request, fetch, take one object,
// count, insert by entity name, walk identifiers or their URIs, and name an object by URI. Stateless; main thread.
namespace knvt {

// A request for `entity`; an empty predicate fetches every object and an empty sort leaves the store's order.
ostore::FetchRequest initWithEntity(const QString &entity, const ostore::Predicate &predicate = {},
                                    const std::vector<ostore::SortDescriptor> &sortDescriptors = {});

std::vector<ostore::Object *> executeFetchRequestForEntityName(ostore::Context &context, const QString &entityName);
std::vector<ostore::Object *> executeFetchRequestForEntity(ostore::Context &context,
                                                           const ostore::EntityDescription &entity);
// Empty on failure, with the reason in `error`.
std::vector<ostore::Object *> executeFetchRequestForEntityName(
    ostore::Context &context, const QString &entityName, const ostore::Predicate &predicate,
    const std::vector<ostore::SortDescriptor> &sortDescriptors, knvt::Error *error = nullptr);
std::vector<ostore::Object *> executeFetchRequestForEntity(ostore::Context &context,
                                                           const ostore::EntityDescription &entity,
                                                           const ostore::Predicate &predicate,
                                                           const std::vector<ostore::SortDescriptor> &sortDescriptors,
                                                           knvt::Error *error = nullptr);

// The LAST object of the unsorted result (the newest insert among the matches), or nullptr. Lookups expect at most
// one match; when there are several, the most recently inserted one wins.
ostore::Object *firstObjectForFetchRequestForEntityName(ostore::Context &context, const QString &entityName,
                                                        const ostore::Predicate &predicate = {});
ostore::Object *firstObjectForFetchRequestForEntity(ostore::Context &context, const ostore::EntityDescription &entity,
                                                    const ostore::Predicate &predicate = {});

// 0 on failure, with the reason in `error`.
qsizetype countForFetchRequestForEntityName(ostore::Context &context, const QString &entityName,
                                            const ostore::Predicate &predicate = {}, knvt::Error *error = nullptr);
qsizetype countForFetchRequestForEntity(ostore::Context &context, const ostore::EntityDescription &entity,
                                        const ostore::Predicate &predicate = {}, knvt::Error *error = nullptr);

// A new object of the named entity, of that entity's class. An unknown name is a programming error and aborts.
ostore::Object *insertNewObjectForEntityForName(ostore::Context &context, const QString &entityName);

// Calls `block` for each identifier in order with the object the context has or can load for it (nullptr when it
// no longer exists); setting *stop ends the walk after that call.
using ObjectIDBlock = std::function<void(ostore::ObjectID objectID, ostore::Object *object, bool *stop)>;
void enumerateManagedObjectIDs(ostore::Context &context, const std::vector<ostore::ObjectID> &objectIDs,
                               const ObjectIDBlock &block);

// As above for identifier URIs: a URI of another library or a malformed one still reaches the block, with no
// identifier and no object.
using ObjectIDURIBlock =
    std::function<void(const QUrl &uri, std::optional<ostore::ObjectID> objectID, ostore::Object *object, bool *stop)>;
void enumerateManagedObjectIDURIRepresentations(ostore::Context &context, const QList<QUrl> &uris,
                                                const ObjectIDURIBlock &block);

QUrl managedObjectIDURIRepresentation(const ostore::Object &object);
QString managedObjectIDURIStringRepresentation(const ostore::Object &object);

} // namespace knvt
