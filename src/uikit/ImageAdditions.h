#pragma once

#include "foundation/ImageAdditions.h"

#include <QByteArray>
#include <QIcon>
#include <QImage>
#include <QSize>
#include <QString>

// Images are Qt resources under ":/images/<name>" (SVG or PNG); template images are icons in mask mode, so the
// style recolours them like text.
namespace knvt {

QImage imageFromMainBundleWithName(const QString &name);
QIcon templateImageFromMainBundleWithName(const QString &name);

// The named image at `size`; a null image when there is none.
QImage imageNamed(const QString &name, const QSize &size);
QIcon templateImageNamed(const QString &name);
QIcon templateImageNamed(const QString &name, const QSize &size);

// Base64 of the PNG encoding (knvt::PNGData) of `image`; empty for a null image.
QString base64EncodedPNG(const QImage &image);

} // namespace knvt
