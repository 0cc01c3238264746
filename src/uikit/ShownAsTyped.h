#pragma once

#include <QString>

// Text from the user or the service (titles, names) put where Qt reads more than text into it. Each function answers
// what to hand to that place so that the text shows exactly as it was typed.
namespace knvt {

// The tool tip that shows `text` as written, on one line. A tool tip has no plain-text format: it guesses rich text
// from the text itself, so that a name with markup in it would be rendered; the text goes escaped inside markup of
// its own instead. Empty for an empty text, which shows no tool tip.
QString toolTipShowingText(const QString &text);

// The text of a menu item: a menu takes "&" as the mark of the next letter's keyboard mnemonic, so "R&D" would show
// as "RD"; doubled, it shows as typed.
QString menuItemText(const QString &title);

// A window title: a window takes "[*]" as the place of its modified mark and drops it; doubled, it shows as typed.
QString windowTitleText(const QString &title);

} // namespace knvt
