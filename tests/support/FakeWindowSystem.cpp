#include "support/FakeWindowSystem.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>
#include <qpa/qwindowsysteminterface.h>

#include <algorithm>
#include <utility>

namespace knvt::test {

namespace {

bool refusesKeyboard(const QWidget *window)
{
    return window->windowHandle() != nullptr && window->windowHandle()->flags().testFlag(Qt::WindowDoesNotAcceptFocus);
}

} // namespace

const char *FakeWindowSystem::activationName(Activation activation)
{
    switch (activation) {
    case Activation::Never: return "never activated";
    case Activation::Early: return "activated early";
    case Activation::AtOnce: return "activated at once";
    case Activation::Late: return "activated late";
    case Activation::Twice: return "activated twice";
    }
    return "";
}

FakeWindowSystem::FakeWindowSystem(Activation activation, bool picksOnClose)
    : m_activation(activation), m_picksOnClose(picksOnClose)
{
    qApp->installEventFilter(this);
    setShared(this);
    // It takes over from the window system that showed the windows there are, and gave the keyboard to the active one.
    for (QWidget *window : QApplication::topLevelWidgets())
        if (window->isVisible())
            hadKeyboard(window);
    if (QWidget *active = QApplication::activeWindow())
        hadKeyboard(active);
}

FakeWindowSystem::~FakeWindowSystem()
{
    if (&shared() == this)
        setShared(nullptr);
}

bool FakeWindowSystem::waits(const QWidget *window) const
{
    return std::find(m_waiting.cbegin(), m_waiting.cend(), window) != m_waiting.cend();
}

bool FakeWindowSystem::offers(const QWidget *window) const
{
    const Qt::WindowType type = window->windowType();
    return window->isVisible() && (type == Qt::Window || type == Qt::Dialog) && !refusesKeyboard(window)
        && (waits(window) || !window->testAttribute(Qt::WA_DontShowOnScreen));
}

void FakeWindowSystem::showActive(QWidget *window)
{
    if (std::exchange(m_refuseNext, false))
        m_refused = window;
    std::erase(m_waiting, window);
    std::erase(m_late, window);
    window->setAttribute(Qt::WA_DontShowOnScreen, false);
    knvt::QtWindowSystem::showActive(window);
    // A window manager answers the map and the request before the application reads its next event. The offscreen
    // platform queues its activation of the window instead, and Qt takes it in after the posted events and timers: on
    // a loaded machine after the window was answered and hidden, making the hidden window the active one and leaving
    // the keyboard in no window that shows, which no window system does.
    QWindowSystemInterface::flushWindowSystemEvents(QEventLoop::ExcludeUserInputEvents);
    activate(window);
}

void FakeWindowSystem::showWaiting(QWidget *window)
{
    std::erase_if(m_waiting, [](const QPointer<QWidget> &waiting) { return waiting.isNull(); });
    m_waiting.emplace_back(window);
    window->setAttribute(Qt::WA_DontShowOnScreen);
    window->show();
    window->raise();
    switch (m_activation) {
    case Activation::Never: break;
    case Activation::Early: activateOnItsOwn(window); break;
    case Activation::Twice: m_late.emplace_back(window); [[fallthrough]];
    case Activation::AtOnce: {
        QPointer<QWidget> shown = window;
        QMetaObject::invokeMethod(
            this, [this, shown] { activateOnItsOwn(shown); }, Qt::QueuedConnection);
        break;
    }
    case Activation::Late: m_late.emplace_back(window); break;
    }
}

void FakeWindowSystem::takeKeyboard(QWidget *window)
{
    window->hide();
    showActive(window);
}

QWidget *FakeWindowSystem::windowWithKeyboard()
{
    return !m_inAnotherProgram && m_keyboardIn != nullptr && m_keyboardIn->isVisible() ? m_keyboardIn.data() : nullptr;
}

void FakeWindowSystem::activate(QWidget *window)
{
    // The fake answers the request itself, there and then: the offscreen platform would grant it once more later, after
    // a window of the fake's own choice, as no window manager does.
    if (window != nullptr && window->isVisible())
        deliverActivation(window);
}

void FakeWindowSystem::switchToAnotherProgram()
{
    QApplication::setActiveWindow(nullptr);
    m_inAnotherProgram = true;
    std::erase(m_focused, &m_anotherProgram);
    m_focused.emplace_back(&m_anotherProgram);
}

QStringList FakeWindowSystem::switcherTitles() const
{
    QStringList titles;
    for (const QWidget *window : QApplication::topLevelWidgets())
        if (offers(window))
            titles << window->windowTitle();
    return titles;
}

bool FakeWindowSystem::switchTo(QWidget *window)
{
    if (window == nullptr || !offers(window))
        return false;
    if (!waits(window)) {
        deliverActivation(window);
        return true;
    }
    // As on X: the focus, withheld from the window while it waits where another window of the application can take
    // it back, then the window manager's message that the user switched to it.
    Listener *told = listener();
    if (told == nullptr || told->keyboardBackFrom(window) == nullptr)
        deliverActivation(window);
    if (told != nullptr)
        told->userSwitchedTo(window, /*stampedAsSwitch=*/true, /*cameFromGone=*/false);
    return true;
}

void FakeWindowSystem::closeAnotherProgram()
{
    const bool wasIn = !m_focused.empty() && m_focused.back() == &m_anotherProgram;
    std::erase(m_focused, &m_anotherProgram);
    if (wasIn && m_picksOnClose && QApplication::activeWindow() == nullptr)
        QMetaObject::invokeMethod(this, &FakeWindowSystem::pick, Qt::QueuedConnection);
}

void FakeWindowSystem::activateOnItsOwn(QWidget *window)
{
    if (window == nullptr || !window->isVisible() || refusesKeyboard(window))
        return;
    ++m_activations;
    if (waits(window))
        focusWaiting(window, false);
    else
        deliverActivation(window);
}

void FakeWindowSystem::focusWaiting(QWidget *window, bool likeASwitch)
{
    Listener *told = listener();
    QWidget *back = told != nullptr ? told->keyboardBackFrom(window) : nullptr;
    if (back == nullptr) {
        // Nowhere to go back to: Qt hears the activation, which the application undoes or keeps.
        deliverActivation(window);
        if (likeASwitch && told != nullptr)
            told->userSwitchedTo(window, /*stampedAsSwitch=*/true, /*cameFromGone=*/true);
        return;
    }
    // Withheld from Qt: the application decides whether the user went there, else the focus goes back. As on X, the
    // window manager's message comes with it, stamped as a switch only for its pick as a window closed.
    if (!told->userSwitchedTo(window, /*stampedAsSwitch=*/likeASwitch, /*cameFromGone=*/likeASwitch)) {
        deliverActivation(back);
        told->keyboardLeft(window);
    }
}

void FakeWindowSystem::pick()
{
    // The waiting window shown last: the window manager's focus order has it before the windows the user left.
    for (auto last = m_waiting.rbegin(); last != m_waiting.rend(); ++last) {
        if (*last != nullptr && (*last)->isVisible() && !refusesKeyboard(*last)) {
            ++m_picks;
            focusWaiting(*last, true);
            return;
        }
    }
    for (auto last = m_focused.rbegin(); last != m_focused.rend(); ++last) {
        if (*last == &m_anotherProgram) {
            ++m_picks;
            return;
        }
        auto *window = qobject_cast<QWidget *>(last->data());
        if (window != nullptr && window->isVisible()) {
            ++m_picks;
            deliverActivation(window);
            return;
        }
    }
}

void FakeWindowSystem::deliverActivation(QWidget *window)
{
    if (QApplication::activePopupWidget() == nullptr)
        QApplication::setActiveWindow(window);
}

void FakeWindowSystem::hadKeyboard(QWidget *window)
{
    // Qt takes the refused window for active; the keyboard stays where it was.
    if (window == m_refused)
        return;
    m_keyboardIn = window;
    m_inAnotherProgram = false;
    // What it picks when a window closes: a normal window it showed, as X window managers never pick a tool window.
    if (window->windowType() != Qt::Tool && window->windowType() != Qt::Popup
        && !window->testAttribute(Qt::WA_DontShowOnScreen)) {
        std::erase(m_focused, window);
        m_focused.emplace_back(window);
    }
}

bool FakeWindowSystem::eventFilter(QObject *watched, QEvent *event)
{
    if (!watched->isWidgetType())
        return false;
    auto *widget = static_cast<QWidget *>(watched);
    switch (event->type()) {
    case QEvent::KeyRelease:
        // The key went where the keyboard was; the activation comes before the next one.
        if (!m_late.empty()) {
            const std::vector<QPointer<QWidget>> late = std::exchange(m_late, {});
            for (const QPointer<QWidget> &window : late)
                activateOnItsOwn(window);
        }
        break;
    case QEvent::WindowActivate:
        if (widget->isWindow())
            hadKeyboard(widget);
        break;
    case QEvent::Hide:
        if (widget->isWindow())
            std::erase(m_waiting, widget);
        // What Qt took for active goes, and nothing the keyboard moves to tells it otherwise.
        if (widget->isWindow() && widget == m_refused && QApplication::activeWindow() == widget)
            QApplication::setActiveWindow(nullptr);
        if (m_picksOnClose && widget->isWindow() && widget == m_keyboardIn) {
            m_keyboardIn = nullptr;
            QMetaObject::invokeMethod(this, &FakeWindowSystem::pick, Qt::QueuedConnection);
        }
        break;
    default: break;
    }
    return false;
}

} // namespace knvt::test
