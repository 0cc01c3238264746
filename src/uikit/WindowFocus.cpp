#include "uikit/WindowFocus.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace knvt {

namespace {

WindowFocus *gWatch = nullptr;

// Long enough for a window system to activate a window of its own choice once the one that had the keyboard went, also
// on a busy machine; too short for a user to switch windows on purpose.
constexpr int WindowSystemAnswersWithin = 750;

// The windows the rule follows: pop-ups (menus, completions, transient popovers) and tool tips come and go with the
// window under them, which keeps the keyboard.
bool takesPart(const QWidget *window)
{
    const Qt::WindowType type = window->windowType();
    return window->isWindow() && type != Qt::Popup && type != Qt::ToolTip && type != Qt::SplashScreen
        && type != Qt::Desktop;
}

bool isTextField(const QWidget *widget)
{
    if (const auto *line = qobject_cast<const QLineEdit *>(widget))
        return !line->isReadOnly();
    if (const auto *plain = qobject_cast<const QPlainTextEdit *>(widget))
        return !plain->isReadOnly();
    if (const auto *rich = qobject_cast<const QTextEdit *>(widget))
        return !rich->isReadOnly();
    return false;
}

// Space presses a button, Return too where it has the keyboard; only a dialog's default button is there to be
// pressed (Return presses it from anywhere in the dialog).
bool actsOnSpaceOrReturn(const QWidget *widget)
{
    const auto *button = qobject_cast<const QAbstractButton *>(widget);
    const auto *push = qobject_cast<const QPushButton *>(widget);
    return button != nullptr && !(push != nullptr && push->isDefault());
}

// The window's first text field in its tab order, else its first control that is no button (a list, a pop-up).
QWidget *calmFirstStop(QWidget *window)
{
    QWidget *calm = nullptr;
    for (QWidget *next = window->nextInFocusChain(); next != nullptr && next != window;
         next = next->nextInFocusChain()) {
        if (next->window() != window || !(next->focusPolicy() & Qt::TabFocus) || !next->isVisible()
            || !next->isEnabled())
            continue;
        if (isTextField(next))
            return next;
        if (calm == nullptr && !qobject_cast<QAbstractButton *>(next))
            calm = next;
    }
    return calm;
}

void moveKeyboardTo(QWidget *control)
{
    if (control == nullptr || !control->isVisible() || !control->isEnabled())
        return;
    control->window()->activateWindow();
    control->setFocus(Qt::ActiveWindowFocusReason);
}

} // namespace

WindowFocus::WindowFocus() : QObject(qApp)
{
    connect(qApp, &QApplication::focusChanged, this, &WindowFocus::focusChanged);
}

void WindowFocus::watch()
{
    if (gWatch != nullptr || qApp == nullptr)
        return;
    gWatch = new WindowFocus;
    qApp->installEventFilter(gWatch);
    connect(gWatch, &QObject::destroyed, qApp, [] { gWatch = nullptr; });
}

void WindowFocus::hideToShowAgain(QWidget *window)
{
    if (gWatch != nullptr)
        gWatch->m_showingAgain = window;
    window->hide();
    if (gWatch != nullptr)
        gWatch->m_showingAgain = nullptr;
}

WindowFocus::Shown *WindowFocus::find(const QWidget *window)
{
    const auto found =
        std::find_if(m_shown.begin(), m_shown.end(), [window](const Shown &shown) { return shown.window == window; });
    return found != m_shown.end() ? &*found : nullptr;
}

void WindowFocus::giveKeyboardTo(QWidget *control)
{
    // An X11 window manager hands the keyboard, when the window that had it unmaps, to the last normal window it
    // focused, a moment before or after it grants the application's own request, and never to a tool window (a
    // popover, quick entry): the keyboard given to one is kept there against that pick.
    if (gWatch != nullptr) {
        const bool picked = control != nullptr && control->window()->windowType() == Qt::Tool
            && QGuiApplication::platformName() == QLatin1String("xcb");
        gWatch->m_given = picked ? control : nullptr;
        gWatch->m_givenAt = gWatch->m_shows;
        gWatch->m_givenFor.setRemainingTime(WindowSystemAnswersWithin);
    }
    moveKeyboardTo(control);
}

bool WindowFocus::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::NonClientAreaMouseButtonPress:
        // The user acts: wherever the keyboard is now, it is where the user meant it to be.
        m_given = nullptr;
        break;
    default: break;
    }
    if ((event->type() == QEvent::Show || event->type() == QEvent::Hide) && !event->spontaneous()
        && watched->isWidgetType()) {
        auto *widget = static_cast<QWidget *>(watched);
        if (takesPart(widget) && widget != m_showingAgain) {
            if (event->type() == QEvent::Show)
                windowShown(widget);
            else
                windowHidden(widget);
        }
    }
    return false;
}

void WindowFocus::windowShown(QWidget *window)
{
    std::erase_if(m_shown, [](const Shown &shown) { return shown.window.isNull(); });
    if (find(window) == nullptr)
        m_shown.push_back({window, QApplication::focusWidget(), ++m_shows, true});
}

void WindowFocus::focusChanged(QWidget *old, QWidget *now)
{
    m_leftForNothing = now == nullptr && old != nullptr ? old->window() : nullptr;
    if (now == nullptr)
        return;
    QWidget *window = now->window();
    Shown *shown = find(window);
    if (m_given != nullptr && m_given->window() != window && !m_givenFor.hasExpired()
        && (shown == nullptr || shown->order <= m_givenAt)) {
        // The window system's own pick: the keyboard goes where it was given, unless the user acts first (a click
        // into that window reaches the application just after its activation).
        QTimer::singleShot(0, this, [this] { moveKeyboardTo(std::exchange(m_given, nullptr)); });
    }
    if (shown == nullptr)
        return;
    // Coming back from a window that has gone (an answered alert) is no going to this one, nor is coming back from a
    // window the keyboard went to from this one (one that opened beside the typing and was handed it for a moment).
    const Shown *from = old != nullptr ? find(old->window()) : nullptr;
    const bool comingBack = from != nullptr && from->cameFrom != nullptr && from->cameFrom->window() == window;
    if (old != nullptr && old->window() != window && old->window()->isVisible() && takesPart(old->window())
        && !comingBack)
        shown->cameFrom = old;
    if (!shown->firstFocus)
        return;
    shown->firstFocus = false;
    // An alert is there to be answered: its default button is where the keys belong.
    if (actsOnSpaceOrReturn(now) && !qobject_cast<QMessageBox *>(window))
        if (QWidget *calm = calmFirstStop(window))
            calm->setFocus(Qt::TabFocusReason);
}

void WindowFocus::windowHidden(QWidget *window)
{
    const Shown *shown = find(window);
    if (shown == nullptr)
        return;
    const QPointer<QWidget> target = shown->cameFrom;
    const quint64 order = shown->order;
    const QWidget *focused = QApplication::focusWidget();
    // A window system may take the keyboard from a window that hides before the window hears of its hiding.
    const bool hadKeyboard = QApplication::activeWindow() == window || (focused && focused->window() == window)
        || (focused == nullptr && m_leftForNothing == window
            && QGuiApplication::applicationState() == Qt::ApplicationActive);
    std::erase_if(m_shown, [window](const Shown &entry) { return entry.window.isNull() || entry.window == window; });
    // Windows the keyboard went to from this one go back, when they close, to where it came from before.
    for (Shown &other : m_shown)
        if (other.cameFrom && other.cameFrom->window() == window)
            other.cameFrom = target;
    if (!hadKeyboard || !target || target->window() == window || !target->isVisible() || !target->isEnabled())
        return;
    // A window shown after this one took the keyboard's turn (a popover torn off into a window of its own).
    const bool newerShows = std::any_of(m_shown.cbegin(), m_shown.cend(), [order, window](const Shown &other) {
        return other.order > order && other.window && other.window->isVisible() && !window->isAncestorOf(other.window);
    });
    if (newerShows)
        return;
    giveKeyboardTo(target);
}

} // namespace knvt
