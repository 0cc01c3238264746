#include "accounts/WindowPlacement.h"

#include "accounts/KNVTAccountsShell.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace knvt {

QRect onScreen(const QWidget *window, const QRect &geometry, const QScreen *shownOn)
{
    if (!shownOn)
        return geometry;
    // The frame around the client area stays whole on the screen too.
    const QRect client = window->geometry();
    const QRect outer = window->frameGeometry();
    const QMargins frame(client.left() - outer.left(), client.top() - outer.top(), outer.right() - client.right(),
                         outer.bottom() - client.bottom());
    const QRect available = shownOn->availableGeometry().marginsRemoved(frame);
    QRect fitted = geometry;
    fitted.setSize(geometry.size().boundedTo(available.size()));
    fitted.moveLeft(std::clamp(fitted.left(), available.left(), available.right() - fitted.width() + 1));
    fitted.moveTop(std::clamp(fitted.top(), available.top(), available.bottom() - fitted.height() + 1));
    return fitted;
}

void placeOverMainWindow(QWidget *window)
{
    KNVTAccountsShell *shell = KNVTAccountsShell::shared();
    const QWidget *main = shell ? shell->mainWindow() : nullptr;
    if (main && !main->isVisible())
        main = nullptr;
    const QScreen *target = main ? main->screen() : QGuiApplication::primaryScreen();
    if (!target)
        return;
    // Until the window manager framed the window its frame is not known: the frame is the window then.
    QRect frame = window->frameGeometry();
    const QPoint clientInFrame = window->geometry().topLeft() - frame.topLeft();
    frame.moveCenter(main ? main->frameGeometry().center() : target->availableGeometry().center());
    const QRect placed = onScreen(window, QRect(frame.topLeft() + clientInFrame, window->size()), target);
    // A move places the frame, title bar included, wherever the window manager draws it.
    window->move(placed.topLeft() - clientInFrame);
}

} // namespace knvt
