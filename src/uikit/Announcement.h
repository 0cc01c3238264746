#pragma once

#include <QWidget>

namespace knvt {

// What a screen reader speaks of itself wherever the keyboard focus is ("Buy milk added."): a notification of the
// window, shown afresh with each text. Readers on this desktop speak a notification that shows; the events Qt gives
// for other changes (rows inserted into a list, an alert) never reach them, and the change of a label's text is read
// only where the focus is. It shows nothing on screen and never takes the keyboard or the mouse.
class Announcement : public QWidget
{
    Q_OBJECT

public:
    // Has a listening screen reader speak `text` after what it is saying, from the window of `widget` (which holds
    // the window's one announcement). Nothing happens for an empty text or a window not shown.
    static void announce(QWidget *widget, const QString &text);

    // The window's announcement, nullptr before the first.
    static Announcement *of(QWidget *window);

private:
    explicit Announcement(QWidget *window);
};

} // namespace knvt
