#pragma once

#include "model/KNVTCDAccessors.h"
#include "model/KNVTCDTaskStoreObject.h"

#include <QImage>

class KNVTCDUser;

// A user's picture and its thumbnail. Of the synced fields it keeps only the service's avatar date (modifiedDate)
// and the download mark (needsUpdating). The thumbnail follows the picture: every write of `data` rebuilds it.
//
// The picture functions live in KNVTCDAvatarImage.cpp, so that a program that never draws a picture (one that only
// reads the library) does not load Qt's image libraries. Linking them installs the thumbnail's rendering; in a
// program without them a write of `data` clears the thumbnail instead, and thumbnailImage() renders it again from
// the picture, so that a thumbnail never shows an older picture.
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
    // The thumbnail decoded from `thumbnailData`, or rendered from the picture when a program that draws no pictures
    // cleared it; a null image when there is no picture.
    QImage thumbnailImage() const;
    bool isOpaque() const { return opaque().value_or(false); }

    void didChangeValue(std::string_view key) override;

private:
    // The PNG bytes of the thumbnail of picture bytes; null until the picture functions are linked in.
    using ThumbnailRenderer = QByteArray (*)(const QByteArray &data);
    static inline ThumbnailRenderer s_thumbnailRenderer = nullptr;
    // Defined beside the picture functions: its initialisation installs their renderer.
    static const bool s_thumbnailRendererInstalled;
};
