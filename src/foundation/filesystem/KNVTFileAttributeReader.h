#pragma once

#include "foundation/Error.h"

#include <QVariantMap>

#include <memory>
#include <optional>

// Reads the attribute dictionary of one item for the file-system model (keys of FileAttributeKeys.h). Every
// attribute the model reports goes through the reader of the item's file system, so a test can stand in for what
// the disk cannot be made to say, such as a creation date in 1984 or a file system that keeps no creation dates.
class KNVTFileAttributeReader
{
public:
    virtual ~KNVTFileAttributeReader();

    // The attributes of the item itself (links are not followed); std::nullopt with the error when it cannot be
    // read. NSFileCreationDate is present only where the file system records one.
    virtual std::optional<QVariantMap> attributesOfItemAtPath(const QString &path, knvt::Error *error) const;

    static std::shared_ptr<KNVTFileAttributeReader> standardReader();
};
