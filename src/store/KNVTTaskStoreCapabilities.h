#pragma once

#include "store/KNVTTaskStoreQueries.h"

// Which user actions apply to a selection of tasks, task lists and other items. Pure functions of the selection and
// the entities' own states and permissions.
class KNVTTaskStoreCapabilities : public KNVTTaskStoreQueries
{
public:
};
