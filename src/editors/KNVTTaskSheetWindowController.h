#pragma once

#include "editors/KNVTTaskWindowController.h"

// The task window shown as a sheet over the main window, while the main window fills the screen and no task window
// is open for the task. It ends with finished(), the presenter's did-end callback, before it closes.
class KNVTTaskSheetWindowController : public KNVTTaskWindowController
{
    Q_OBJECT

public:
    explicit KNVTTaskSheetWindowController(KNVTCDTask *task, QWidget *parent);

    // Shows the sheet over its parent window.
    void open();
    Q_INVOKABLE void dismiss(QObject *sender = nullptr) override;

signals:
    void finished(int result);

private:
    bool m_finished = false;
};
