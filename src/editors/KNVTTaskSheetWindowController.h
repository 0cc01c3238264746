#pragma once

#include "editors/KNVTTaskWindowController.h"
#include "editors/Sheet.h"

#include <QPointer>

class KNVTCDTask;

// The task window's content (detail and toolbar) shown as a sheet over the main window, while the main window fills
// the screen and no task window is open for the task. Done, a deletion and the task going away end the sheet.
class KNVTTaskSheetWindowController : public knvt::Sheet
{
    Q_OBJECT

public:
    explicit KNVTTaskSheetWindowController(KNVTCDTask *task, QWidget *parent = nullptr);

    // The task window shown inside the sheet.
    KNVTTaskWindowController *taskWindowController() const { return m_taskWindowController; }

private:
    QPointer<KNVTTaskWindowController> m_taskWindowController;
};
