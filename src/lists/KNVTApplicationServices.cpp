#include "lists/KNVTApplicationServices.h"

namespace {

KNVTApplicationServices *&sharedServices()
{
    static KNVTApplicationServices *services = nullptr;
    return services;
}

} // namespace

KNVTApplicationServices *KNVTApplicationServices::shared()
{
    return sharedServices();
}

void KNVTApplicationServices::setShared(KNVTApplicationServices *services)
{
    sharedServices() = services;
}
