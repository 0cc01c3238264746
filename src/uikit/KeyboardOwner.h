#pragma once

#include "foundation/Opener.h"
#include "uikit/WindowSystem.h"

#include <QList>
#include <QObject>
#include <QPointer>

#include <utility>
#include <vector>

class QKeyEvent;
class QWidget;

namespace knvt {

// The one owner of the keyboard, installed once by the application: who opened each window, the windows that wait
// beside the user's work, where a key goes and where the keyboard goes back to. It also hands the user's input to the
// typed fields (UnsavedTyping).
//
// Every window, sheet, popover and alert opens through open(), which takes its opener, as the code that opens it says:
// - What the user opened comes up in front with the keyboard and its modality, whatever holds typing.
// - What the application opened by itself waits: in front of the window it concerns, clear of the control that has
//   the keyboard and of the buttons of the window the user is in, neither active nor modal, and is announced to a
//   screen reader with the way to it. The window system lists it among the windows to switch to, but never activates
//   it as it shows (WindowSystem). The user goes to it by switching to it, clicking into it, through the Window menu,
//   the Go to Waiting Window key, the status line's button (goTo()) or an accessibility client's focus request on one
//   of its controls: then it comes up with the keyboard and its modality, and the keys typed from the user's act on
//   are its own, none lost. A window system that gives it the keyboard by itself is undone: the keys go on to the
//   control the user was in, which hears nothing of it (no focus leaves it, its window stays active). Only when no
//   window of the application shows (a minimized one does not count) does it keep the keyboard, and then a key answers
//   it only once GuardMilliseconds have passed since it came up and since the key before: the keys of someone typing
//   on as it came up never do.
// When a window with the keyboard closes, the keyboard goes back to the control it came from, in whichever window; on
// a window system that picks a window of its own then (X), once it has picked. The place of a window whose popover
// holds typing is that popover: the window's activation, a click on its toolbar and a return to it go there.
// After rest(), the keys typed on act on nothing until the user goes somewhere: a form closed under the user's typing.
class KeyboardOwner : public QObject, private WindowSystem::Listener
{
    Q_OBJECT

public:
    // How long a lone waiting window the window system activated answers no key, from its activation and from the
    // key before.
    static constexpr qint64 GuardMilliseconds = 1000;

    // The application installs the owner once; a window opened before (or in a program without one) only shows.
    static void install();
    // The owner installed, or nullptr: its signal tells of the windows that wait.
    static KeyboardOwner *installed();

    // Shows the hidden `window` as its opener says (above), in front of `concerns`, the window it is about (none: the
    // window the user is in). The modality the window has is the one it has with the keyboard.
    static void open(QWidget *window, Opener opener, QWidget *concerns = nullptr);
    // Gives the keyboard to `control` for the user (it goes back where the user was): once the window system has
    // picked its window, when a window with the keyboard has just closed.
    static void giveKeyboardTo(QWidget *control);
    // From now on the keys typed on act on nothing until the user goes somewhere (a click, a switch to another window
    // or program, Tab, F6, Escape, a menu's letter, the way to a waiting window, Quit): the control they were meant for went away
    // underneath the user. The window the application opens next is where what was typed went.
    static void rest();
    // Whether the keys rest, and the waiting window that holds what was typed in the form that went (nullptr: none).
    static bool isResting();
    static QWidget *restingTypingIn();

    // Whether `window` waits: the application opened it and the user has not gone to it.
    static bool isWaiting(const QWidget *window);
    // The windows that wait and show, the oldest first.
    static QList<QWidget *> waitingWindows();
    // What the user knows a waiting window by: its title, or an alert's text (without its full stop).
    static QString nameOf(const QWidget *window);
    // The user goes to the waiting `window` (the Window menu, the key, the status line, a screen reader): it comes up
    // with the keyboard and its modality, and the keys typed from now on are its own.
    static void goTo(QWidget *window);
    // Delivers `key` to `to` as typing, which no shortcut of any window takes: a key the window system delivered
    // elsewhere while the keyboard was on its way to `to`.
    static void handKeyTo(QWidget *to, const QKeyEvent &key);

signals:
    // A window started or stopped waiting, or the keys started or stopped resting.
    void waitingChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Where a window the application opened by itself stands with the user (HACKING.md, "Waiting windows"). The one
    // place that says it: the window system asks here (Listener) and keeps no state of its own about it.
    enum class State {
        // Shown without the keyboard; the user has not gone to it.
        Waiting,
        // Waiting, and the window system gave it the keyboard by itself: the keyboard is on its way back to the
        // control the user was in, and neither hears of it. Waiting again once the keyboard has left it.
        GivenBack,
        // The user went to it: the keys typed from then on are its own, and it comes up with the keyboard and its
        // modality.
        GoneTo,
        // A window like any other: the user opened it, or it came up with the keyboard the user went there for. When
        // it closes (answered), the keyboard goes back to the control it came from.
        Open,
    };

    struct Shown
    {
        // Whether it waits: the user has not gone to it.
        bool waits() const { return state == State::Waiting || state == State::GivenBack; }

        QPointer<QWidget> window;
        Opener opener = Opener::User;
        // The control that had the keyboard before it went into the window.
        QPointer<QWidget> cameFrom;
        // The order windows were shown in.
        quint64 order = 0;
        // The keyboard has not been in the window since it was shown.
        bool firstFocus = true;
        State state = State::Open;
        Qt::WindowModality modality = Qt::NonModal;
        // The window it concerns.
        QPointer<QWidget> concerns;
        // When (on the owner's monotonic clock) the window system activated it while no window of the application
        // could take the keyboard back; -1: it did not.
        qint64 aloneSince = -1;
    };

    KeyboardOwner();
    Shown *find(const QWidget *window);
    const Shown *find(const QWidget *window) const;
    Shown *waitingWindowOf(const QObject *object);
    void openWindow(QWidget *window, Opener opener, QWidget *concerns);
    void showWaiting(QWidget *window, QWidget *concerns);
    void showAfterPopUps();
    void announceWaiting(QWidget *window);
    void windowShown(QWidget *window);
    void windowHidden(QWidget *window);
    // Waiting windows that stood in front of the hidden `window` stand in front of the window under it.
    void standAgainFor(QWidget *window);
    // The window of the application other than `closing` that the window system has the keyboard in, shown and not
    // waiting, whether Qt takes it for active or not; nullptr: none.
    QWidget *keyboardKeptIn(const QWidget *closing) const;
    void focusChanged(QWidget *old, QWidget *now);
    void activated(QWidget *window);
    // WindowSystem::Listener.
    QWidget *keyboardBackFrom(QWidget *window) override;
    bool isGivenBack(const QWidget *window) const override;
    void keyboardLeft(QWidget *window) override;
    bool userSwitchedTo(QWidget *window, bool stampedAsSwitch, bool cameFromGone) override;
    void keyOnItsWay(QWidget *to, const QKeyEvent &key) override;
    // A key reaches a waiting window; true: it goes no further.
    bool keyReachedWaitingWindow(Shown &waiting, QEvent *event);
    // While the keys rest: whether the key ends the rest; `passes`: it then goes on and acts.
    static bool endsRest(const QKeyEvent *key, bool *passes);
    // Sends the key to `to` instead (nothing when none); true: the event goes no further.
    bool passOn(QEvent *event, QWidget *to);
    void noteKey(QEvent *event);
    void userPressed(QObject *watched, QEvent *event);
    void wentTo(Shown &shown);
    void takeTheKeyboard(QWidget *window);
    void giveBack(QWidget *control);
    void moveKeyboardTo(QWidget *control);
    void setResting(bool resting);
    // The user acted: the window manager's pick after a window of the application closed is no longer waited for, and
    // the next activation is the user's doing.
    void forgetPick();
    // Keeps the window's widgets from hearing that they lose the keyboard, and that they get it back.
    bool shielded(QObject *watched, QEvent *event);
    void endShield(bool replayLoss);
    // Where the keys go: the control the user was in, in a window that shows (not minimized) and does not wait.
    QWidget *place() const;
    QWidget *currentPlace() const;

    std::vector<Shown> m_shown;
    quint64 m_shows = 0;
    QPointer<QWidget> m_showingAgain;
    // The control the user was in last, outside the waiting windows.
    QPointer<QWidget> m_place;
    // The window that had the keyboard when the application's focus went to no widget, while none has it since.
    QPointer<QWidget> m_leftForNothing;
    // Where the keyboard goes back to once the window system has picked a window of its own.
    QPointer<QWidget> m_returnTo;
    bool m_awaitingPick = false;
    // A window of the application that had the keyboard has closed, and the window manager is about to activate a
    // window of its own choice: until a window is activated or the user acts.
    bool m_pickComing = false;
    // The control that window of it had then: one the application chooses meanwhile is where the keyboard goes.
    QPointer<QWidget> m_returnWindowFocus;
    // The window the keyboard goes back to as a window Qt took for active closes while the window system has it in
    // another of the application's windows already (no pick is to come): until Qt hears of an activation.
    QPointer<QWidget> m_keyboardKept;
    // The window whose widgets are kept from hearing that a waiting window took the keyboard for a moment.
    QPointer<QWidget> m_shield;
    QPointer<QWidget> m_shieldedControl;
    // The waiting window the user pressed in, which takes the keyboard when the press is over.
    QPointer<QWidget> m_goingTo;
    // The window the user went to, which the keys typed meanwhile go to until the window system gives it the keyboard.
    QPointer<QWidget> m_keysFor;
    // The control of a form popover the window manager hid, where the keyboard goes once it shows again.
    QPointer<QWidget> m_onceShown;
    // The form popover field the keyboard stays in through a click on the toolbar of the window under it.
    QPointer<QWidget> m_formOverClick;
    // The window the user opened last, until the window system's activation of a window comes.
    QPointer<QWidget> m_keyboardOnItsWay;
    bool m_resting = false;
    // A key is being handed on.
    bool m_handingOn = false;
    // The window the application opened first while the keys rest: where what was typed went.
    QPointer<QWidget> m_restingTypingIn;
    // The waiting window whose focus the owner sets itself, which is no request of the user's.
    QPointer<QWidget> m_settingFocusIn;
    // The key being delivered, whether it was released since, and when the key before it and it came (the owner's
    // monotonic clock; -1: none yet).
    int m_key = 0;
    bool m_keyReleased = true;
    qint64 m_keyBefore = -1;
    qint64 m_lastKey = -1;
    // Windows the application opened while a pop-up held the keyboard, with the windows they concern.
    std::vector<std::pair<QPointer<QWidget>, QPointer<QWidget>>> m_afterPopUps;
};

} // namespace knvt
