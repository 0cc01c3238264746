#pragma once

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QString>
#include <QStringList>

namespace knvt::test {

// The menu as the user reads it: "Title\tshortcut" with "(off)" for a disabled entry, submenus indented,
// separators "-"; hidden entries are left out.
inline QStringList menuLines(const QMenu &menu, const QString &indent = QString())
{
    QStringList lines;
    for (QAction *action : menu.actions()) {
        if (!action->isVisible())
            continue;
        if (action->isSeparator()) {
            lines << indent + QStringLiteral("-");
            continue;
        }
        QString line = indent + action->text();
        if (!action->shortcut().isEmpty())
            line += QStringLiteral("\t") + action->shortcut().toString();
        if (!action->isEnabled())
            line += QStringLiteral(" (off)");
        lines << line;
        if (action->menu())
            lines << menuLines(*action->menu(), indent + QStringLiteral("  "));
    }
    return lines;
}

} // namespace knvt::test
