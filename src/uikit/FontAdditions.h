#pragma once

#include <QFont>

namespace knvt {

// The system font at `pixelSize`: painted rows measure in pixels, so their fixed heights hold at any screen density.
QFont rowFont(int pixelSize, bool bold = false);

} // namespace knvt
