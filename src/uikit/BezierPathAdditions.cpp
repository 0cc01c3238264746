#include "uikit/BezierPathAdditions.h"

namespace knvt {

QPainterPath CGPath(const QPainterPath &path)
{
    if (path.elementCount() == 0)
        return {};
    QPainterPath result = path;
    // A path that ends on a move draws nothing more, so only an open drawn end needs closing.
    const QPainterPath::Element last = path.elementAt(path.elementCount() - 1);
    if (!last.isMoveTo())
        result.closeSubpath();
    return result;
}

} // namespace knvt
