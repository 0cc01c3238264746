#pragma once

#include "editors/KNVTTaskEditViewController.h"
#include "editors/Sheet.h"

#include <QPointer>

class KNVTCDTask;

// The edit-task form as a sheet over the main window or a task window, sized to the form; the title field has the
// keyboard focus when it opens.
class KNVTTaskEditWindowController : public knvt::Sheet
{
    Q_OBJECT

public:
    explicit KNVTTaskEditWindowController(KNVTCDTask *task, QWidget *parent = nullptr);

    KNVTTaskEditViewController *taskEditViewController() const { return m_taskEditViewController; }

private:
    QPointer<KNVTTaskEditViewController> m_taskEditViewController;
};
