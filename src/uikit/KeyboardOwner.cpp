#include "uikit/KeyboardOwner.h"

#include "foundation/Clock.h"
#include "uikit/AccessibleEventRules.h"
#include "uikit/ActionSet.h"
#include "uikit/Announcement.h"
#include "uikit/FirstTabStop.h"
#include "uikit/HeldChangeAccessible.h"
#include "uikit/Logging.h"
#include "uikit/Popover.h"
#include "uikit/UnsavedTyping.h"
#include "uikit/WindowPlacement.h"
#include "uikit/WindowSystem.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>
#include <QWindow>

#include <algorithm>
#include <utility>

namespace knvt {

namespace {

KeyboardOwner *gOwner = nullptr;

bool isPopupLike(const QWidget *window)
{
    return window->windowType() == Qt::Popup || window->windowType() == Qt::ToolTip;
}

// The windows the rule follows: pop-ups (menus, completions, transient popovers) and tool tips come and go with the
// window under them, which keeps the keyboard.
bool takesPart(const QWidget *window)
{
    const Qt::WindowType type = window->windowType();
    return window->isWindow() && type != Qt::Popup && type != Qt::ToolTip && type != Qt::SplashScreen
        && type != Qt::Desktop;
}

QWidget *widgetOf(QObject *object)
{
    return object->isWidgetType() ? static_cast<QWidget *>(object) : nullptr;
}

// A control the keyboard can go to: shown and enabled, in a window that shows (a minimized one does not).
bool canTakeKeyboard(const QWidget *control)
{
    return control != nullptr && control->isVisible() && control->isEnabled() && control->window()->isVisible()
        && !control->window()->isMinimized();
}

// A control of a form popover the window manager hid over a window that shows (KWin hides them while it takes the
// application for inactive): the keyboard comes back to it as it shows again.
bool inHiddenPopover(const QWidget *control)
{
    const QWidget *window = control != nullptr ? control->window() : nullptr;
    const QWidget *under =
        window != nullptr && window->parentWidget() != nullptr ? window->parentWidget()->window() : nullptr;
    return window != nullptr && window->isVisible() && window->isMinimized()
        && qobject_cast<const Popover *>(window) != nullptr && canTakeKeyboard(under);
}

// Whether the keyboard can come back to `control`: not to the menu bar, which holds it only while the user moves through
// its titles from the keyboard, and shows nothing and answers no arrow when given it back; nor to a menu, which is gone
// once its entry opened a window (given back to it, the keyboard would stay in no control at all).
bool isPlace(const QWidget *control)
{
    return qobject_cast<const QMenuBar *>(control) == nullptr && qobject_cast<const QMenu *>(control) == nullptr;
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

// The popover standing over `window` that holds a form (a pop-up closes by itself), and the control in it the keys
// belong to: the form is where the user works, whatever the window under it shows.
QWidget *formPopoverField(const QWidget *window, bool onlyWithTyping)
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *top : windows) {
        auto *popover = qobject_cast<Popover *>(top);
        if (popover == nullptr || !popover->isShown() || popover->windowType() == Qt::Popup
            || popover->parentWidget() == nullptr || popover->parentWidget()->window() != window
            || (onlyWithTyping && !UnsavedTyping::holdsTyping(popover)))
            continue;
        QWidget *field = popover->focusWidget();
        return field != nullptr && popover->isAncestorOf(field) ? field : firstTabStop(popover);
    }
    return nullptr;
}

// The window a popover's control stands over.
QWidget *formOwner(const QWidget *field)
{
    const QWidget *popover = field->window();
    return popover->parentWidget() != nullptr ? popover->parentWidget()->window() : nullptr;
}

// Where the keyboard belongs when `control` had it: in a window whose popover holds typing, that popover.
QWidget *placeOf(QWidget *control)
{
    if (control == nullptr || qobject_cast<Popover *>(control->window()) != nullptr)
        return control;
    QWidget *typing = formPopoverField(control->window(), true);
    return typing != nullptr ? typing : control;
}

// The window the user is in: the one that has the keyboard, a pop-up list or menu's own window aside.
QWidget *windowTheUserIsIn(const QWidget *opening)
{
    QWidget *window =
        QApplication::focusWidget() != nullptr ? QApplication::focusWidget()->window() : QApplication::activeWindow();
    while (window != nullptr && window->windowType() == Qt::Popup)
        window = window->parentWidget() != nullptr ? window->parentWidget()->window() : nullptr;
    return window != nullptr && window != opening && window->isVisible() ? window : nullptr;
}

// Qt drops an activation that comes while a pop-up is open, as the window manager's pick does when a dialog closes
// with the completion list of its field still open (a file chosen by its typed name): the window gets the keyboard
// and the keys, yet neither it nor a reader hears that it is active, and Tab moves no focus a reader hears. Once no
// pop-up is open, the window that has the keyboard is made active.
void activateWindowWithKeyboard()
{
    const QWindow *focusWindow = QGuiApplication::focusWindow();
    if (focusWindow == nullptr || QApplication::activePopupWidget() != nullptr)
        return;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (window->windowHandle() != focusWindow)
            continue;
        if (window->isVisible() && !window->isMinimized() && !isPopupLike(window)
            && QApplication::activeWindow() != window && !KeyboardOwner::isWaiting(window))
            QApplication::setActiveWindow(window);
        return;
    }
}

// Whether the shown `modal` window keeps the keys from `window`: all of the application's windows, or those it stands
// over.
bool blocks(const QWidget *modal, const QWidget *window)
{
    if (modal == nullptr || modal == window || !modal->isVisible())
        return false;
    if (modal->windowModality() == Qt::ApplicationModal)
        return true;
    if (modal->windowModality() != Qt::WindowModal)
        return false;
    for (const QWidget *under = modal->parentWidget(); under != nullptr; under = under->window()->parentWidget())
        if (under->window() == window)
            return true;
    return false;
}

// A reader is told the focus only where the keys go: in the window that has the keyboard, or in a pop-up over it. Qt
// tells of the new current row of a list whose rows change in a window behind (a sync took the selected row away under
// the password window), minimized or not, and takes a window for active while a dialog standing for it has the
// keyboard, so that the focus a control of it takes meanwhile is told as well: a reader would follow either there.
bool focusWhereNoKeyGoes(QAccessibleEvent *event)
{
    if (event->type() != QAccessible::Focus || event->object() == nullptr || !event->object()->isWidgetType())
        return false;
    const QWidget *window = static_cast<const QWidget *>(event->object())->window();
    if (isPopupLike(window))
        return false;
    const bool hasTheKeyboard = window == QApplication::activeWindow()
        || (window->windowHandle() != nullptr && window->windowHandle() == QGuiApplication::focusWindow());
    return !hasTheKeyboard || window->isMinimized();
}

// What a reader hears while the keys typed on act on nothing.
QString restingNotice()
{
    return QCoreApplication::translate("KeyboardOwner",
                                       "The keys you type do nothing until you press Tab or Escape, or click.");
}

} // namespace

KeyboardOwner::KeyboardOwner() : QObject(qApp)
{
    connect(qApp, &QApplication::focusChanged, this, &KeyboardOwner::focusChanged);
    // Going to another program ends a rest: the user went somewhere.
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state != Qt::ApplicationActive && m_resting)
            setResting(false);
    });
    WindowSystem::setListener(this);
    // What waits is told where the user is; once it no longer waits, a reader reading the window again hears nothing
    // of it.
    connect(this, &KeyboardOwner::waitingChanged, this, [] {
        Announcement::withdrawStale([](const QObject *about) {
            return (about == gOwner && isResting())
                || (about->isWidgetType() && isWaiting(static_cast<const QWidget *>(about)));
        });
    });
}

void KeyboardOwner::install()
{
    if (gOwner != nullptr || qApp == nullptr)
        return;
    gOwner = new KeyboardOwner;
    qApp->installEventFilter(gOwner);
    // What an assistive technology changes in a control is the user's input as well.
    HeldChangeAccessible::install();
    AccessibleEventRules::add(&focusWhereNoKeyGoes);
    connect(gOwner, &QObject::destroyed, qApp, [] {
        gOwner = nullptr;
        WindowSystem::setListener(nullptr);
    });
}

KeyboardOwner *KeyboardOwner::installed()
{
    return gOwner;
}

namespace {

// Qt follows the focus inside the active window through a connection from that window to the application, made when
// the window is activated and broken when another one is; a window hidden while it was active loses the focus without
// the break. A window kept to be opened again (Preferences, People) so gained one more connection each time it opened:
// memory for good, and one more call on every focus change inside it. Before it shows again, those of a window that
// is not the focus window go, and its activation makes the one it needs.
void dropStaleFocusConnections(QWidget *window)
{
    QWindow *handle = window->windowHandle();
    if (handle != nullptr && handle != QGuiApplication::focusWindow())
        QObject::disconnect(handle, &QWindow::focusObjectChanged, qApp, nullptr);
}

} // namespace

void KeyboardOwner::open(QWidget *window, Opener opener, QWidget *concerns)
{
    if (window == nullptr)
        return;
    dropStaleFocusConnections(window);
    if (gOwner != nullptr) {
        gOwner->openWindow(window, opener, concerns);
        return;
    }
    if (opener == Opener::User)
        WindowSystem::shared().showActive(window);
    else
        WindowSystem::shared().showWaiting(window);
}

void KeyboardOwner::giveKeyboardTo(QWidget *control)
{
    if (gOwner == nullptr) {
        if (canTakeKeyboard(control)) {
            WindowSystem::shared().activate(control->window());
            control->setFocus(Qt::ActiveWindowFocusReason);
        }
        return;
    }
    gOwner->setResting(false);
    gOwner->giveBack(control);
}

void KeyboardOwner::rest()
{
    if (gOwner == nullptr)
        return;
    qCInfo(lcUikit) << "KeyboardOwner:rest: the keys typed on act on nothing until the user goes somewhere";
    gOwner->m_restingTypingIn = nullptr;
    gOwner->setResting(true);
    // A reader is told where the keyboard went back to as the form closed, and would take the keys to act there: it
    // hears that they do nothing, once the keyboard is back (the form's window is closing now).
    QMetaObject::invokeMethod(
        gOwner,
        [] {
            if (gOwner == nullptr || !gOwner->m_resting)
                return;
            QWidget *userIn = gOwner->place();
            QWidget *from = userIn != nullptr ? userIn->window() : QApplication::activeWindow();
            if (from != nullptr)
                Announcement::announce(from,
                                       QCoreApplication::translate("KeyboardOwner", "The form you typed in closed. ")
                                           + restingNotice(),
                                       gOwner);
        },
        Qt::QueuedConnection);
}

bool KeyboardOwner::isResting()
{
    return gOwner != nullptr && gOwner->m_resting;
}

QWidget *KeyboardOwner::restingTypingIn()
{
    return gOwner != nullptr && gOwner->m_resting && isWaiting(gOwner->m_restingTypingIn) ? gOwner->m_restingTypingIn
                                                                                          : nullptr;
}

void KeyboardOwner::setResting(bool resting)
{
    if (m_resting == resting)
        return;
    m_resting = resting;
    if (!resting)
        m_restingTypingIn = nullptr;
    emit waitingChanged();
}

bool KeyboardOwner::isWaiting(const QWidget *window)
{
    if (gOwner == nullptr || window == nullptr)
        return false;
    const Shown *shown = gOwner->find(window->window());
    return shown != nullptr && shown->waits();
}

QList<QWidget *> KeyboardOwner::waitingWindows()
{
    QList<QWidget *> windows;
    if (gOwner == nullptr)
        return windows;
    std::vector<const Shown *> waiting;
    // One shown only once a pop-up closed is none yet.
    for (const Shown &shown : gOwner->m_shown)
        if (shown.waits() && shown.window != nullptr && shown.window->isVisible())
            waiting.push_back(&shown);
    std::sort(waiting.begin(), waiting.end(), [](const Shown *a, const Shown *b) { return a->order < b->order; });
    for (const Shown *shown : waiting)
        windows << shown->window.data();
    return windows;
}

QString KeyboardOwner::nameOf(const QWidget *window)
{
    if (window == nullptr)
        return {};
    if (const auto *box = qobject_cast<const QMessageBox *>(window); box != nullptr && !box->text().isEmpty()) {
        // A sentence: quoted in another, it reads without its full stop.
        QString text = box->text().trimmed();
        if (text.endsWith(QLatin1Char('.')) && !text.endsWith(QStringLiteral("...")))
            text.chop(1);
        return text;
    }
    return window->windowTitle();
}

void KeyboardOwner::goTo(QWidget *window)
{
    if (gOwner == nullptr || window == nullptr)
        return;
    if (Shown *shown = gOwner->find(window->window()); shown != nullptr && shown->waits()) {
        qCInfo(lcUikit).noquote() << "KeyboardOwner:goTo" << window->window()->objectName();
        gOwner->wentTo(*shown);
    }
}

KeyboardOwner::Shown *KeyboardOwner::find(const QWidget *window)
{
    const auto found =
        std::find_if(m_shown.begin(), m_shown.end(), [window](const Shown &shown) { return shown.window == window; });
    return found != m_shown.end() ? &*found : nullptr;
}

const KeyboardOwner::Shown *KeyboardOwner::find(const QWidget *window) const
{
    return const_cast<KeyboardOwner *>(this)->find(window);
}

KeyboardOwner::Shown *KeyboardOwner::waitingWindowOf(const QObject *object)
{
    if (!object->isWidgetType())
        return nullptr;
    Shown *shown = find(static_cast<const QWidget *>(object)->window());
    return shown != nullptr && shown->waits() ? shown : nullptr;
}

QWidget *KeyboardOwner::place() const
{
    // The keyboard on its way back, else the control the user was in, else the last window of the application that
    // had the keyboard and still shows, as a window manager gives it back.
    for (QWidget *control : {m_returnTo.data(), m_place.data()})
        if (canTakeKeyboard(control) && !isWaiting(control->window()))
            return control;
    const Shown *latest = nullptr;
    for (const Shown &shown : m_shown)
        if (shown.window && canTakeKeyboard(shown.window) && !shown.waits() && !isPopupLike(shown.window)
            && (latest == nullptr || shown.order > latest->order))
            latest = &shown;
    if (latest == nullptr)
        return nullptr;
    QWidget *focus = latest->window->focusWidget();
    return canTakeKeyboard(focus) && isPlace(focus) ? focus : latest->window.data();
}

QWidget *KeyboardOwner::currentPlace() const
{
    QWidget *focused = QApplication::focusWidget();
    if (focused != nullptr && !isWaiting(focused->window()) && isPlace(focused))
        return placeOf(focused);
    return placeOf(place());
}

void KeyboardOwner::openWindow(QWidget *window, Opener opener, QWidget *concerns)
{
    // The user's own window answers what the user did: its activation is no pick of the window manager's for a window
    // that closed before (that pick may have gone to another program).
    if (opener == Opener::User)
        forgetPick();
    if (window->isVisible() && find(window) != nullptr) {
        // Shown already: the user asks for it again, and it comes to the front.
        if (opener == Opener::User && !isWaiting(window)) {
            window->raise();
            WindowSystem::shared().activate(window);
        }
        return;
    }
    std::erase_if(m_shown, [window](const Shown &shown) { return shown.window.isNull() || shown.window == window; });
    Shown entry;
    entry.window = window;
    entry.opener = opener;
    entry.cameFrom = currentPlace();
    entry.order = ++m_shows;
    entry.modality = window->windowModality();
    entry.concerns = concerns != nullptr ? concerns->window() : nullptr;
    const bool alert = window->parentWidget() == nullptr && qobject_cast<QDialog *>(window) != nullptr;
    if (opener == Opener::User) {
        // The user's own window answers what the user did, however it was done: it has the keyboard.
        setResting(false);
        if (alert)
            standInFrontOf(window, concerns != nullptr ? concerns->window() : windowTheUserIsIn(window));
        m_shown.push_back(entry);
        m_keyboardOnItsWay = window;
        WindowSystem::shared().showActive(window);
        return;
    }
    qCInfo(lcUikit).noquote() << "KeyboardOwner:open" << window->objectName()
                              << "opened by the application: it waits without the keyboard";
    entry.state = State::Waiting;
    m_shown.push_back(entry);
    if (m_resting && m_restingTypingIn == nullptr)
        m_restingTypingIn = window;
    // A screen reader's request for the keyboard in one of its controls is the user going there; the owner's own
    // choice of the control that will have it is none.
    window->winId();
    connect(window->windowHandle(), &QWindow::focusObjectChanged, this, [this, watched = QPointer<QWidget>(window)] {
        if (watched != nullptr && watched != m_settingFocusIn && isWaiting(watched)
            && QApplication::activeWindow() != watched && watched->isVisible())
            goTo(watched);
    });
    // Qt closes every pop-up when a window of that kind shows: a menu, or a popover with the people ticked in it and
    // what was typed in its search. The window shows once the pop-up has gone.
    if (QApplication::activePopupWidget() != nullptr) {
        m_afterPopUps.emplace_back(window, concerns);
        return;
    }
    showWaiting(window, concerns);
}

void KeyboardOwner::showWaiting(QWidget *window, QWidget *concerns)
{
    // It stands in front of the window the user is in, which stays where it is: window managers raise a window's
    // transient parent with it (openbox and metacity as it is raised, xfwm4 and KWin as it maps), so that a waiting
    // window over the window it concerns brought that one in front of the user's work. A form popover's window is the
    // one under it; a sheet over the window it concerns, which would block it, is the user's window itself. Where the
    // user is in none of the application's windows, or in one that floats over every other and goes once it is done
    // (quick entry; the waiting window floats as well), it stands in front of the window it concerns.
    QWidget *concerned = concerns != nullptr ? concerns->window() : nullptr;
    QWidget *userIn = windowTheUserIsIn(window);
    // A window with the keyboard has just closed (a form a sync took away), and the window manager has not yet picked
    // the next: the user is in the window the keyboard goes back to. Standing on its own, the alert of a form whose
    // window closed with it was stacked under that window by openbox as it focused it.
    if (userIn == nullptr && m_awaitingPick && canTakeKeyboard(m_returnTo))
        userIn = m_returnTo->window();
    // So is the window the keyboard goes back to where no pick is to come, until Qt hears of it.
    if (userIn == nullptr && canTakeKeyboard(m_keyboardKept))
        userIn = m_keyboardKept;
    if (qobject_cast<Popover *>(userIn) != nullptr && userIn->parentWidget() != nullptr)
        userIn = userIn->parentWidget()->window();
    const bool floats = userIn != nullptr && userIn->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    if ((userIn != nullptr && !floats) || concerned == nullptr || !concerned->isVisible())
        concerned = userIn;
    // Under the control that has the keyboard, the window sits in front of that window.
    standInFrontOf(window, concerned);
    window->setWindowModality(Qt::NonModal);
    WindowSystem::shared().showWaiting(window);
    // The control that has the keyboard once the user goes there is chosen now, so that the keys of a switch the
    // window system tells of late find it; a window that is not active shows no caret and tells a reader of no focus.
    if (window->focusWidget() == nullptr) {
        m_settingFocusIn = window;
        QWidget *first = calmFirstStop(window);
        if (auto *box = qobject_cast<QMessageBox *>(window); box != nullptr && box->defaultButton() != nullptr)
            first = box->defaultButton();
        if (first == nullptr)
            first = firstTabStop(window);
        if (first != nullptr)
            first->setFocus(Qt::OtherFocusReason);
        m_settingFocusIn = nullptr;
    }
    placeClearOf(window, place(), waitingWindows(), WindowSystem::shared().frameOf(window));
    announceWaiting(window);
    emit waitingChanged();
}

void KeyboardOwner::announceWaiting(QWidget *window)
{
    const QList<QKeySequence> keys = ActionSet::keys(Command::GoToWaitingWindow);
    const QString key = keys.isEmpty() ? QString() : keys.first().toString(QKeySequence::NativeText);
    // Told last while the keys rest, it says so again: a reader may cut the notice of the rest short for it.
    const QString text = window == m_restingTypingIn
        ? QCoreApplication::translate("KeyboardOwner",
                                      "The form closed: what you typed is in “%1”. Press %2 to open it.")
                  .arg(nameOf(window), key)
              + (m_resting ? QLatin1Char(' ') + restingNotice() : QString())
        : QCoreApplication::translate("KeyboardOwner", "“%1” is waiting. Press %2 to answer it.")
              .arg(nameOf(window), key);
    // Told from the window the user is in, as a notification a reader speaks without moving its focus.
    QWidget *userIn = place();
    Announcement::announce(userIn != nullptr ? userIn->window() : window, text, window);
}

void KeyboardOwner::showAfterPopUps()
{
    if (QApplication::activePopupWidget() != nullptr)
        return;
    const std::vector<std::pair<QPointer<QWidget>, QPointer<QWidget>>> waiting = std::exchange(m_afterPopUps, {});
    for (const auto &[window, concerns] : waiting)
        if (window != nullptr && isWaiting(window) && !window->isVisible())
            showWaiting(window, concerns);
}

bool KeyboardOwner::endsRest(const QKeyEvent *key, bool *passes)
{
    *passes = false;
    switch (key->key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_F6: *passes = true; return true;
    case Qt::Key_Escape: return true;
    default: break;
    }
    // The way to the waiting window, a menu's letter (the Window menu lists it), and Quit, which asks before what was
    // typed goes: nobody types them on in a form. Every other command stays asleep (New Task, Delete), whose keys a
    // hand typing on may press from habit.
    const QKeySequence pressed(key->keyCombination());
    for (const Command command : {Command::GoToWaitingWindow, Command::Quit}) {
        const QList<QKeySequence> keys = ActionSet::keys(command);
        if (std::find(keys.cbegin(), keys.cend(), pressed) != keys.cend()) {
            *passes = true;
            return true;
        }
    }
    *passes = (key->modifiers() & ~Qt::KeypadModifier) == Qt::AltModifier && key->key() >= Qt::Key_A
        && key->key() <= Qt::Key_Z;
    return *passes;
}

void KeyboardOwner::noteKey(QEvent *event)
{
    // A key reaches the filter once for each widget it is delivered to, from its window up through the parents: a
    // press counts when a release came since the last one, or when it is another key.
    const int key = static_cast<const QKeyEvent *>(event)->key();
    if (event->type() == QEvent::KeyRelease) {
        m_keyReleased = true;
        return;
    }
    if (!m_keyReleased && key == m_key)
        return;
    m_keyReleased = false;
    m_key = key;
    m_keyBefore = m_lastKey;
    m_lastKey = Clock::shared().elapsedMilliseconds();
}

bool KeyboardOwner::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (m_handingOn && type == QEvent::ShortcutOverride) {
        // A key handed on is typing for the control it goes to: Qt asks the shortcuts first of a key the program
        // sends, and would run those of the window the keyboard is still in (Return, Edit in the list).
        event->accept();
        return true;
    }
    switch (type) {
    case QEvent::Show:
    case QEvent::Hide:
        if (QWidget *widget = widgetOf(watched);
            widget != nullptr && type == QEvent::Hide && widget->isWindow() && widget->windowType() == Qt::Popup) {
            if (!m_afterPopUps.empty())
                QMetaObject::invokeMethod(this, &KeyboardOwner::showAfterPopUps, Qt::QueuedConnection);
            QMetaObject::invokeMethod(this, &activateWindowWithKeyboard, Qt::QueuedConnection);
        }
        if (QWidget *widget = widgetOf(watched);
            widget != nullptr && !event->spontaneous() && takesPart(widget) && widget != m_showingAgain) {
            if (type == QEvent::Show)
                windowShown(widget);
            else
                windowHidden(widget);
        }
        break;
    case QEvent::WindowActivate:
        if (QWidget *widget = widgetOf(watched); widget != nullptr && widget->isWindow())
            activated(widget);
        break;
    case QEvent::WindowStateChange:
        if (QWidget *widget = widgetOf(watched);
            widget != nullptr && m_onceShown != nullptr && widget == m_onceShown->window() && !widget->isMinimized())
            moveKeyboardTo(std::exchange(m_onceShown, nullptr));
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::NonClientAreaMouseButtonRelease: userPressed(watched, event); break;
    default: break;
    }
    if (shielded(watched, event))
        return true;
    switch (type) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::InputMethod:
        if (!watched->isWidgetType())
            break;
        if (type == QEvent::KeyPress)
            m_formOverClick = nullptr;
        if (type == QEvent::KeyPress || type == QEvent::KeyRelease)
            noteKey(event);
        if (m_resting) {
            const auto *key = type == QEvent::InputMethod ? nullptr : static_cast<QKeyEvent *>(event);
            bool passes = false;
            const bool ends = key != nullptr && endsRest(key, &passes);
            if (ends && passes) {
                // The user goes somewhere: the key acts.
                setResting(false);
            } else {
                // Escape ends the rest and does nothing else; anything typed on acts on nothing.
                if (ends && type == QEvent::KeyPress)
                    setResting(false);
                event->accept();
                return true;
            }
        }
        if (Shown *waiting = waitingWindowOf(watched); waiting != nullptr && keyReachedWaitingWindow(*waiting, event))
            return true;
        if (m_keysFor != nullptr && widgetOf(watched)->window() != m_keysFor)
            return passOn(event, m_keysFor->focusWidget() != nullptr ? m_keysFor->focusWidget() : m_keysFor.data());
        break;
    default: break;
    }
    return UnsavedTyping::watchEvent(watched, event);
}

void KeyboardOwner::windowShown(QWidget *window)
{
    // A window shown without the door is one the user opened (a dialog of the platform's, a print dialog).
    std::erase_if(m_shown, [](const Shown &shown) { return shown.window.isNull(); });
    if (find(window) != nullptr)
        return;
    Shown entry;
    entry.window = window;
    entry.cameFrom = currentPlace();
    entry.order = ++m_shows;
    m_shown.push_back(entry);
}

void KeyboardOwner::windowHidden(QWidget *window)
{
    if (window == m_shield)
        endShield(false);
    if (window == m_keysFor && window != m_showingAgain)
        m_keysFor = nullptr;
    standAgainFor(window);
    const Shown *shown = find(window);
    if (shown == nullptr)
        return;
    const QPointer<QWidget> target = shown->cameFrom;
    const quint64 order = shown->order;
    const bool waited = shown->waits();
    const QWidget *focused = QApplication::focusWidget();
    // A window system may take the keyboard from a window that hides before the window hears of its hiding.
    // A window that closes before the window system gave it the keyboard asked for was about to have it.
    const bool hadKeyboard = QApplication::activeWindow() == window || (focused && focused->window() == window)
        || (focused == nullptr && m_leftForNothing == window
            && QGuiApplication::applicationState() == Qt::ApplicationActive)
        || m_keyboardOnItsWay == window;
    std::erase_if(m_shown, [window](const Shown &entry) { return entry.window.isNull() || entry.window == window; });
    if (waited)
        emit waitingChanged();
    QWidget *kept = nullptr;
    if (hadKeyboard && !isPopupLike(window) && WindowSystem::shared().picksAWindowWhenOneCloses()) {
        kept = keyboardKeptIn(window);
        if (kept != nullptr) {
            // The keyboard is in another window of the application already: the window system never gave this one
            // the keyboard Qt took it for having (Mutter refused a form popover clicked open right after a switch),
            // or the window manager has picked already. No pick is to come, and Qt, left with no active window,
            // would run no shortcut (F8) of the window the keys reach: the keyboard goes back at once, as after one.
            qCInfo(lcUikit).noquote() << "KeyboardOwner:windowHidden" << window->objectName()
                                      << "had the keyboard for Qt, the window system kept it in" << kept->objectName()
                                      << ": no pick comes";
            m_keyboardKept = kept;
        } else {
            qCInfo(lcUikit).noquote() << "KeyboardOwner:windowHidden" << window->objectName()
                                      << "had the keyboard: the window manager picks the next window";
            m_pickComing = true;
        }
    }
    // Windows the keyboard went to from this one go back, when they close, to where it came from before.
    for (Shown &other : m_shown)
        if (other.cameFrom && other.cameFrom->window() == window)
            other.cameFrom = target;
    const bool givesBack = hadKeyboard && !waited && target && target->window() != window
        && (canTakeKeyboard(target) || inHiddenPopover(target));
    // A window shown after this one took the keyboard's turn (a popover torn off into a window of its own).
    const bool newerShows = std::any_of(m_shown.cbegin(), m_shown.cend(), [order, window](const Shown &other) {
        return other.order > order && other.window && other.window->isVisible() && !other.waits()
            && !window->isAncestorOf(other.window);
    });
    if (givesBack && !newerShows)
        giveBack(target);
    else if (kept != nullptr)
        WindowSystem::shared().activate(kept);
}

QWidget *KeyboardOwner::keyboardKeptIn(const QWidget *closing) const
{
    QWidget *window = WindowSystem::shared().windowWithKeyboard();
    if (window == nullptr || window == closing || !canTakeKeyboard(window) || isPopupLike(window) || isWaiting(window))
        return nullptr;
    return window;
}

void KeyboardOwner::standAgainFor(QWidget *window)
{
    const QWindow *handle = window->windowHandle();
    if (handle == nullptr)
        return;
    for (const Shown &shown : m_shown) {
        if (!shown.waits() || shown.window == nullptr || shown.window == window || !shown.window->isVisible()
            || shown.window->windowHandle() == nullptr || shown.window->windowHandle()->transientParent() != handle)
            continue;
        // The sheet or popover it stood over closed: it stands over the window under it, in sight.
        QWidget *under = window->parentWidget() != nullptr ? window->parentWidget()->window() : shown.concerns.data();
        if (under == nullptr || under == window || !under->isVisible())
            under = place() != nullptr ? place()->window() : nullptr;
        if (under != nullptr && under != window)
            standInFrontOf(shown.window, under);
    }
}

void KeyboardOwner::giveBack(QWidget *control)
{
    if (control == nullptr)
        return;
    const QWidget *active = QApplication::activeWindow();
    if (!WindowSystem::shared().picksAWindowWhenOneCloses() || (active != nullptr && active->isVisible())) {
        moveKeyboardTo(control);
        return;
    }
    if (m_keyboardKept != nullptr) {
        // No pick is to come: the window system has the keyboard in a window of the application already. Until Qt
        // hears of it, the window it goes to is the one the user is in.
        m_keyboardKept = control->window();
        moveKeyboardTo(control);
        return;
    }
    // No window of the application has the keyboard: the one that had it has just closed, and the window manager
    // hands it to a window of its own choice. Asked now, the keyboard could go to the control and then to that
    // choice; asked once the choice is made, it stays.
    qCInfo(lcUikit).noquote() << "KeyboardOwner:giveBack" << control->objectName()
                              << "once the window manager picked a window";
    m_returnTo = control;
    m_returnWindowFocus = control->window()->focusWidget();
    m_awaitingPick = true;
}

void KeyboardOwner::forgetPick()
{
    m_awaitingPick = false;
    m_pickComing = false;
    m_keyboardKept = nullptr;
    m_returnTo = nullptr;
}

void KeyboardOwner::moveKeyboardTo(QWidget *control)
{
    // KWin hides the form popovers of an application it takes for inactive (the keyboard was on its way to a window the
    // user went to) and shows them again once a window of theirs is active: the keyboard goes to the window under the
    // popover, and to the popover as it shows.
    if (inHiddenPopover(control)) {
        m_onceShown = control;
        WindowSystem::shared().activate(control->window()->parentWidget()->window());
        return;
    }
    if (!canTakeKeyboard(control))
        return;
    WindowSystem::shared().activate(control->window());
    control->setFocus(Qt::ActiveWindowFocusReason);
}

void KeyboardOwner::focusChanged(QWidget *old, QWidget *now)
{
    // No window of the application has the keyboard any more (the focus merely cleared in a window is no leaving).
    m_leftForNothing =
        now == nullptr && old != nullptr && QApplication::activeWindow() == nullptr ? old->window() : nullptr;
    if (now == nullptr)
        return;
    QWidget *window = now->window();
    if (m_shield != nullptr && window == m_shield) {
        // Nothing had the keyboard in the window: what its activation gave it to loses it again, unheard.
        if (m_shieldedControl == m_shield)
            now->clearFocus();
        endShield(false);
    }
    if (isWaiting(window) || !isPlace(now))
        return;
    m_place = now;
    Shown *shown = find(window);
    if (shown == nullptr)
        return;
    // Coming back from a window that has gone (an answered alert) is no going to this one, nor is coming back from a
    // window the keyboard went to from this one.
    const Shown *from = old != nullptr ? find(old->window()) : nullptr;
    const bool comingBack = from != nullptr && from->cameFrom != nullptr && from->cameFrom->window() == window;
    if (old != nullptr && old->window() != window && old->window()->isVisible() && takesPart(old->window())
        && !isWaiting(old->window()) && !comingBack && isPlace(old))
        shown->cameFrom = placeOf(old);
    if (!shown->firstFocus)
        return;
    shown->firstFocus = false;
    // An alert is there to be answered: its default button is where the keys belong.
    if (actsOnSpaceOrReturn(now) && !qobject_cast<QMessageBox *>(window))
        if (QWidget *calm = calmFirstStop(window))
            calm->setFocus(Qt::TabFocusReason);
}

void KeyboardOwner::activated(QWidget *window)
{
    if (isPopupLike(window))
        return;
    m_keyboardOnItsWay = nullptr;
    m_pickComing = false;
    m_keyboardKept = nullptr;
    // A window a modal window stands over takes no keyboard: the window manager's late answer to the request made as
    // it showed (Mutter maps a window late, and activates it after the sheet the user opened over it meanwhile) gives
    // it the X focus all the same, and Qt takes it for active. The keys go back to the modal window.
    if (QWidget *modal = QApplication::activeModalWidget(); blocks(modal, window) && !isWaiting(modal)) {
        qCInfo(lcUikit).noquote() << "KeyboardOwner:activated" << window->objectName() << "under" << modal->objectName()
                                  << "; the keyboard goes back to it";
        QPointer<QWidget> to = modal->focusWidget() != nullptr ? modal->focusWidget() : modal;
        QMetaObject::invokeMethod(
            this, [this, to] { moveKeyboardTo(to); }, Qt::QueuedConnection);
        return;
    }
    if (m_formOverClick != nullptr && window == formOwner(m_formOverClick)) {
        QPointer<QWidget> field = std::exchange(m_formOverClick, nullptr);
        QMetaObject::invokeMethod(
            this, [this, field] { moveKeyboardTo(field); }, Qt::QueuedConnection);
    }
    if (window == m_keysFor)
        m_keysFor = nullptr;
    Shown *shown = find(window);
    if (shown == nullptr || !shown->waits()) {
        if (m_awaitingPick) {
            // The window system's pick is made: the keyboard goes where it was given back to, unless the application
            // put it somewhere else in that window meanwhile (a new task's row).
            m_awaitingPick = false;
            QPointer<QWidget> target = std::exchange(m_returnTo, nullptr);
            qCInfo(lcUikit).noquote() << "KeyboardOwner:activated" << window->objectName()
                                      << "as the window manager's pick; the keyboard goes to"
                                      << (target != nullptr ? target->objectName() : QString());

            if (target != nullptr && target->window()->focusWidget() == m_returnWindowFocus)
                QMetaObject::invokeMethod(
                    this, [this, target] { moveKeyboardTo(target); }, Qt::QueuedConnection);
        }
        return;
    }
    // A press in it is the user's going there.
    if (window == m_goingTo)
        return;
    QWidget *back = place();
    if (back == nullptr) {
        // No window of the application to give the keyboard back to: it stays, and keys answer the window once it has
        // been seen long enough.
        if (shown->aloneSince < 0)
            shown->aloneSince = Clock::shared().elapsedMilliseconds();
        return;
    }
    // A window system that activates it without asking the application (X withholds it: WindowSystem) is undone.
    qCInfo(lcUikit).noquote() << "KeyboardOwner:activated" << window->objectName()
                              << "by the window system; the keyboard goes back to" << back->objectName();
    // The control the user was in hears nothing of the moment: no focus leaves its window, which stays active.
    m_shield = back->window();
    m_shieldedControl = back;
    shown->state = State::GivenBack;
    QPointer<QWidget> to = back;
    QMetaObject::invokeMethod(
        this,
        [this, to, from = QPointer<QWidget>(window)] {
            if (from != nullptr)
                keyboardLeft(from);
            if (!canTakeKeyboard(to)) {
                endShield(true);
                return;
            }
            WindowSystem::shared().activate(to->window());
            to->setFocus(Qt::ActiveWindowFocusReason);
        },
        Qt::QueuedConnection);
}

QWidget *KeyboardOwner::keyboardBackFrom(QWidget *window)
{
    Shown *shown = find(window);
    if (shown == nullptr || !shown->waits())
        return nullptr;
    QWidget *back = place();
    if (back == nullptr)
        return nullptr;
    shown->state = State::GivenBack;
    return back->window();
}

bool KeyboardOwner::isGivenBack(const QWidget *window) const
{
    const Shown *shown = find(window);
    return shown != nullptr && shown->state == State::GivenBack;
}

void KeyboardOwner::keyboardLeft(QWidget *window)
{
    if (Shown *shown = find(window); shown != nullptr && shown->state == State::GivenBack)
        shown->state = State::Waiting;
}

void KeyboardOwner::keyOnItsWay(QWidget *to, const QKeyEvent &key)
{
    handKeyTo(to, key);
}

bool KeyboardOwner::userSwitchedTo(QWidget *window, bool stampedAsSwitch, bool cameFromGone)
{
    Shown *shown = find(window);
    if (shown == nullptr || !shown->waits())
        return false;
    // Activated as it maps, or late, by a window manager that breaks the desktop's rules.
    if (!stampedAsSwitch)
        return false;
    // The window manager's pick as a window closed comes stamped like a switch of the user's; a user switches away
    // from a window that stays.
    if (std::exchange(m_pickComing, false) || cameFromGone) {
        qCInfo(lcUikit).noquote() << "KeyboardOwner:" << window->objectName()
                                  << "was the window manager's pick as a window went away";
        return false;
    }
    qCInfo(lcUikit).noquote() << "KeyboardOwner: the user switched to" << window->objectName();
    wentTo(*shown);
    return true;
}

bool KeyboardOwner::shielded(QObject *watched, QEvent *event)
{
    if (m_shield == nullptr)
        return false;
    switch (event->type()) {
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
    case QEvent::ActivationChange: {
        const QWidget *widget = widgetOf(watched);
        return widget != nullptr && widget->window() == m_shield;
    }
    case QEvent::FocusAboutToChange:
    case QEvent::FocusIn:
    case QEvent::FocusOut: {
        const QWidget *widget = widgetOf(watched);
        return widget != nullptr && widget->window() == m_shield;
    }
    default: return false;
    }
}

void KeyboardOwner::endShield(bool replayLoss)
{
    const QPointer<QWidget> window = std::exchange(m_shield, nullptr);
    const QPointer<QWidget> control = std::exchange(m_shieldedControl, nullptr);
    // The keyboard did not come back: what the window and its control were kept from hearing holds after all.
    if (!replayLoss || window == nullptr || QApplication::activeWindow() == window)
        return;
    if (control != nullptr && QApplication::focusWidget() != control) {
        QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
        QCoreApplication::sendEvent(control, &out);
    }
    if (window != nullptr) {
        QEvent deactivate(QEvent::WindowDeactivate);
        QCoreApplication::sendEvent(window, &deactivate);
        QEvent change(QEvent::ActivationChange);
        QCoreApplication::sendEvent(window, &change);
    }
}

bool KeyboardOwner::keyReachedWaitingWindow(Shown &waiting, QEvent *event)
{
    QWidget *back = place();
    if (back == nullptr && waiting.aloneSince >= 0) {
        // Seen long enough, and not typed on from the key before: its keys work, as in a window the user went to.
        const qint64 now = Clock::shared().elapsedMilliseconds();
        const qint64 quietSince =
            std::max(waiting.aloneSince, event->type() == QEvent::KeyPress ? m_keyBefore : m_lastKey);
        if (now - quietSince >= GuardMilliseconds) {
            // It comes up with its modality before the key reaches it: a dialog shown again selects what its field
            // holds, which the key would replace.
            QPointer<QWidget> window = waiting.window;
            wentTo(waiting);
            takeTheKeyboard(window);
            return false;
        }
    }
    return passOn(event, back);
}

bool KeyboardOwner::passOn(QEvent *event, QWidget *to)
{
    if (event->type() == QEvent::ShortcutOverride) {
        // Taken as the receiver's own, so that none of its window's shortcuts fires; the key then comes and goes on.
        event->accept();
        return true;
    }
    if (to == nullptr || event->type() == QEvent::InputMethod)
        return true;
    handKeyTo(to, *static_cast<QKeyEvent *>(event));
    return true;
}

void KeyboardOwner::handKeyTo(QWidget *to, const QKeyEvent &key)
{
    if (to == nullptr)
        return;
    QKeyEvent again(key.type(), key.key(), key.modifiers(), key.nativeScanCode(), key.nativeVirtualKey(),
                    key.nativeModifiers(), key.text(), key.isAutoRepeat(), ushort(key.count()));
    const bool handing = gOwner != nullptr && !std::exchange(gOwner->m_handingOn, true);
    QCoreApplication::sendEvent(to, &again);
    if (handing)
        gOwner->m_handingOn = false;
}

void KeyboardOwner::userPressed(QObject *watched, QEvent *event)
{
    QWidget *widget = widgetOf(watched);
    if (widget == nullptr)
        return;
    const QEvent::Type type = event->type();
    const bool release = type == QEvent::MouseButtonRelease || type == QEvent::NonClientAreaMouseButtonRelease;
    if (!release) {
        // The user acts: wherever the keyboard goes now is where the user means it to be.
        setResting(false);
        forgetPick();
        if (widget->window() != m_keysFor)
            m_keysFor = nullptr;
        if (Shown *waiting = waitingWindowOf(widget))
            m_goingTo = waiting->window;
        // A click on a control that takes no keyboard (a toolbar's button) in a window whose form popover stays open
        // leaves the keyboard in the form, whatever the click does in the window behind it: the window manager's
        // activation of that window for the click too, however late it comes.
        const bool takesNoKeyboard =
            qobject_cast<QAbstractButton *>(widget) != nullptr && !(widget->focusPolicy() & Qt::ClickFocus);
        m_formOverClick = takesNoKeyboard ? formPopoverField(widget->window(), false) : nullptr;
        return;
    }
    if (m_goingTo != nullptr && widget->window() == m_goingTo) {
        // The user is there: the keys typed from now on are the window's. It comes up with its modality once the
        // press that took the user there is over.
        if (Shown *shown = find(std::exchange(m_goingTo, nullptr)); shown != nullptr && shown->waits())
            wentTo(*shown);
        return;
    }
    if (m_formOverClick == nullptr || widget->window() != formOwner(m_formOverClick))
        return;
    // Once the click is over: what it did may have put the keyboard in the window behind the form.
    QMetaObject::invokeMethod(
        this,
        [this] {
            const QWidget *focused = QApplication::focusWidget();
            if (m_formOverClick != nullptr && focused != nullptr && focused->window() == formOwner(m_formOverClick))
                moveKeyboardTo(std::exchange(m_formOverClick, nullptr));
        },
        Qt::QueuedConnection);
}

void KeyboardOwner::wentTo(Shown &shown)
{
    // The keys typed from now on are the window's; it comes up with its modality once the event that took the user
    // there is over.
    shown.state = State::GoneTo;
    shown.aloneSince = -1;
    // Where the user was when going there is where the keyboard goes back to when it closes.
    shown.cameFrom = placeOf(place());
    m_keysFor = shown.window;
    setResting(false);
    emit waitingChanged();
    QPointer<QWidget> window = shown.window;
    QMetaObject::invokeMethod(
        this, [this, window] { takeTheKeyboard(window); }, Qt::QueuedConnection);
}

void KeyboardOwner::takeTheKeyboard(QWidget *window)
{
    Shown *shown = window != nullptr ? find(window) : nullptr;
    if (shown == nullptr || !window->isVisible() || shown->state == State::Open)
        return;
    shown->state = State::Open;
    qCInfo(lcUikit).noquote() << "KeyboardOwner:takeTheKeyboard" << window->objectName();
    endShield(true);
    shown->aloneSince = -1;
    shown->firstFocus = false;
    m_keysFor = window;
    // Modality only takes effect on a window that is shown after it was set; to the rule it stays the window it was.
    m_showingAgain = window;
    window->setWindowModality(shown->modality);
    WindowSystem::shared().takeKeyboard(window);
    m_showingAgain = nullptr;
    // A window system that told nobody the hidden window lost the keyboard does not tell it gets it back either; the
    // window would show without the keyboard the window system gives it.
    if (QGuiApplication::focusWindow() == window->windowHandle() && QApplication::activeWindow() != window)
        QApplication::setActiveWindow(window);
}

} // namespace knvt
