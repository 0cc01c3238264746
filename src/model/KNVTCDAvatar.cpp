#include "model/KNVTCDAvatar.h"

#include "model/KNVTCDUser.h"

#include "foundation/ImageAdditions.h"

KNVTCD_DEFINE_TO_ONE(KNVTCDAvatar, KNVTCDUser, user, setUser)

QImage KNVTCDAvatar::image() const
{
    const QByteArray bytes = data();
    return bytes.isEmpty() ? QImage() : QImage::fromData(bytes);
}

void KNVTCDAvatar::setImage(const QImage &image)
{
    setData(knvt::PNGData(image));
}

QImage KNVTCDAvatar::thumbnailImage() const
{
    const QByteArray bytes = thumbnailData();
    return bytes.isEmpty() ? QImage() : QImage::fromData(bytes);
}

void KNVTCDAvatar::didChangeValue(std::string_view key)
{
    KNVTCDTaskStoreObject::didChangeValue(key);
    if (key != "data")
        return;
    // The whole picture squeezed into the square, so that nothing of a face is cut off.
    setThumbnailData(
        knvt::PNGData(knvt::squareCroppedImageScaledToSize(image(), QSize(kThumbnailSide, kThumbnailSide))));
}
