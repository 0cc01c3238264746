#include "uikit/WindowPlacement.h"

#include <QApplication>
#include <QPushButton>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
#include <numeric>
#include <vector>

namespace knvt {

namespace {

xcb_connection_t *x11Connection()
{
    auto *x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 != nullptr ? x11->connection() : nullptr;
}

bool isPopupLike(const QWidget *window)
{
    return window->windowType() == Qt::Popup || window->windowType() == Qt::ToolTip;
}

QRect onScreen(const QWidget *widget)
{
    return {widget->mapToGlobal(QPoint()), widget->size()};
}

// The frame the window manager put around `window`, as margins around its geometry; none before it framed it.
QMargins frameMargins(const QWidget *window)
{
    const QRect frame = window->frameGeometry();
    const QRect inner = window->geometry();
    return {inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
            frame.bottom() - inner.bottom()};
}

} // namespace

void standInFrontOf(QWidget *window, QWidget *concerned)
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    const bool floats = std::any_of(windows.cbegin(), windows.cend(), [window](const QWidget *shown) {
        return shown != window && shown->isVisible() && !isPopupLike(shown)
            && shown->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    });
    if (floats && !window->isVisible())
        window->setWindowFlag(Qt::WindowStaysOnTopHint);
    // Window managers hide a minimized window's transients with it: a window about one stands on its own, in sight.
    if (concerned == nullptr || window->parentWidget() != nullptr || concerned->isMinimized())
        return;
    window->winId();
    if (window->windowHandle() == nullptr || concerned->windowHandle() == nullptr
        || window->windowHandle()->transientParent() == concerned->windowHandle())
        return;
    window->windowHandle()->setTransientParent(concerned->windowHandle());
    if (!window->isVisible())
        return;
    // Qt tells the window manager of a transient parent only as it maps the window: a shown one is told here.
    if (xcb_connection_t *connection = x11Connection()) {
        const auto parent = xcb_window_t(concerned->windowHandle()->winId());
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, xcb_window_t(window->windowHandle()->winId()),
                            XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, 32, 1, &parent);
        xcb_flush(connection);
    }
    window->raise();
}

void placeClearOf(QWidget *window, const QWidget *control, const QList<QWidget *> &others, const QMargins &knownFrame)
{
    if (control == nullptr || window->windowHandle() == nullptr)
        return;
    const QRect field = onScreen(control);
    QMargins margins = knownFrame.isNull() ? frameMargins(window) : knownFrame;
    if (margins.isNull())
        margins = frameMargins(control->window());
    // The control may be in a window without a frame (a form popover): the frame of a framed window of the application
    // is the one this window gets.
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (qsizetype next = 0; margins.isNull() && next < windows.size(); ++next)
        if (windows.at(next) != window && windows.at(next)->isVisible() && !isPopupLike(windows.at(next)))
            margins = frameMargins(windows.at(next));
    const QRect frame = window->geometry().marginsAdded(margins);
    std::vector<QRect> clear{field};
    // Two waiting windows never stand at one place, one hiding the other.
    for (const QWidget *other : others)
        if (other != window && other->isVisible())
            clear.push_back(other->frameGeometry());
    const size_t alwaysClear = clear.size();
    const QList<QPushButton *> buttons = control->window()->findChildren<QPushButton *>();
    for (const QPushButton *button : buttons)
        if (button->isVisible() && button->window() == control->window())
            clear.push_back(onScreen(button));
    const auto covers = [&clear](const QRect &rect, size_t count) {
        return std::any_of(clear.cbegin(), clear.cbegin() + qsizetype(count),
                           [&rect](const QRect &kept) { return rect.intersects(kept); });
    };
    if (!covers(frame, clear.size()))
        return;
    const QScreen *screen = control->screen() != nullptr ? control->screen() : QGuiApplication::primaryScreen();
    const QRect room = screen != nullptr ? screen->availableGeometry() : frame.united(field);
    constexpr int Gap = 12;
    const QRect around = std::accumulate(clear.cbegin(), clear.cend(), field,
                                         [](const QRect &all, const QRect &kept) { return all.united(kept); });
    // Below or above the control, or all it must keep clear of, else beside them.
    const QPoint places[] = {
        {frame.x(), field.bottom() + 1 + Gap},  {frame.x(), field.top() - Gap - frame.height()},
        {frame.x(), around.bottom() + 1 + Gap}, {frame.x(), around.top() - Gap - frame.height()},
        {field.right() + 1 + Gap, frame.y()},   {field.left() - Gap - frame.width(), frame.y()},
        {around.right() + 1 + Gap, frame.y()},  {around.left() - Gap - frame.width(), frame.y()},
    };
    // Clear of every button where the screen has room for it, else of the control and the other waiting windows alone.
    for (const size_t count : {clear.size(), alwaysClear}) {
        for (const QPoint &place : places) {
            QRect moved = frame;
            moved.moveTopLeft(place);
            // Sideways onto the screen where it would reach past an edge.
            moved.moveLeft(std::clamp(moved.left(), room.left(), std::max(room.left(), room.right() - moved.width())));
            if (room.contains(moved) && !covers(moved, count)) {
                // The window itself goes inside the frame. Qt moves a window it has made as though the frame were
                // the one it knows already, none before the window manager framed it: the frame it gets would reach
                // out of the place by its title bar, over the field.
                const QPoint known = window->geometry().topLeft() - window->pos();
                window->move(moved.topLeft() + QPoint(margins.left(), margins.top()) - known);
                return;
            }
        }
    }
}

} // namespace knvt
