#include "uikit/WindowBesideTyping.h"

#include "uikit/Logging.h"
#include "uikit/UnsavedTyping.h"
#include "uikit/WindowFocus.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <utility>

namespace knvt {

namespace {

// Which pass of the event loop delivered the user's latest input. Every pass starts with the event dispatcher waking
// up or going to wait; what the application does by itself (a reply of the network, a timer, work queued for later)
// comes in a later pass than the input that may have started it.
class InputPasses : public QObject
{
public:
    static InputPasses *instance() { return s_instance; }

    static void watch()
    {
        if (s_instance == nullptr && QCoreApplication::instance() != nullptr)
            s_instance = new InputPasses(QCoreApplication::instance());
    }

    bool isAnsweringInput() const { return m_inputPass == m_pass; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::NonClientAreaMouseButtonPress:
        case QEvent::NonClientAreaMouseButtonRelease:
        case QEvent::ContextMenu:
        case QEvent::InputMethod: m_inputPass = m_pass; break;
        // The window system's close button, which it tells the native window; the application closes the widget.
        case QEvent::Close:
            if (event->spontaneous() || watched->isWindowType())
                m_inputPass = m_pass;
            break;
        default: break;
        }
        return false;
    }

private:
    explicit InputPasses(QObject *application) : QObject(application)
    {
        application->installEventFilter(this);
        if (QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance()) {
            connect(dispatcher, &QAbstractEventDispatcher::awake, this, [this] { ++m_pass; });
            connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this] { ++m_pass; });
        }
    }
    ~InputPasses() override
    {
        if (s_instance == this)
            s_instance = nullptr;
    }

    static inline InputPasses *s_instance = nullptr;
    quint64 m_pass = 1;
    quint64 m_inputPass = 0;
};

bool isPopupLike(const QWidget *window)
{
    return window->windowType() == Qt::Popup || window->windowType() == Qt::ToolTip;
}

// The window the user is in: the one that has the keyboard, a pop-up list or menu's own window aside.
QWidget *concernedWindow(const QWidget *opening)
{
    QWidget *window =
        QApplication::focusWidget() != nullptr ? QApplication::focusWidget()->window() : QApplication::activeWindow();
    while (window != nullptr && window->windowType() == Qt::Popup)
        window = window->parentWidget() != nullptr ? window->parentWidget()->window() : nullptr;
    return window != nullptr && window != opening && window->isVisible() ? window : nullptr;
}

// The window stands in front of the window it concerns: it is that window's transient. While a window of the
// application floats over every other (quick entry), it floats as well, or it would open hidden under it.
void placeInFrontOf(QWidget *window, QWidget *concerned)
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    const bool floats = std::any_of(windows.cbegin(), windows.cend(), [window](const QWidget *shown) {
        return shown != window && shown->isVisible() && !isPopupLike(shown)
            && shown->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    });
    if (floats && !window->isVisible())
        window->setWindowFlag(Qt::WindowStaysOnTopHint);
    if (concerned == nullptr || window->parentWidget() != nullptr)
        return;
    window->winId();
    if (window->windowHandle() != nullptr && concerned->windowHandle() != nullptr)
        window->windowHandle()->setTransientParent(concerned->windowHandle());
}

void bringToFront(QWidget *window, Qt::WindowModality modality)
{
    window->setAttribute(Qt::WA_ShowWithoutActivating, false);
    window->setWindowModality(modality);
    window->show();
    window->raise();
    window->activateWindow();
}

// Whether `object` is the window or one of its widgets.
bool isPartOf(const QObject *object, const QWidget *window)
{
    if (window == nullptr)
        return false;
    if (object == window->windowHandle())
        return true;
    return object->isWidgetType() && static_cast<const QWidget *>(object)->window() == window;
}

} // namespace

} // namespace knvt

namespace {

// From the start: the very first input may be the one an alert answers.
void watchInputPasses()
{
    knvt::InputPasses::watch();
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(watchInputPasses)

namespace knvt {

bool WindowBesideTyping::isAnsweringInput()
{
    InputPasses::watch();
    return InputPasses::instance() != nullptr && InputPasses::instance()->isAnsweringInput();
}

void WindowBesideTyping::show(QWidget *window, Qt::WindowModality modality)
{
    if (window == nullptr)
        return;
    // A window shown again starts afresh.
    qDeleteAll(window->findChildren<WindowBesideTyping *>(Qt::FindDirectChildrenOnly));
    placeInFrontOf(window, concernedWindow(window));
    if (isAnsweringInput() || !UnsavedTyping::isTypingUnderWay()) {
        bringToFront(window, modality);
        return;
    }
    qCInfo(lcUikit).noquote() << "WindowBesideTyping:show" << window->objectName()
                              << "opens without the keyboard: the user is typing";
    // The watch lives with the window, until the user goes to it.
    new WindowBesideTyping(window, modality);
    window->setWindowModality(Qt::NonModal);
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    window->show();
    window->raise();
}

WindowBesideTyping::WindowBesideTyping(QWidget *window, Qt::WindowModality modality)
    : QObject(window),
      m_window(window),
      m_modality(modality),
      m_typingInto(QApplication::focusWidget()),
      m_lastKeyboardWindow(QApplication::activeWindow())
{
    qApp->installEventFilter(this);
}

QWidget *WindowBesideTyping::keyboardWindow() const
{
    // A form that closed hands the keyboard to the window it belonged to.
    for (QWidget *candidate : {m_typingInto ? m_typingInto->window() : nullptr, m_lastKeyboardWindow.data()}) {
        for (QWidget *window = candidate; window != nullptr;
             window = window->parentWidget() != nullptr ? window->parentWidget()->window() : nullptr) {
            if (window != m_window && window->isVisible())
                return window;
        }
    }
    return nullptr;
}

bool WindowBesideTyping::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    switch (type) {
    case QEvent::Expose:
    case QEvent::WindowActivate:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::InputMethod: break;
    default: return false;
    }
    if (m_window == nullptr)
        return false;
    if (!isPartOf(watched, m_window)) {
        if (type == QEvent::WindowActivate && watched->isWidgetType()) {
            auto *window = static_cast<QWidget *>(watched);
            if (window->isWindow() && !isPopupLike(window))
                m_lastKeyboardWindow = window;
        }
        return false;
    }
    if (m_wentTo) {
        // Once the press that took the user there is over.
        if (type == QEvent::MouseButtonRelease || type == QEvent::NonClientAreaMouseButtonRelease)
            QTimer::singleShot(0, this, &WindowBesideTyping::takeTheKeyboard);
        return false;
    }
    switch (type) {
    case QEvent::Expose:
        if (!m_exposed && watched == m_window->windowHandle() && m_window->windowHandle()->isExposed()) {
            m_exposed = true;
            // A window system that activates what it maps has done so by the time two passes have gone by.
            QTimer::singleShot(0, this, [this] { QTimer::singleShot(0, this, [this] { m_opening = false; }); });
        }
        return false;
    case QEvent::WindowActivate:
        if (watched == m_window)
            activated();
        return false;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonDblClick: wentTo(); return false;
    case QEvent::ShortcutOverride:
        // Taken as the window's own, so that none of its shortcuts fires; the key then comes and goes on.
        event->accept();
        return true;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::InputMethod: passOn(event); return true;
    default: return false;
    }
}

void WindowBesideTyping::activated()
{
    const bool opening = std::exchange(m_opening, false);
    if (!opening && m_lastKeyboardWindow && m_lastKeyboardWindow != m_window && m_lastKeyboardWindow->isVisible()) {
        // The user switched to it from a window that is still there.
        wentTo();
        QTimer::singleShot(0, this, &WindowBesideTyping::takeTheKeyboard);
        return;
    }
    // The window system's own: it activates the window it maps, or the one it picks when the window that had the
    // keyboard closes. The keys stay where the user was typing.
    QWidget *back = keyboardWindow();
    qCInfo(lcUikit).noquote() << "WindowBesideTyping:activated" << m_window->objectName()
                              << "by the window system; the keyboard stays in"
                              << (back != nullptr ? back->objectName() : QStringLiteral("nothing"));
    if (back == nullptr)
        return;
    back->activateWindow();
    if (m_typingInto != nullptr && m_typingInto->window() == back && m_typingInto->isVisible())
        m_typingInto->setFocus(Qt::ActiveWindowFocusReason);
}

void WindowBesideTyping::wentTo()
{
    if (m_wentTo)
        return;
    m_wentTo = true;
    qCInfo(lcUikit).noquote() << "WindowBesideTyping:wentTo" << m_window->objectName();
}

void WindowBesideTyping::passOn(QEvent *event)
{
    QWidget *back = keyboardWindow();
    QWidget *to = m_typingInto != nullptr && m_typingInto->isVisible() && m_typingInto->isEnabled()
        ? m_typingInto.data()
        : (back != nullptr ? back->focusWidget() : nullptr);
    if (to == nullptr || event->type() == QEvent::InputMethod)
        return;
    if (back != nullptr && !back->isActiveWindow())
        back->activateWindow();
    const auto *key = static_cast<QKeyEvent *>(event);
    QKeyEvent again(key->type(), key->key(), key->modifiers(), key->text(), key->isAutoRepeat(), ushort(key->count()));
    QCoreApplication::sendEvent(to, &again);
}

void WindowBesideTyping::takeTheKeyboard()
{
    if (std::exchange(m_tookIt, true))
        return;
    if (m_window == nullptr || !m_window->isVisible()) {
        deleteLater();
        return;
    }
    qCInfo(lcUikit).noquote() << "WindowBesideTyping:takeTheKeyboard" << m_window->objectName();
    qApp->removeEventFilter(this);
    // Modality only takes effect on a window that is shown after it was set.
    if (m_window->windowModality() != m_modality)
        WindowFocus::hideToShowAgain(m_window);
    bringToFront(m_window, m_modality);
    // A window system that told nobody the hidden window lost the keyboard does not tell it gets it back either; the
    // window would show without the keyboard the window system gives it.
    if (QGuiApplication::focusWindow() == m_window->windowHandle() && QApplication::activeWindow() != m_window)
        QApplication::setActiveWindow(m_window);
    deleteLater();
}

} // namespace knvt
