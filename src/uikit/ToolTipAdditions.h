#pragma once

#include <QString>

namespace knvt {

// The tool tip that shows `text` as written, on one line. A tool tip has no plain-text format: it guesses rich text
// from the text itself, so that a name with markup in it would be rendered; the text goes escaped inside markup of
// its own instead. Empty for an empty text, which shows no tool tip.
QString toolTipShowingText(const QString &text);

} // namespace knvt
