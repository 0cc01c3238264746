#pragma once

#include "foundation/Opener.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>

#include <utility>
#include <vector>

class QWidget;

namespace knvt {

// The one owner of the keyboard, installed once by the application: who opened each window, the windows that wait
// beside the user's work, where a key goes and where the keyboard goes back to. It also hands the user's input to the
// typed fields (UnsavedTyping).
//
// Every window, sheet, popover and alert opens through open(), which takes its opener, as the code that opens it says:
// - What the user opened comes up in front with the keyboard and its modality, whatever holds typing.
// - What the application opened by itself waits: in front of the window it concerns, clear of the control that has
//   the keyboard, neither active nor modal, and the window manager is asked never to give it the keyboard. It takes
//   the keyboard, with its modality, when the user clicks into it. A window manager that activates it anyway (at once,
//   late, twice; no activation tells the user's own switch from it) is undone: the keys go on to the control the user
//   was in, which hears nothing of it (no focus leaves it, its window stays active). Only when no window of the
//   application is left to give the keyboard back to does it keep it, and then a key answers it once it has been
//   active for GuardMilliseconds: a key typed as it came up never does.
// When a window with the keyboard closes, the keyboard goes back to the control it came from, in whichever window; on
// a window system that picks a window of its own then (X), once it has picked. The place of a window whose popover
// holds typing is that popover: the window's activation, a click on its toolbar and a return to it go there.
// After rest(), keys act on nothing until the user goes somewhere: a form closed under the user's typing.
class KeyboardOwner : public QObject
{
    Q_OBJECT

public:
    // How long a lone waiting window the window system activated answers no key.
    static constexpr qint64 GuardMilliseconds = 1000;

    // The application installs the owner once; a window opened before (or in a program without one) only shows.
    static void install();

    // Shows the hidden `window` as its opener says (above), in front of `concerns`, the window it is about (none: the
    // window the user is in). The modality the window has is the one it has with the keyboard.
    static void open(QWidget *window, Opener opener, QWidget *concerns = nullptr);
    // Gives the keyboard to `control` for the user (it goes back where the user was): once the window system has
    // picked its window, when a window with the keyboard has just closed.
    static void giveKeyboardTo(QWidget *control);
    // From now on keys act on nothing until the user goes somewhere (a click, a window switch): the control they were
    // meant for went away underneath the user.
    static void rest();
    // Whether `window` waits: the application opened it and the user has not gone to it.
    static bool isWaiting(const QWidget *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Shown
    {
        QPointer<QWidget> window;
        Opener opener = Opener::User;
        // The control that had the keyboard before it went into the window.
        QPointer<QWidget> cameFrom;
        // The order windows were shown in.
        quint64 order = 0;
        // The keyboard has not been in the window since it was shown.
        bool firstFocus = true;
        // Opened by the application; the user has not gone to it.
        bool waiting = false;
        // The user went to the window it was waiting, and it came up with the keyboard.
        bool tookIt = false;
        Qt::WindowModality modality = Qt::NonModal;
        // When the window system made it active while no window of the application could take the keyboard back.
        QDateTime aloneSince;
    };

    KeyboardOwner();
    Shown *find(const QWidget *window);
    Shown *waitingWindowOf(const QObject *object);
    void openWindow(QWidget *window, Opener opener, QWidget *concerns);
    void showWaiting(QWidget *window, QWidget *concerns);
    void showAfterPopUps();
    void windowShown(QWidget *window);
    void windowHidden(QWidget *window);
    void focusChanged(QWidget *old, QWidget *now);
    void activated(QWidget *window);
    bool keyReachedWaitingWindow(Shown &waiting, QEvent *event);
    // Sends the key to `to` instead (nothing when none); true: the event goes no further.
    bool passOn(QEvent *event, QWidget *to);
    void userPressed(QObject *watched, QEvent *event);
    void wentTo(Shown &shown);
    void takeTheKeyboard(QWidget *window);
    void giveBack(QWidget *control);
    void moveKeyboardTo(QWidget *control);
    // Keeps the window's widgets from hearing that they lose the keyboard, and that they get it back.
    bool shielded(QObject *watched, QEvent *event);
    void endShield(bool replayLoss);
    // Where the keys go: the control the user was in, in a window that is shown and does not wait.
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
    // The control that window of it had then: one the application chooses meanwhile is where the keyboard goes.
    QPointer<QWidget> m_returnWindowFocus;
    // The window whose widgets are kept from hearing that a waiting window took the keyboard for a moment.
    QPointer<QWidget> m_shield;
    QPointer<QWidget> m_shieldedControl;
    // The waiting window the user pressed in, which takes the keyboard when the press is over.
    QPointer<QWidget> m_goingTo;
    // The window the user went to, which the keys typed meanwhile go to until the window system gives it the keyboard.
    QPointer<QWidget> m_keysFor;
    // The form popover field the keyboard stays in through a click on the toolbar of the window under it.
    QPointer<QWidget> m_formOverClick;
    // The window the user opened last, until the window system's activation of a window comes.
    QPointer<QWidget> m_keyboardOnItsWay;
    bool m_resting = false;
    // Windows the application opened while a pop-up held the keyboard, with the windows they concern.
    std::vector<std::pair<QPointer<QWidget>, QPointer<QWidget>>> m_afterPopUps;
};

} // namespace knvt
