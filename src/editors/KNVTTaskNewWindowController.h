#pragma once

#include "editors/KNVTTaskNewViewController.h"
#include "editors/KNVTTaskNewWindowControllerDelegate.h"

#include "uikit/WeakDelegate.h"

#include <QPointer>
#include <QWidget>

// A window holding a new-task form, sized to the form (its top edge stays where it is when the collaborators section
// changes the form's height). The application menu, the quick-entry hot key and a detached new-task popover open
// one; for the hot key it is a floating panel over every other window. Escape closes it without saving, as it closes
// the form's popover. Its close button and Close (Ctrl+W) ask before what is typed in it is dropped; New Task and Quit
// (Ctrl+N, Ctrl+Q) work here as in every window, carried out by the application (knvt::ApplicationCommands).
class KNVTTaskNewWindowController : public QWidget
{
    Q_OBJECT

public:
    explicit KNVTTaskNewWindowController(QWidget *parent = nullptr);
    explicit KNVTTaskNewWindowController(const KNVTTaskNewViewController::Values &values, QWidget *parent = nullptr);

    KNVTTaskNewViewController *taskNewViewController() const { return m_taskNewViewController; }

    KNVTTaskNewWindowControllerDelegate *taskNewWindowControllerDelegate() const { return m_delegate.get(); }
    void setTaskNewWindowControllerDelegate(KNVTTaskNewWindowControllerDelegate *delegate) { m_delegate.set(delegate); }

    // Makes the window a panel that floats over other windows, as the quick-entry hot key shows it.
    void setFloatingPanel(bool floating);
    bool isFloatingPanel() const;

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void install();

    QPointer<KNVTTaskNewViewController> m_taskNewViewController;
    knvt::WeakDelegate<KNVTTaskNewWindowControllerDelegate> m_delegate;
};
