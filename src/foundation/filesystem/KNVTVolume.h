#pragma once

#include "foundation/filesystem/KNVTDirectory.h"

// The object for the root folder of a mounted volume.
class KNVTVolume : public KNVTDirectory
{
public:
    using Ptr = std::shared_ptr<KNVTVolume>;

    static const KNVTFileClass &staticClass();
    const KNVTFileClass &objectClass() const override;

    static Ptr fileWithPath(const QString &path, std::shared_ptr<KNVTFileSystem> fileSystem = {});
    static Ptr fileWithURL(const QUrl &url, std::shared_ptr<KNVTFileSystem> fileSystem = {});

    // Some mounted file system, hidden ones included, has its root here.
    bool isMounted() const;
    // Ejects the volume's device through the desktop's volume monitor, or unmounts it when it cannot be ejected.
    bool unmountAndEjectWithError(knvt::Error *error = nullptr);

protected:
    KNVTVolume();
};
