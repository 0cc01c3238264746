#pragma once

#include <QStringList>

class QEvent;
class QObject;
class QWidget;

namespace knvt {

// Text the user typed and has not saved, found by one rule in every window of the application: an editable field (a
// line, a text view) holds typing when its text differs from what it held before the user's first input into it. A
// text the program put there (a loaded title, a form's starting values) is no typing; a field marked with
// markNotKept() (a search field) never holds any. Every road that drops a window's fields asks first: its close
// button (caught here for every window), Close, Done and Quit (mayDiscard), signing out (typedIn). Forms that save
// what was typed close or forget() it, so nothing asks about text already written.
class UnsavedTyping
{
public:
    // Sees every event of the application before its receiver, from KeyboardOwner once the application installed it
    // (nothing counts as typed before): the user's input to a field, and the window system's close of a window. True
    // when the event goes no further: a close the user called off.
    static bool watchEvent(QObject *watched, QEvent *event);

    // The field's text is no typing to keep: what is typed there is asked about nowhere.
    static void markNotKept(QWidget *field);

    // The texts typed and not saved in the fields shown inside `window` (its popovers and sheets included), in every
    // window when nullptr; in the order the user first typed into them, each trimmed. A password shows as dots.
    static QStringList typedIn(const QWidget *window = nullptr);
    static bool holdsTyping(const QWidget *window) { return !typedIn(window).isEmpty(); }

    // True when nothing typed would be dropped, or the user chose Discard in the one question that shows all of it:
    // then it counts as dropped, and no later road asks about it again. False when the user wants to go on typing:
    // the keyboard goes back into the field the user typed in last. Only the fields inside `window` count, every
    // field when nullptr.
    static bool mayDiscard(const QWidget *window = nullptr);
    // Closes `window` as its Close command does, after asking about the typing in it.
    static void closeAsking(QWidget *window);

    // What the fields inside `window` (every window when nullptr) hold now is no longer typing: it was dropped with
    // the user's agreement, or written.
    static void forget(const QWidget *window = nullptr);
    // A form that takes the place of another (a popover torn off into a window of its own) takes over its typing: the
    // fields of `to` named as the typed fields of `from` count as typed from the same start.
    static void carryOver(const QWidget *from, const QWidget *to);
};

} // namespace knvt
