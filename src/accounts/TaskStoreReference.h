#pragma once

#include "store/KNVTTaskStore.h"

namespace knvt {

// The store a window works on: the one it was given, else the shared store. Windows take a store so that tests can
// run them on a library of their own.
inline KNVTTaskStore &taskStore(KNVTTaskStore *store)
{
    return store ? *store : *KNVTTaskStore::defaultTaskStore();
}

} // namespace knvt
