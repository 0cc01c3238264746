#pragma once

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QString>
#include <QStringList>

namespace knvt::test {

// The text of a menu item as the menu shows it: "&&" is one "&", a single "&" only marks the mnemonic's letter.
inline QString shownMenuText(const QString &text)
{
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && i + 1 < text.size())
            ++i;
        else if (text[i] == QLatin1Char('&'))
            continue;
        shown += text[i];
    }
    return shown;
}

// One entry of a menu as the user reads it: "Title\tshortcut" with "(off)" when it is disabled, "-" for a separator.
inline QString menuEntryLine(const QAction &action, const QString &indent = QString())
{
    if (action.isSeparator())
        return indent + QStringLiteral("-");
    QString line = indent + shownMenuText(action.text());
    if (!action.shortcut().isEmpty())
        line += QStringLiteral("\t") + action.shortcut().toString();
    if (!action.isEnabled())
        line += QStringLiteral(" (off)");
    return line;
}

// The menu as the user reads it (menuEntryLine() a line), submenus indented; hidden entries are left out.
inline QStringList menuLines(const QMenu &menu, const QString &indent = QString())
{
    QStringList lines;
    for (QAction *action : menu.actions()) {
        if (!action->isVisible())
            continue;
        lines << menuEntryLine(*action, indent);
        if (action->menu())
            lines << menuLines(*action->menu(), indent + QStringLiteral("  "));
    }
    return lines;
}

// menuLines() of a menu whose enabled submenus are told first that they are about to show, which is when the
// application fills a submenu such as Move To; nothing is shown, so the keyboard stays where it is.
inline QStringList openedMenuLines(QMenu &menu)
{
    for (QAction *action : menu.actions()) {
        QMenu *sub = action->menu();
        if (!sub || !action->isVisible() || !action->isEnabled())
            continue;
        emit sub->aboutToShow();
    }
    return menuLines(menu);
}

} // namespace knvt::test
