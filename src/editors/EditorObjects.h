#pragma once

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTag.h"
#include "model/KNVTCDUser.h"

#include <QList>
#include <QUrl>

#include <vector>

// How every editor reaches the objects it works on. Editors keep object references (URIs) rather than entities
// across anything that may run a save, and resolve them again when they act: a sync or another window may have
// deleted the object meanwhile, and an object that was never synced is gone from the context at once, while a synced
// one only carries a deleted date until its deletion has been pushed. Both count as gone here.
namespace knvt {

// The shared task store.
inline KNVTTaskStore &taskStore()
{
    return *KNVTTaskStore::defaultTaskStore();
}

template <class T>
bool isGone(const T *object)
{
    return object == nullptr || object->isDeleted() || object->deletedDate().isValid();
}

// The live object of class T that `uri` names, or nullptr.
template <class T>
T *liveObject(const QUrl &uri)
{
    T *object = dynamic_cast<T *>(taskStore().objectForURI(uri));
    return isGone(object) ? nullptr : object;
}

// The live objects of class T that `uris` name, in order; the others are left out.
template <class T>
std::vector<T *> liveObjects(const QList<QUrl> &uris)
{
    std::vector<T *> objects;
    for (const QUrl &uri : uris) {
        if (T *object = liveObject<T>(uri))
            objects.push_back(object);
    }
    return objects;
}

// The name a token or row of the editors shows for a person or a tag, which is also what a drag of it reads as.
inline QString shownName(const KNVTCDTaskStoreObject &object)
{
    if (const auto *user = dynamic_cast<const KNVTCDUser *>(&object))
        return user->extendedDisplayName();
    if (const auto *tag = dynamic_cast<const KNVTCDTag *>(&object))
        return tag->title();
    return {};
}

template <class T>
QList<QUrl> urisOfObjects(const std::vector<T *> &objects)
{
    QList<QUrl> uris;
    for (const T *object : objects) {
        if (object)
            uris.append(object->uri());
    }
    return uris;
}

} // namespace knvt
