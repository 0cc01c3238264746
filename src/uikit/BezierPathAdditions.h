#pragma once

#include <QPainterPath>

namespace knvt {

// `path` ready to be filled and stroked as a closed shape: elements copied as they are and the last subpath closed
// when it is left open. An empty path for a path with no elements.
QPainterPath CGPath(const QPainterPath &path);

} // namespace knvt
