#pragma once

#include <QColor>

namespace knvt {

// The accent every tinted control starts with (check box, task rows, task title cell): rgb(0, 122, 255), opaque.
QColor defaultTintColor();

} // namespace knvt
