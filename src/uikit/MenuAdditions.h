#pragma once

class QMenu;

namespace knvt {

// Spelling kept as the callers know it. False for an empty menu.
bool isLastItemSeperator(const QMenu *menu);

// Appends a separator unless the menu is empty or already ends with one, so callers can add one before each group
// without doubling them. The menu's separators are made non-collapsible so what was added is what is shown.
void addSeperatorItem(QMenu *menu);

} // namespace knvt
