#pragma once

#include "model/KNVTCDAccessors.h"
#include "model/KNVTCDTaskStoreObject.h"

#include <QImage>

class KNVTCDUser;

// A user's picture and its thumbnail. Of the synced fields it keeps only the service's avatar date (modifiedDate)
// and the download mark (needsUpdating). The thumbnail follows the picture: every write of `data` rebuilds it.
class KNVTCDAvatar : public KNVTCDTaskStoreObject
{
    OSTORE_OBJECT(KNVTCDAvatar)
    OSTORE_BOOL(needsUpdating, setNeedsUpdating)
    OSTORE_DATE(modifiedDate, setModifiedDate)
    OSTORE_BLOB(data, setData)
    OSTORE_STRING(fileExtension, setFileExtension)
    OSTORE_BOOL(opaque, setOpaque)
    OSTORE_BLOB(thumbnailData, setThumbnailData)
    KNVTCD_TO_ONE(KNVTCDUser, user, setUser)

public:
    // The thumbnail's size in pixels.
    static constexpr int kThumbnailSide = 128;

    // The picture decoded from `data`; a null image when there is none or it is not a picture.
    QImage image() const;
    // Stores the picture as PNG; a null image removes it.
    void setImage(const QImage &image);
    // The thumbnail decoded from `thumbnailData`; a null image when there is none.
    QImage thumbnailImage() const;
    bool isOpaque() const { return opaque().value_or(false); }

    void didChangeValue(std::string_view key) override;
};
