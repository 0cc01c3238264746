#include "app/KNVTTaskStoreItemsNavigationController.h"

KNVTTaskStoreItemsNavigationController::KNVTTaskStoreItemsNavigationController(QObject *parent)
    : KNVTNavigationController(parent)
{}
