#pragma once

#include "editors/KNVTTaskListNewWindowController.h"

// The sheet that creates an area from its title.
class KNVTAreaNewWindowController : public KNVTTaskListNewWindowController
{
    Q_OBJECT

public:
    explicit KNVTAreaNewWindowController(QWidget *parent = nullptr);

protected:
    bool performSave() override;
};
