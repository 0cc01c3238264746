#pragma once

#include "foundation/ImageAdditions.h"

#include <QByteArray>
#include <QColor>
#include <QIcon>
#include <QImage>
#include <QRectF>
#include <QSize>
#include <QString>

class QPainter;
class QPalette;

// Images are Qt resources under ":/images/<name>" (SVG or PNG); template images are icons in mask mode, so the
// style recolours them like text.
namespace knvt {

QImage imageFromMainBundleWithName(const QString &name);
QIcon templateImageFromMainBundleWithName(const QString &name);

// The named image at `size`; a null image when there is none.
QImage imageNamed(const QString &name, const QSize &size);
QIcon templateImageNamed(const QString &name);
QIcon templateImageNamed(const QString &name, const QSize &size);

// Draws `icon` into `frame` of a painted row, scaled down to fit when it is larger and centred. Qt recolours template
// images only on macOS, so an icon in mask mode is filled with `color` here, as the row's text beside it.
void drawIcon(QPainter &painter, const QIcon &icon, const QRectF &frame, const QColor &color,
              QIcon::Mode mode = QIcon::Normal);

// `icon` for a widget that shows template images as they are (tool buttons): a template image is filled with the
// palette's button text colour, and with its disabled colour when the widget is disabled, at `size` and twice that for
// high-density screens. Any other icon is returned as it is.
QIcon tintedTemplateIcon(const QIcon &icon, const QPalette &palette, const QSize &size);

// Base64 of the PNG encoding (knvt::PNGData) of `image`; empty for a null image.
QString base64EncodedPNG(const QImage &image);

} // namespace knvt
