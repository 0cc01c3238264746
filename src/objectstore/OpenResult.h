#pragma once

#include "objectstore/StoreMetadata.h"

namespace ostore {

struct OpenResult
{
    bool created = false;
    bool migrated = false;
    StoreMetadata sourceMetadata; // the file as it was before open() touched it, also when open() fails
};

} // namespace ostore
