#include "model/ContextAdditions.h"

#include "objectstore/Coordinator.h"

namespace knvt {

ostore::FetchRequest initWithEntity(const QString &entity, const ostore::Predicate &predicate,
                                    const std::vector<ostore::SortDescriptor> &sortDescriptors)
{
    ostore::FetchRequest request;
    request.entity = entity;
    request.predicate = predicate;
    request.sort = sortDescriptors;
    return request;
}

std::vector<ostore::Object *> executeFetchRequestForEntityName(ostore::Context &context, const QString &entityName)
{
    return context.fetch(initWithEntity(entityName));
}

std::vector<ostore::Object *> executeFetchRequestForEntity(ostore::Context &context,
                                                           const ostore::EntityDescription &entity)
{
    return context.fetch(initWithEntity(entity.name));
}

std::vector<ostore::Object *>
executeFetchRequestForEntityName(ostore::Context &context, const QString &entityName,
                                 const ostore::Predicate &predicate,
                                 const std::vector<ostore::SortDescriptor> &sortDescriptors, knvt::Error *error)
{
    return context.fetch(initWithEntity(entityName, predicate, sortDescriptors), error);
}

std::vector<ostore::Object *> executeFetchRequestForEntity(ostore::Context &context,
                                                           const ostore::EntityDescription &entity,
                                                           const ostore::Predicate &predicate,
                                                           const std::vector<ostore::SortDescriptor> &sortDescriptors,
                                                           knvt::Error *error)
{
    return context.fetch(initWithEntity(entity.name, predicate, sortDescriptors), error);
}

ostore::Object *firstObjectForFetchRequestForEntityName(ostore::Context &context, const QString &entityName,
                                                        const ostore::Predicate &predicate)
{
    return context.firstObject(initWithEntity(entityName, predicate));
}

ostore::Object *firstObjectForFetchRequestForEntity(ostore::Context &context, const ostore::EntityDescription &entity,
                                                    const ostore::Predicate &predicate)
{
    return context.firstObject(initWithEntity(entity.name, predicate));
}

qsizetype countForFetchRequestForEntityName(ostore::Context &context, const QString &entityName,
                                            const ostore::Predicate &predicate, knvt::Error *error)
{
    return context.count(initWithEntity(entityName, predicate), error);
}

qsizetype countForFetchRequestForEntity(ostore::Context &context, const ostore::EntityDescription &entity,
                                        const ostore::Predicate &predicate, knvt::Error *error)
{
    return context.count(initWithEntity(entity.name, predicate), error);
}

ostore::Object *insertNewObjectForEntityForName(ostore::Context &context, const QString &entityName)
{
    return context.insert(entityName);
}

void enumerateManagedObjectIDs(ostore::Context &context, const std::vector<ostore::ObjectID> &objectIDs,
                               const ObjectIDBlock &block)
{
    bool stop = false;
    for (const ostore::ObjectID &id : objectIDs) {
        block(id, context.existingObject(id), &stop);
        if (stop)
            return;
    }
}

void enumerateManagedObjectIDURIRepresentations(ostore::Context &context, const QList<QUrl> &uris,
                                                const ObjectIDURIBlock &block)
{
    bool stop = false;
    for (const QUrl &uri : uris) {
        const std::optional<ostore::ObjectID> id = context.coordinator()->objectIDForURI(uri);
        block(uri, id, id ? context.existingObject(*id) : nullptr, &stop);
        if (stop)
            return;
    }
}

QUrl managedObjectIDURIRepresentation(const ostore::Object &object)
{
    return object.uri();
}

QString managedObjectIDURIStringRepresentation(const ostore::Object &object)
{
    return object.uri().toString(QUrl::FullyEncoded);
}

} // namespace knvt
