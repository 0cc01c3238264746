#include "uikit/ShownAsTyped.h"

namespace knvt {

QString toolTipShowingText(const QString &text)
{
    if (text.isEmpty())
        return {};
    return QStringLiteral("<p style=\"white-space:pre\">%1</p>").arg(text.toHtmlEscaped());
}

QString menuItemText(const QString &title)
{
    QString text = title;
    text.replace(QLatin1Char('&'), QLatin1String("&&"));
    return text;
}

QString windowTitleText(const QString &title)
{
    QString text = title;
    text.replace(QLatin1String("[*]"), QLatin1String("[*][*]"));
    return text;
}

} // namespace knvt
