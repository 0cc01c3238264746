#include "uikit/ImageAdditions.h"

#include "foundation/DataAdditions.h"

#include <QBuffer>
#include <QFile>
#include <QPainter>

namespace knvt {

namespace {

// Where the program's pictures live, and the file kinds tried in turn for a bare name.
const QString ImagePrefix = QStringLiteral(":/images/");
const char *const Extensions[] = {"", ".svg", ".png", ".jpg", ".tiff"};

QString resourcePath(const QString &name)
{
    if (name.isEmpty())
        return {};
    for (const char *extension : Extensions) {
        const QString path = ImagePrefix + name + QLatin1String(extension);
        if (QFile::exists(path))
            return path;
    }
    return {};
}

} // namespace

QImage imageFromMainBundleWithName(const QString &name)
{
    const QString path = resourcePath(name);
    return path.isEmpty() ? QImage() : QImage(path);
}

QIcon templateImageFromMainBundleWithName(const QString &name)
{
    const QString path = resourcePath(name);
    if (path.isEmpty())
        return {};
    QIcon icon(path);
    icon.setIsMask(true);
    return icon;
}

QImage imageNamed(const QString &name, const QSize &size)
{
    const QString path = resourcePath(name);
    if (path.isEmpty())
        return {};
    // Through QIcon so that vector pictures are rendered at the size, not scaled from a bitmap.
    return QIcon(path).pixmap(size).toImage();
}

QIcon templateImageNamed(const QString &name)
{
    return templateImageFromMainBundleWithName(name);
}

QIcon templateImageNamed(const QString &name, const QSize &size)
{
    const QString path = resourcePath(name);
    if (path.isEmpty())
        return {};
    QIcon icon;
    icon.addPixmap(QIcon(path).pixmap(size));
    icon.setIsMask(true);
    return icon;
}

QString base64EncodedPNG(const QImage &image)
{
    return base64Encoded(PNGData(image));
}

} // namespace knvt
