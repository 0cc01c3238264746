#include "uikit/ColorAdditions.h"

namespace knvt {

QColor defaultTintColor()
{
    return QColor(0, 122, 255);
}

} // namespace knvt
