#include "uikit/FontAdditions.h"

#include <QApplication>

namespace knvt {

QFont rowFont(int pixelSize, bool bold)
{
    QFont font = QApplication::font();
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

} // namespace knvt
