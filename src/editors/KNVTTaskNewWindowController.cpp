#include "editors/KNVTTaskNewWindowController.h"

#include "uikit/WindowAccessible.h"
#include "uikit/WindowCommands.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QVBoxLayout>

KNVTTaskNewWindowController::KNVTTaskNewWindowController(QWidget *parent)
    : QWidget(parent, Qt::Window), m_taskNewViewController(new KNVTTaskNewViewController(this))
{
    install();
}

KNVTTaskNewWindowController::KNVTTaskNewWindowController(const KNVTTaskNewViewController::Values &values,
                                                         QWidget *parent)
    : QWidget(parent, Qt::Window), m_taskNewViewController(new KNVTTaskNewViewController(values, this))
{
    install();
}

void KNVTTaskNewWindowController::install()
{
    setObjectName(QStringLiteral("KNVTTaskNewWindowController"));
    setWindowTitle(tr("New Task"));
    // Also as the quick-entry panel over another program, a screen reader announces the window that came up.
    knvt::WindowAccessible::install(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    // The window is exactly as large as the form, whatever size the form takes.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(m_taskNewViewController->view());
    m_taskNewViewController->setWindow(this);
    adjustSize();
    new knvt::WindowCommands(this, {knvt::Command::NewTask, knvt::Command::Close, knvt::Command::Quit});
}

void KNVTTaskNewWindowController::setFloatingPanel(bool floating)
{
    const QPoint position = pos();
    setWindowFlags(floating ? Qt::Tool | Qt::WindowStaysOnTopHint : Qt::Window);
    move(position);
}

bool KNVTTaskNewWindowController::isFloatingPanel() const
{
    return windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void KNVTTaskNewWindowController::keyPressEvent(QKeyEvent *event)
{
    // Only an Escape that no field of the form took for itself (an open pop-up list, a completion) reaches here.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && m_taskNewViewController) {
        m_taskNewViewController->cancel();
        return;
    }
    QWidget::keyPressEvent(event);
}

void KNVTTaskNewWindowController::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    if (event->isAccepted()) {
        if (KNVTTaskNewWindowControllerDelegate *delegate = m_delegate.get())
            delegate->taskNewWindowControllerWillClose(this);
    }
}
