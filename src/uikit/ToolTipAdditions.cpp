#include "uikit/ToolTipAdditions.h"

namespace knvt {

QString toolTipShowingText(const QString &text)
{
    if (text.isEmpty())
        return {};
    return QStringLiteral("<p style=\"white-space:pre\">%1</p>").arg(text.toHtmlEscaped());
}

} // namespace knvt
