#pragma once

#include "editors/TitleSheet.h"

// What the new-area and new-project sheets share: the title field, Save enabled while the title has something
// besides white space (a list is never named with nothing), Return and closing. The new list is saved when Save is
// pressed, and the sheet ends only once the library took it.
class KNVTTaskListNewWindowController : public knvt::TitleSheet
{
    Q_OBJECT

protected:
    explicit KNVTTaskListNewWindowController(QWidget *parent);
};
