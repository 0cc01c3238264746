#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

namespace knvt {

// The PNG bytes of an image; empty for a null image.
QByteArray PNGData(const QImage &image);

// The whole image drawn into a new image of `size`, scaled to fill it: the aspect ratio is not kept and nothing is
// cut off (a 256 x 128 picture is squeezed into the square). A null image gives a null image.
QImage squareCroppedImageScaledToSize(const QImage &image, const QSize &size);

} // namespace knvt
