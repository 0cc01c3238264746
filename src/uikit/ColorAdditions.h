#pragma once

#include <QColor>

class QPalette;

namespace knvt {

// The accent every tinted control starts with (check box, task rows, task title cell): rgb(0, 122, 255), opaque.
QColor defaultTintColor();

// An overdue date and ring: red, lighter on a dark background, where plain red is hard to read.
QColor overdueColor(const QPalette &palette);

} // namespace knvt
