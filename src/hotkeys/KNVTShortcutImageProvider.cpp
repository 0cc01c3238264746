#include "hotkeys/KNVTShortcutImageProvider.h"

#include <QHash>
#include <QIconEngine>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <algorithm>
#include <cmath>

namespace {

double opacityOf(const QString &name)
{
    if (name == QLatin1String("KNVTRemoveShortcut"))
        return 0.75;
    if (name == QLatin1String("KNVTRemoveShortcutRollover"))
        return 0.65;
    if (name == QLatin1String("KNVTRemoveShortcutPressed"))
        return 0.55;
    return -1;
}

bool isKnown(const QString &name)
{
    return name == QLatin1String("KNVTSnapback") || opacityOf(name) >= 0;
}

// Spreads the image's pixels over a (2r+1)-square, once horizontally and once vertically: close enough to the
// soft shadow of a one-point blur, and cheap at these sizes.
QImage boxBlurred(const QImage &source, int radius)
{
    if (radius <= 0)
        return source;
    QImage image = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage pass(image.size(), QImage::Format_ARGB32_Premultiplied);
    auto blur = [radius](const QImage &from, QImage &to, bool horizontal) {
        const int w = from.width();
        const int h = from.height();
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                int sum[4] = {0, 0, 0, 0};
                int count = 0;
                for (int d = -radius; d <= radius; ++d) {
                    const int sx = horizontal ? x + d : x;
                    const int sy = horizontal ? y : y + d;
                    ++count;
                    if (sx < 0 || sy < 0 || sx >= w || sy >= h)
                        continue;
                    const QRgb pixel = reinterpret_cast<const QRgb *>(from.constScanLine(sy))[sx];
                    sum[0] += qRed(pixel);
                    sum[1] += qGreen(pixel);
                    sum[2] += qBlue(pixel);
                    sum[3] += qAlpha(pixel);
                }
                reinterpret_cast<QRgb *>(to.scanLine(y))[x] =
                    qRgba(sum[0] / count, sum[1] / count, sum[2] / count, sum[3] / count);
            }
        }
    };
    blur(image, pass, true);
    blur(pass, image, false);
    return image;
}

QPainterPath snapbackPath(const QSizeF &size)
{
    const double w = size.width();
    const double h = size.height();
    // Drawn in y-up coordinates, scaled to 0.9 in x and shifted by half a point; then flipped into the painter's.
    auto at = [w, h](double fx, double fy) {
        const double x = 0.9 * (fx * w + 0.5);
        const double y = fy * h - 0.5;
        return QPointF(x, h - y);
    };
    QPainterPath path;
    path.moveTo(at(0.0489685, 0.6181513));
    path.lineTo(at(0.408575, 0.9469318));
    path.lineTo(at(0.408575, 0.7226146));
    path.cubicTo(at(0.408575, 0.7226146), at(0.8371143, 0.7491841), at(0.8508247, 0.4836237));
    path.cubicTo(at(0.8677834, 0.1545071), at(0.5507195, 0.0530682), at(0.5507195, 0.0530682));
    path.cubicTo(at(0.5507195, 0.0530682), at(0.7458685, 0.1913146), at(0.7421721, 0.3391942));
    path.cubicTo(at(0.7383412, 0.4930328), at(0.408575, 0.515413), at(0.408575, 0.515413));
    path.lineTo(at(0.408575, 0.2654));
    path.closeSubpath();
    return path;
}

class GlyphIconEngine : public QIconEngine
{
public:
    explicit GlyphIconEngine(const QString &name) : m_name(name) {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode, QIcon::State) override
    {
        painter->save();
        painter->translate(rect.topLeft());
        KNVTShortcutImageProvider::drawImageWithName(m_name, *painter, rect.size());
        painter->restore();
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return scaledPixmap(size, mode, state, 1.0);
    }

    // `size` is in device pixels already; the drawing happens in points.
    QPixmap scaledPixmap(const QSize &size, QIcon::Mode, QIcon::State, qreal scale) override
    {
        QImage image(size.expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        image.setDevicePixelRatio(scale);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            KNVTShortcutImageProvider::drawImageWithName(m_name, painter, QSizeF(size) / scale);
        }
        return QPixmap::fromImage(image);
    }

    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override { return size; }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        return {KNVTShortcutImageProvider::sizeOfImageWithName(m_name).toSize()};
    }
    QString key() const override { return QStringLiteral("KNVTShortcutImage"); }
    QIconEngine *clone() const override { return new GlyphIconEngine(m_name); }

private:
    QString m_name;
};

} // namespace

QIcon KNVTShortcutImageProvider::supportingImageWithName(const QString &name)
{
    static QHash<QString, QIcon> cache;
    const auto cached = cache.constFind(name);
    if (cached != cache.cend())
        return *cached;
    if (!isKnown(name))
        return {};
    const QIcon icon(new GlyphIconEngine(name));
    cache.insert(name, icon);
    return icon;
}

QSizeF KNVTShortcutImageProvider::sizeOfImageWithName(const QString &name)
{
    return isKnown(name) ? QSizeF(14, 14) : QSizeF();
}

void KNVTShortcutImageProvider::drawImageWithName(const QString &name, QPainter &painter, const QSizeF &size)
{
    if (name == QLatin1String("KNVTSnapback"))
        drawKNVTSnapback(painter, size);
    else if (const double opacity = opacityOf(name); opacity >= 0)
        drawKNVTRemoveShortcut(painter, size, opacity);
}

void drawKNVTSnapback(QPainter &painter, const QSizeF &size)
{
    const QPainterPath path = snapbackPath(size);
    const qreal scale = painter.device() != nullptr ? painter.device()->devicePixelRatioF() : 1.0;
    const int margin = int(std::ceil(2 * scale));

    // The shadow: the shape in black at 0.45, one point lower, blurred by about a point.
    QImage shadow((QSizeF(size) * scale).toSize() + QSize(2 * margin, 2 * margin), QImage::Format_ARGB32_Premultiplied);
    shadow.fill(Qt::transparent);
    {
        QPainter shadowPainter(&shadow);
        shadowPainter.setRenderHint(QPainter::Antialiasing);
        shadowPainter.translate(margin, margin);
        shadowPainter.scale(scale, scale);
        shadowPainter.fillPath(path.translated(0, 1), QColor::fromRgbF(0, 0, 0, 0.45));
    }
    shadow = boxBlurred(shadow, std::max(1, int(std::lround(scale))));
    shadow.setDevicePixelRatio(scale);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.drawImage(QPointF(-margin / scale, -margin / scale), shadow);
    painter.fillPath(path, Qt::white);
    painter.restore();
}

void drawKNVTRemoveShortcut(QPainter &painter, const QSizeF &size, double opacity)
{
    const double u = size.width() / 14;
    const double v = size.height() / 14;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgbF(0, 0, 0, 1 - opacity));
    painter.drawEllipse(QRectF(QPointF(0, 0), size));
    QPen cross(Qt::white, 1.2 * u);
    painter.setPen(cross);
    painter.drawLine(QPointF(4 * u, 4 * v), QPointF(10 * u, 10 * v));
    painter.drawLine(QPointF(10 * u, 4 * v), QPointF(4 * u, 10 * v));
    painter.restore();
}
