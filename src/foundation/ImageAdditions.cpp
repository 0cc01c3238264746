#include "foundation/ImageAdditions.h"

#include <QBuffer>

namespace knvt {

QByteArray PNGData(const QImage &image)
{
    if (image.isNull())
        return {};
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return {};
    return bytes;
}

QImage squareCroppedImageScaledToSize(const QImage &image, const QSize &size)
{
    if (image.isNull() || size.isEmpty())
        return {};
    return image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace knvt
