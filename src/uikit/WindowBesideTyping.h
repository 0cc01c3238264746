#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

namespace knvt {

// Shows a window that something in the background opens (a sync whose password was refused) without taking the keys
// the user is typing into a form. While a form holds typing or has the keyboard, the window opens in front but neither
// active nor modal; it takes the keyboard when the user goes to it, or by itself, with the modality it was meant to
// have, once no form holds typing any more. With no typing under way it opens so at once.
class WindowBesideTyping : public QObject
{
    Q_OBJECT

public:
    static void show(QWidget *window, Qt::WindowModality modality);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    WindowBesideTyping(QWidget *window, Qt::WindowModality modality);
    // Another window had the focus and may no longer hold typing: the window takes the keyboard when none does.
    void focusMoved();
    void takeTheKeyboard();

    QPointer<QWidget> m_window;
    Qt::WindowModality m_modality;
    // Where the keys went when the window opened.
    QPointer<QWidget> m_typingInto;
    // Right after the window opened and before any key or click: an activation now is the window system's own (some
    // activate every window shown), not the user going to it.
    bool m_justOpened = true;
};

} // namespace knvt
