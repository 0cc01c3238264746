#pragma once

#include <QDeadlineTimer>
#include <QObject>
#include <QPointer>

#include <vector>

class QWidget;

namespace knvt {

// Where the keyboard goes when a window of the application opens and when one closes, one rule for every window,
// sheet, dialog and alert, whatever opened it:
// - A window that closes while it has the keyboard gives it back to the control that had it before the user (or the
//   window) went there, in whichever window, so that the user carries on where they were. The window system would
//   hand it to a window of its own choice instead, where a key could act on whatever that window had selected (the
//   list behind a form: Delete, then Return, deletes the task being edited).
// - A window takes the keyboard first on a control that changes nothing on Space or Return: where Qt would put it on
//   a button that acts (a toolbar's Today), it goes to the window's first text field or list instead.
class WindowFocus : public QObject
{
    Q_OBJECT

public:
    // The application starts it once.
    static void watch();
    // Hides `window` to show it again at once (a change of modality takes effect only so): to the rule it stays the
    // window it was, which neither gives the keyboard away nor forgets where the keyboard came from.
    static void hideToShowAgain(QWidget *window);
    // Gives the keyboard to `control` and keeps it there against the window system's own pick of another window a
    // moment later, when the window that had the keyboard has gone, unless the user acts meanwhile.
    static void giveKeyboardTo(QWidget *control);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    WindowFocus();
    void focusChanged(QWidget *old, QWidget *now);
    void windowShown(QWidget *window);
    void windowHidden(QWidget *window);

    struct Shown
    {
        QPointer<QWidget> window;
        // The control that had the keyboard before it went into the window.
        QPointer<QWidget> cameFrom;
        // The order windows were shown in.
        quint64 order = 0;
        // The keyboard has not been in the window since it was shown.
        bool firstFocus = true;
    };
    Shown *find(const QWidget *window);

    std::vector<Shown> m_shown;
    quint64 m_shows = 0;
    QPointer<QWidget> m_showingAgain;
    // The window that had the keyboard when the application's focus went to no widget, while none has it since.
    QPointer<QWidget> m_leftForNothing;
    // Where the keyboard was last given, when the window system may pick another window, and from when: until the
    // user's next input, for as long as a window system takes to answer, against a window shown before that.
    QPointer<QWidget> m_given;
    quint64 m_givenAt = 0;
    QDeadlineTimer m_givenFor;
};

} // namespace knvt
