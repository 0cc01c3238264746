#pragma once

#include <QString>

namespace knvt {

// A whole printed page around `body`: the link to the print style sheet and the body of class "print".
QString printedPage(const QString &body);

} // namespace knvt
