#pragma once

#include "editors/TitleSheet.h"

// What the new-area and new-project sheets share: the title field, Save enabled while the title has something
// besides white space (a list is never named with nothing), Return and closing. The new list is saved 0.5 s after
// the sheet ends.
class KNVTTaskListNewWindowController : public knvt::TitleSheet
{
    Q_OBJECT

public:
    static constexpr double SaveDelay = 0.5;

protected:
    explicit KNVTTaskListNewWindowController(QWidget *parent);
};
