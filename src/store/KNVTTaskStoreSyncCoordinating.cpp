#include "store/KNVTTaskStoreSyncCoordinating.h"

namespace {

KNVTTaskStoreSyncCoordinating::Factory &registeredFactory()
{
    static KNVTTaskStoreSyncCoordinating::Factory factory;
    return factory;
}

} // namespace

void KNVTTaskStoreSyncCoordinating::setFactory(Factory factory)
{
    registeredFactory() = std::move(factory);
}

const KNVTTaskStoreSyncCoordinating::Factory &KNVTTaskStoreSyncCoordinating::factory()
{
    return registeredFactory();
}
