#include "model/KNVTCDAvatar.h"

#include "foundation/ImageAdditions.h"

namespace {

QImage decoded(const QByteArray &bytes)
{
    return bytes.isEmpty() ? QImage() : QImage::fromData(bytes);
}

QImage thumbnailOfPicture(const QImage &picture)
{
    // The whole picture squeezed into the square, so that nothing of a face is cut off.
    return knvt::squareCroppedImageScaledToSize(picture,
                                                QSize(KNVTCDAvatar::kThumbnailSide, KNVTCDAvatar::kThumbnailSide));
}

QByteArray renderThumbnail(const QByteArray &data)
{
    return knvt::PNGData(thumbnailOfPicture(decoded(data)));
}

} // namespace

const bool KNVTCDAvatar::s_thumbnailRendererInstalled = (s_thumbnailRenderer = &renderThumbnail, true);

QImage KNVTCDAvatar::image() const
{
    return decoded(data());
}

void KNVTCDAvatar::setImage(const QImage &image)
{
    setData(knvt::PNGData(image));
}

QImage KNVTCDAvatar::thumbnailImage() const
{
    const QByteArray thumbnail = thumbnailData();
    if (!thumbnail.isEmpty())
        return decoded(thumbnail);
    // Saved by a program that draws no pictures: the picture is what the thumbnail would show.
    return thumbnailOfPicture(image());
}
