#pragma once

#include "uikit/KNVTNavigationController.h"

// The centre pane's stack of item lists.
class KNVTTaskStoreItemsNavigationController : public KNVTNavigationController
{
    Q_OBJECT

public:
    explicit KNVTTaskStoreItemsNavigationController(QObject *parent = nullptr);
};
