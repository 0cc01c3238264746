#include "uikit/WindowBesideTyping.h"

#include "uikit/Logging.h"
#include "uikit/UnsavedTyping.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace knvt {

namespace {

// Long enough for a window system to activate a window it maps, too short for a user to go to it.
constexpr int JustOpenedFor = 300;

void bringToFront(QWidget *window, Qt::WindowModality modality)
{
    window->setAttribute(Qt::WA_ShowWithoutActivating, false);
    window->setWindowModality(modality);
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

void WindowBesideTyping::show(QWidget *window, Qt::WindowModality modality)
{
    if (!window)
        return;
    if (!UnsavedTyping::isTypingUnderWay()) {
        bringToFront(window, modality);
        return;
    }
    qCInfo(lcUikit).noquote() << "WindowBesideTyping:show" << window->objectName()
                              << "opens without the keyboard: a form is being typed into";
    // The watch lives with the window, until the window takes the keyboard.
    new WindowBesideTyping(window, modality);
    window->setWindowModality(Qt::NonModal);
    window->setAttribute(Qt::WA_ShowWithoutActivating);
    window->show();
    window->raise();
}

WindowBesideTyping::WindowBesideTyping(QWidget *window, Qt::WindowModality modality)
    : QObject(window), m_window(window), m_modality(modality), m_typingInto(QApplication::focusWidget())
{
    qApp->installEventFilter(this);
    QTimer::singleShot(JustOpenedFor, this, [this] { m_justOpened = false; });
    connect(qApp, &QApplication::focusChanged, this, [this] {
        // On a later pass: a form that closes gives the focus away before it is hidden.
        QTimer::singleShot(0, this, &WindowBesideTyping::focusMoved);
    });
}

bool WindowBesideTyping::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::NonClientAreaMouseButtonPress: m_justOpened = false; break;
    case QEvent::WindowActivate:
        if (watched != m_window)
            break;
        if (m_justOpened && UnsavedTyping::isTypingUnderWay() && m_typingInto) {
            // The window system made the new window active on its own: the keys stay with the form.
            m_typingInto->window()->activateWindow();
            m_typingInto->setFocus(Qt::ActiveWindowFocusReason);
            break;
        }
        // The user went to the window: it is theirs now, as it is.
        deleteLater();
        break;
    default: break;
    }
    return false;
}

void WindowBesideTyping::focusMoved()
{
    if (!m_window || !m_window->isVisible() || m_window->isActiveWindow() || UnsavedTyping::isTypingUnderWay())
        return;
    takeTheKeyboard();
}

void WindowBesideTyping::takeTheKeyboard()
{
    qCInfo(lcUikit).noquote() << "WindowBesideTyping:takeTheKeyboard" << m_window->objectName()
                              << "no form is being typed into any more";
    // Modality only changes while the window is hidden.
    if (m_window->windowModality() != m_modality)
        m_window->hide();
    bringToFront(m_window, m_modality);
    deleteLater();
}

} // namespace knvt
