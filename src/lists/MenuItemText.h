#pragma once

#include <QString>

namespace knvt {

// A title from the user or the service as the text of a menu item: a menu takes "&" as the mark of the next letter's
// keyboard mnemonic, so "R&D" would show as "RD"; doubled, it shows as typed.
inline QString menuItemText(const QString &title)
{
    QString text = title;
    text.replace(QLatin1Char('&'), QLatin1String("&&"));
    return text;
}

} // namespace knvt
