#pragma once

#include <QStringList>

class QEvent;
class QObject;
class QWidget;

namespace knvt {

// What the user typed or changed and has not saved, found by one rule in every window of the application: a control
// (a line, a text view, a token field's chips, a check box, a pop-up, a calendar, a recording shortcut: HeldChange)
// holds typing when what it holds differs from what it held before the user's first input into it. What the program
// put there (a loaded title, a form's starting values) is no typing; a field marked with markNotKept() (a search
// field, a preference applied at once) never holds any. Every road that drops a window's fields asks first: its close
// button (caught here for every window), Close, Done and Quit (mayDiscard), signing out (typedIn). Forms that save
// what was typed close or forget() it, so nothing asks about text already written.
class UnsavedTyping
{
public:
    // Sees every event of the application before its receiver, from KeyboardOwner once the application installed it
    // (nothing counts as typed before): the user's input to a field, and the window system's close of a window. True
    // when the event goes no further: a close the user called off.
    static bool watchEvent(QObject *watched, QEvent *event);

    // The field's text is no typing to keep: what is typed there, or changed in any control inside it, is asked about
    // nowhere.
    static void markNotKept(QWidget *field);
    // The user changes `field` through another control (a day picked in a calendar, a person ticked in a list): what
    // it holds now is where the change starts, as with a key or a click into it.
    static void changing(QWidget *field);
    // An assistive technology is about to change what `receiver`, or the control it is part of, holds, through its
    // accessible interface (a toggle, a press, a value or a text set): the user's input, as a click or a key is.
    static void accessibleInput(QObject *receiver);

    // The texts typed and not saved in the fields shown inside `window` (its popovers and sheets included, and the panes
    // it shows in turn), in every window when nullptr; in the order the user first typed into them, each trimmed. A
    // password shows as dots, any other change by its control's name and what it holds ("Tags: garden").
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
    // The window `holder` gives back `typed`, what the user typed in a form that went away underneath (an alert the
    // application opened): it holds the only copy, which counts as typing while it shows, so that Quit asks before
    // dropping it.
    static void holdGivenBack(QWidget *holder, const QString &typed);
};

} // namespace knvt
