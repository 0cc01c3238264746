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

// The resource of the named picture, looked up once: the pictures are part of the program.
QString resourcePath(const QString &name)
{
    if (name.isEmpty())
        return {};
    static QHash<QString, QString> paths;
    auto found = paths.constFind(name);
    if (found != paths.cend())
        return *found;
    QString path;
    for (const char *extension : Extensions) {
        if (QFile::exists(ImagePrefix + name + QLatin1String(extension))) {
            path = ImagePrefix + name + QLatin1String(extension);
            break;
        }
    }
    return *paths.insert(name, path);
}

// The picture of a resource file as one icon for the program's life, as it is or as a template (`mask`). An icon keeps
// what it renders in the pixmap cache under a key of its own, so a fresh QIcon for every form, menu or painted row
// would render the file again and leave each rendering there; copies of one icon share its renderings. There are as
// many of these as picture files.
const QIcon &fileIcon(const QString &path, bool mask = false)
{
    static QHash<QString, QIcon> icons[2];
    QHash<QString, QIcon> &kind = icons[mask ? 1 : 0];
    auto found = kind.constFind(path);
    if (found == kind.cend()) {
        QIcon icon(path);
        icon.setIsMask(mask);
        found = kind.insert(path, icon);
    }
    return *found;
}

// A template's rendering filled with a colour, made once for each icon, size, mode and colour a row paints it in.
struct Tint
{
    qint64 icon;
    QSize pixels;
    qreal ratio;
    QIcon::Mode mode;
    QRgb color;
    bool operator==(const Tint &other) const
    {
        return icon == other.icon && pixels == other.pixels && ratio == other.ratio && mode == other.mode
            && color == other.color;
    }
};

size_t qHash(const Tint &tint, size_t seed = 0)
{
    return qHashMulti(seed, tint.icon, tint.pixels.width(), tint.pixels.height(), tint.ratio, int(tint.mode),
                      tint.color);
}

QPixmap tinted(const QIcon &icon, QPixmap pixmap, QIcon::Mode mode, const QColor &color)
{
    // Icons made afresh each time would only fill it: it starts again when it has grown past what the program's
    // pictures in their colours need.
    static QHash<Tint, QPixmap> made;
    const Tint tint{icon.cacheKey(), pixmap.size(), pixmap.devicePixelRatio(), mode, color.rgba()};
    if (auto found = made.constFind(tint); found != made.cend())
        return *found;
    if (made.size() >= 512)
        made.clear();
    QPainter painter(&pixmap);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(pixmap.rect(), color);
    painter.end();
    return *made.insert(tint, pixmap);
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
    return path.isEmpty() ? QIcon() : fileIcon(path, true);
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
    // One icon for each size asked, for the same reason as fileIcon's.
    static QHash<QString, QIcon> sized;
    const QString key =
        QStringLiteral("%1@%2x%3").arg(path, QString::number(size.width()), QString::number(size.height()));
    auto found = sized.constFind(key);
    if (found == sized.cend()) {
        QIcon icon;
        icon.addPixmap(fileIcon(path).pixmap(size));
        icon.setIsMask(true);
        found = sized.insert(key, icon);
    }
    return *found;
}

void drawIcon(QPainter &painter, const QIcon &icon, const QRectF &frame, const QColor &color, QIcon::Mode mode)
{
    if (icon.isNull())
        return;
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    QPixmap pixmap = icon.pixmap(frame.size().toSize(), ratio, mode);
    if (pixmap.isNull())
        return;
    if (icon.isMask())
        pixmap = tinted(icon, pixmap, mode, color);
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
