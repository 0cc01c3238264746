#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

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
    // `about`, when given, is what the text tells of: once it no longer stands (withdrawStale), the text goes.
    static void announce(QWidget *widget, const QString &text, QObject *about = nullptr);
    // Every window's notification about something gone or for which `stands` says false is taken away, so that a
    // reader that reads the window again finds no news that is over.
    static void withdrawStale(const std::function<bool(const QObject *)> &stands);

    // The window's announcement, nullptr before the first.
    static Announcement *of(QWidget *window);

private:
    explicit Announcement(QWidget *window);

    QPointer<QObject> m_about;
    bool m_tellsOfSomething = false;
};

} // namespace knvt
