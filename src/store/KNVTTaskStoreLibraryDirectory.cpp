// The library folder seen through the foundation library's file-system model.
#include "store/KNVTTaskStore.h"

#include "foundation/filesystem/KNVTDirectory.h"

std::shared_ptr<KNVTDirectory> KNVTTaskStore::libraryDirectory() const
{
    if (libraryURL().isEmpty())
        return nullptr;
    return KNVTDirectory::fileWithURL(libraryURL());
}

void KNVTTaskStore::createLibraryDirectory() const
{
    // A signed-out store has no library to make; an existing folder is left as it is.
    if (libraryURL().isEmpty())
        return;
    KNVTDirectory::createDirectoryAtPath(libraryURL().toLocalFile(), true);
}
