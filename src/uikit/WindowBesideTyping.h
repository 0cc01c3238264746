#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

namespace knvt {

// How every window and alert of the application is shown: in front of the window the user is in (floating as well
// while a window of the application floats, as quick entry does), as that window's transient.
//
// One that the application opens by itself (a sync's refused password, a newer version needed, something deleted
// elsewhere: anything that does not answer the user's latest input) while the user is typing
// (UnsavedTyping::isTypingUnderWay) opens there neither active nor modal, and the keys go on into the field. It takes
// the keyboard, with the modality it was meant to have, only when the user goes to it: a click in it, or a switch to it
// that the user makes from a window that is still shown. The window system's own activations are not the user's: of a
// window it maps, or of the window it picks when the one that had the keyboard closes (a form that ends). Until the
// user goes to it, no key reaches it: a key the window system hands it meanwhile goes on to where the user was typing,
// or is dropped once the window the user was in has gone (quick entry over another program).
//
// What the user's own input opens, and what opens while nobody types, comes up active with its modality at once.
class WindowBesideTyping : public QObject
{
    Q_OBJECT

public:
    // Shows `window` (hidden until now) as said above; `modality` is the one it has once it has the keyboard.
    static void show(QWidget *window, Qt::WindowModality modality);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // True while the application still handles the user's latest input: a key, a click, a window closed by its
    // button, in the pass of the event loop that delivered it. Work queued for later passes, a reply of the network
    // and a timer are the application's own.
    static bool isAnsweringInput();

    WindowBesideTyping(QWidget *window, Qt::WindowModality modality);
    // The window the keys belong to while the user has not gone to this one.
    QWidget *keyboardWindow() const;
    // An activation of the window: the user's switch to it, or the window system's.
    void activated();
    // The user went to the window: it becomes what it was meant to be once the press or switch that took the user
    // there is over.
    void wentTo();
    void takeTheKeyboard();
    // A key the window system handed to the window while the user types elsewhere goes on to the field, if any.
    void passOn(QEvent *event);

    QPointer<QWidget> m_window;
    Qt::WindowModality m_modality;
    // Where the keys went when the window opened.
    QPointer<QWidget> m_typingInto;
    // The last other window of the application that had the keyboard.
    QPointer<QWidget> m_lastKeyboardWindow;
    // From the window's show until the window system had its chance to activate it on its own: a couple of passes of
    // the event loop after the window was first exposed, or its first activation, whichever comes first.
    bool m_opening = true;
    bool m_exposed = false;
    bool m_wentTo = false;
    bool m_tookIt = false;
};

} // namespace knvt
