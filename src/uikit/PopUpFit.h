#pragma once

class QComboBox;

namespace knvt {

// Keeps the open list of a pop-up as tall as its rows when they change while it is open (a sync adds a project, a
// person joins a shared list): Qt sizes that list once, when it opens, so rows added then were cut off and a row
// removed left a gap. The row the keyboard is on stays the one it was.
void keepPopUpFittingItsRows(QComboBox *popUp);

} // namespace knvt
