#pragma once

#include "foundation/JSONView.h"

#include <QString>
#include <QVariantMap>

#include <optional>
#include <vector>

class KNVTCDTaskList;
class KNVTRESTFulRequest;

namespace ostore {
class Context;
class Object;
} // namespace ostore

namespace knvt {

// The new objects whose creation may have reached the service without the service saying so (its answer lost, cut,
// unreadable or without the object, a failure of the service's own (5xx), which says nothing of whether it applied the
// request first, or the program ended while it was under way), and what a read of where they land
// says the service made of them. Before such an object is sent again, that read is asked for an object made by this
// user, in the same place, with every field the user gave it, that nothing here holds yet, in the place the creation was sent to. One: it is the user's object,
// which takes its identifier and entity tag, and nothing is sent again. None, in a reply read whole: the creation never
// got there, and is sent again. More than one: nothing tells which is the user's, so nothing is guessed; the object
// stays here unsent until the user changes it, and the user is told.
class CreationsInDoubt
{
public:
    // Where a new object lands on the service: the collection whose read lists it ("tasks/inbox", "task_lists",
    // "tags", "friendships"), or the list whose own read does.
    struct Place
    {
        QString collection;
        std::optional<qint64> list;
        bool operator==(const Place &other) const = default;
    };

    // Where `object` lands; none for an object no read lists (its list or task not on the service yet).
    static std::optional<Place> placeOf(const ostore::Object &object);
    // Where the service put `object` if its creation in doubt was made: the list its creation named, whatever list the
    // user moved it to since; where it lands now for whatever names no list of its own.
    static std::optional<Place> placeSentTo(const ostore::Object &object);
    // What `request` reads, when it is a read of a collection or of one list.
    static std::optional<Place> placeRead(const KNVTRESTFulRequest &request);
    // The collection of lists that lists `list`, by the user's place in it.
    static QString collectionOf(const KNVTCDTaskList &list);

    // What a create of `object` sends, key by key, as the mark of its push state keeps it: two objects that would send
    // the same have the same text.
    static QString creationText(const QVariantMap &sentAttributesByKey);
    static QString creationText(ostore::Object &object);

    enum class Verdict {
        // Nothing in the reply tells: the object stays in doubt.
        Unknown,
        // The reply holds the object the service made of it, which it now is.
        Adopted,
        // The reply, read whole, holds none: the creation is to be sent again.
        NotThere,
        // The reply holds more than one such object.
        Unsettled,
    };
    struct Settled
    {
        ostore::Object *object;
        Verdict verdict;
    };
    // Settles those of `inDoubt` that land where `request` reads against its reply `value`, before the reply is
    // applied: each adopted object takes the service's object as a create's reply would give it, and the marks of the
    // others change with their verdict. `whole`: every element of the reply could be read.
    static std::vector<Settled> settle(ostore::Context &context, const std::vector<ostore::Object *> &inDoubt,
                                       const KNVTRESTFulRequest &request, const JSONView &value, bool whole);
    // An object kept unsent while more than one object of the service could be it, against the copies the library
    // holds of them, read since: while the user has not changed it and two or more are there, it stays unsettled. A
    // change of the user's goes to the lowest such copy, which the object takes the place of (the service's copy,
    // read since), so that no other is made; left alone with only one copy left, it takes that one's place; with none
    // left, it is free to be sent (NotThere). Deleted by the user, it stays unsettled while two or more copies stand, and
    // is then free to go with nothing sent (NotThere), as no copy is taken for it. Unknown for an object that is not
    // unsettled.
    static Verdict settleUnsettled(ostore::Context &context, ostore::Object &object);

private:
    // The objects with an identifier, lowest first, that the library holds where `object` was sent and that hold every
    // field its creation sent.
    static std::vector<ostore::Object *> heldCopies(ostore::Context &context, ostore::Object &object);
};

} // namespace knvt
