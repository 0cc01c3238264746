#pragma once
// Pixel checks for controls whose drawing is their behaviour: what a widget paints over a transparent background, and
// a colour comparison that allows for antialiasing.

#include <QColor>
#include <QImage>
#include <QWidget>

#include <cstdlib>

namespace knvt::test {

inline QImage rendered(QWidget &widget)
{
    QImage image(widget.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

inline bool near(const QColor &actual, const QColor &expected, int tolerance = 8)
{
    return std::abs(actual.red() - expected.red()) <= tolerance
        && std::abs(actual.green() - expected.green()) <= tolerance
        && std::abs(actual.blue() - expected.blue()) <= tolerance
        && std::abs(actual.alpha() - expected.alpha()) <= tolerance;
}

inline QImage filled(QSize size, const QColor &color)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(color);
    return image;
}

} // namespace knvt::test
