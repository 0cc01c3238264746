#include "uikit/ImageAdditions.h"

#include "foundation/DataAdditions.h"

#include <QBuffer>
#include <QFile>
#include <QHash>
#include <QPainter>
#include <QPalette>
#include <QPixmap>

#include <utility>

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

// The picture of a resource file as one icon for the program's life. An icon caches what it renders under its own
// key, so a fresh QIcon for every form or row would render the file again and leave each rendering in the pixmap
// cache; there are as many of these as picture files.
const QIcon &fileIcon(const QString &path)
{
    static QHash<QString, QIcon> icons;
    auto found = icons.constFind(path);
    if (found == icons.cend())
        found = icons.insert(path, QIcon(path));
    return *found;
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
    return fileIcon(path).pixmap(size).toImage();
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
    icon.addPixmap(fileIcon(path).pixmap(size));
    icon.setIsMask(true);
    return icon;
}

void drawIcon(QPainter &painter, const QIcon &icon, const QRectF &frame, const QColor &color, QIcon::Mode mode)
{
    if (icon.isNull())
        return;
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    QPixmap pixmap = icon.pixmap(frame.size().toSize(), ratio, mode);
    if (pixmap.isNull())
        return;
    if (icon.isMask()) {
        QPainter tint(&pixmap);
        tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
        tint.fillRect(pixmap.rect(), color);
    }
    const QSizeF shown = pixmap.deviceIndependentSize();
    const QSizeF fitted = shown.width() > frame.width() || shown.height() > frame.height()
        ? shown.scaled(frame.size(), Qt::KeepAspectRatio)
        : shown;
    const QRectF target(frame.x() + (frame.width() - fitted.width()) / 2.0,
                        frame.y() + (frame.height() - fitted.height()) / 2.0, fitted.width(), fitted.height());
    painter.drawPixmap(target, pixmap, QRectF(pixmap.rect()));
}

QIcon tintedTemplateIcon(const QIcon &icon, const QPalette &palette, const QSize &size)
{
    if (icon.isNull() || !icon.isMask())
        return icon;
    QIcon tinted;
    for (const qreal ratio : {1.0, 2.0}) {
        for (const auto &[mode, group] :
             {std::pair{QIcon::Normal, QPalette::Active}, std::pair{QIcon::Disabled, QPalette::Disabled}}) {
            QPixmap pixmap = icon.pixmap(size, ratio);
            if (pixmap.isNull())
                continue;
            QPainter painter(&pixmap);
            painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
            painter.fillRect(pixmap.rect(), palette.color(group, QPalette::ButtonText));
            painter.end();
            tinted.addPixmap(pixmap, mode);
        }
    }
    return tinted;
}

QString base64EncodedPNG(const QImage &image)
{
    return base64Encoded(PNGData(image));
}

} // namespace knvt
