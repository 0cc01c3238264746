#pragma once

#include "uikit/QtWindowSystem.h"

#include <QMargins>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <vector>

class QWidget;

namespace knvt::test {

// Stands in for the window manager behind knvt::WindowSystem, installed for its lifetime, keeping the rules a window
// manager of the desktop keeps: a window that refuses the keyboard is never activated; a window shown waiting (mapped
// with a user time of 0) is not activated as it shows; its window switcher (Alt+Tab, the task bar) offers the normal
// windows and dialogs that accept the keyboard, and a switch the user makes to a waiting window is announced as the
// user's (the application hears the activation only where it lets the window keep the keyboard, as on X). It grants
// the application's requests for the keyboard.
//
// A window manager that breaks the rules is chosen with Activation: it activates a waiting window by itself before the
// show returns (early), as soon as the application goes back to its events (at once), at the user's next key (late),
// or at once and again at the next key (twice). Such a focus goes as on X: where the application names a window for
// the keyboard to go back to (the X layer withholds the focus from Qt and hands it back there), that window has it;
// elsewhere the waiting window is activated and the application undoes it, or keeps it with its guard. A waiting window stays off the offscreen platform,
// which would activate it itself, until the application takes the keyboard for it; an activation reaches the
// application as Qt delivers one from the window system (none while a pop-up holds the keyboard). With `picksOnClose`,
// closing the window that has the keyboard (or the other program's, closeAnotherProgram) makes it focus a window of its
// own choice once the application is back to its events, as openbox, KWin and metacity do: the waiting window shown
// last, told like a switch of the user's with the window it came from gone, else the normal window the user was in
// last (or the other program the user was in). Which of it is the user's is the application's to decide. It can refuse
// the keyboard to a window the application asks for it (refuseTheNextRequest), as Mutter now and then does.
class FakeWindowSystem final : public QObject, public knvt::QtWindowSystem
{
public:
    enum class Activation { Never, Early, AtOnce, Late, Twice };
    // How a table's row names it: "activated late".
    static const char *activationName(Activation activation);

    explicit FakeWindowSystem(Activation activation = Activation::Never, bool picksOnClose = false);
    ~FakeWindowSystem() override;
    FakeWindowSystem(const FakeWindowSystem &) = delete;
    FakeWindowSystem &operator=(const FakeWindowSystem &) = delete;

    // What it does with the next window shown waiting.
    void setActivation(Activation activation) { m_activation = activation; }
    // The user goes to another program: no window of the application has the keyboard, and the program stands in the
    // order of the windows it picks from when one closes.
    void switchToAnotherProgram();
    // The other program the user is in closes its window; with `picksOnClose` the fake picks a window then.
    void closeAnotherProgram();
    // It refuses the keyboard to the next window the application asks for it, as Mutter now and then does to a form
    // popover clicked open right after a switch: Qt takes the window for active all the same (on X, Qt takes its own
    // request for the answer), while the keyboard stays in the window it was in. When the refused window closes, Qt
    // is left with no active window, and no pick comes: the keyboard never left.
    void refuseTheNextRequest() { m_refuseNext = true; }
    // The windows its window switcher offers, by title, the application's windows that show.
    QStringList switcherTitles() const;
    // The user switches to `window` with the window switcher (Alt+Tab) or the task bar; false when neither offers it.
    bool switchTo(QWidget *window);
    // How many times it activated a waiting window by itself.
    int activationsOnItsOwn() const { return m_activations; }
    // How many times it activated a window of its own choice after one closed.
    int picks() const { return m_picks; }

    void showActive(QWidget *window) override;
    void showWaiting(QWidget *window) override;
    void takeKeyboard(QWidget *window) override;
    void activate(QWidget *window) override;
    bool picksAWindowWhenOneCloses() const override { return m_picksOnClose; }
    // The window it has the keyboard in, the application's, whatever Qt takes for active.
    QWidget *windowWithKeyboard() override;
    // The frame it says it puts around a window (none unless set), which Qt never draws offscreen.
    void setFrame(const QMargins &frame) { m_frame = frame; }
    QMargins frameOf(QWidget *) override { return m_frame; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool offers(const QWidget *window) const;
    bool waits(const QWidget *window) const;
    void activateOnItsOwn(QWidget *window);
    void deliverActivation(QWidget *window);
    void hadKeyboard(QWidget *window);
    // Picks the window that has the keyboard after the one that had it closed.
    void pick();
    // Gives the waiting `window` the focus by itself; `likeASwitch`: stamped as the user's switch would be, from a
    // window that went away.
    void focusWaiting(QWidget *window, bool likeASwitch);

    Activation m_activation;
    bool m_picksOnClose;
    QMargins m_frame;
    int m_activations = 0;
    int m_picks = 0;
    // Windows shown waiting, until the application takes the keyboard for them.
    std::vector<QPointer<QWidget>> m_waiting;
    // Waiting windows that it activates at the user's next key.
    std::vector<QPointer<QWidget>> m_late;
    // The window that had the keyboard last, and whether the user went to another program since.
    QPointer<QWidget> m_keyboardIn;
    bool m_inAnotherProgram = false;
    // The next window asked for is refused the keyboard; the window refused it, which Qt takes for active.
    bool m_refuseNext = false;
    QPointer<QWidget> m_refused;
    // The normal windows that had the keyboard, the last one last, and the other program where the user went to it.
    std::vector<QPointer<QObject>> m_focused;
    QObject m_anotherProgram;
};

} // namespace knvt::test
