#include "uikit/ColorAdditions.h"

#include <QPalette>

namespace knvt {

QColor defaultTintColor()
{
    return QColor(0, 122, 255);
}

QColor overdueColor(const QPalette &palette)
{
    return palette.color(QPalette::Base).lightnessF() < 0.5f ? QColor(255, 105, 97) : QColor(Qt::red);
}

} // namespace knvt
