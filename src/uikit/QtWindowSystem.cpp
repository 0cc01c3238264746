#include "uikit/QtWindowSystem.h"

#include <QMargins>
#include <QWidget>
#include <QWindow>

namespace knvt {

void QtWindowSystem::showInFront(QWidget *window, bool activating)
{
    // The attribute reaches a window whose handle exists already only through the handle's own property, which Qt
    // reads as it maps the window.
    window->setAttribute(Qt::WA_ShowWithoutActivating, !activating);
    if (activating) {
        if (QWindow *handle = window->windowHandle())
            handle->setProperty("_q_showWithoutActivating", false);
    } else {
        window->winId();
        window->windowHandle()->setProperty("_q_showWithoutActivating", true);
    }
    window->show();
    window->raise();
}

void QtWindowSystem::readyToWait(QWidget *window)
{
    window->winId();
    // Standing on its own (the window it concerns is minimized), a normal window to the window manager: Qt makes a
    // dialog with no transient parent the transient of the whole application, which KWin hides with the minimized
    // main window. The type is the platform window's alone; the widget stays the dialog it is. Over a window, it stays
    // that window's transient, which window managers stack over it.
    QWindow *handle = window->windowHandle();
    if (handle->transientParent() == nullptr && (handle->flags() & Qt::WindowType_Mask) == Qt::Dialog)
        handle->setFlags((handle->flags() & ~Qt::WindowType_Mask) | Qt::Window);
}

void QtWindowSystem::showActive(QWidget *window)
{
    showInFront(window, true);
    window->activateWindow();
}

void QtWindowSystem::showWaiting(QWidget *window)
{
    readyToWait(window);
    showInFront(window, false);
}

void QtWindowSystem::takeKeyboard(QWidget *window)
{
    window->hide();
    showActive(window);
}

void QtWindowSystem::activate(QWidget *window)
{
    window->activateWindow();
}

bool QtWindowSystem::picksAWindowWhenOneCloses() const
{
    return false;
}

QWidget *QtWindowSystem::windowWithKeyboard()
{
    return nullptr;
}

QMargins QtWindowSystem::frameOf(QWidget *)
{
    return {};
}

} // namespace knvt
