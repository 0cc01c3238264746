#include "uikit/FontAdditions.h"

#include <QApplication>
#include <QHash>

namespace knvt {

QFont rowFont(int pixelSize, bool bold)
{
    // Rows ask for their fonts on every paint: each is made once for the application's font, again when that changes.
    static QFont basis;
    static QHash<int, QFont> made;
    const QFont application = QApplication::font();
    if (!(application == basis) || application.resolveMask() != basis.resolveMask()) {
        basis = application;
        made.clear();
    }
    const int key = pixelSize * 2 + (bold ? 1 : 0);
    auto found = made.constFind(key);
    if (found == made.cend()) {
        QFont font = application;
        font.setPixelSize(pixelSize);
        font.setBold(bold);
        found = made.insert(key, font);
    }
    return *found;
}

} // namespace knvt
