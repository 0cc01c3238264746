#pragma once

#include <QString>

#include <optional>

class QObject;
class QWidget;

namespace knvt {

// The one rule for what a control the user changed holds that the window has not written yet, and how the question
// before it is dropped names it (UnsavedTyping keeps what each control held when the user first gave it input, and
// asks this rule what differs now). A control holds a change when what it shows differs from that start: the text
// of an editable line or text view; the chips and typed text of a token field; the tick of a check box; the choice
// of a pop-up; the level of a level indicator; the day of a calendar; what a ChangeHolder says it holds.
//
// A change counts while its control is shown, or stands on a pane the user left for another pane of a window that
// is still open (markPane). It never counts in a control marked not kept, or inside one (a search field, a
// preference applied as it is chosen, a calendar whose day goes at once into the field beside it), nor in an alert,
// whose controls are its answer.
class HeldChange
{
public:
    // The control an input event sent to `receiver` changes, or nullptr. The parts of a token field, a calendar and a
    // pop-up stand for the whole control, and a text view takes its mouse and drops through its viewport.
    static QWidget *controlReceiving(QObject *receiver);

    // What `control` holds now, to be compared with what it held before; nothing when it is no such control.
    static std::optional<QString> state(const QWidget *control);

    // What the question shows of the change `control` holds since it held `start`, in the user's words: the text
    // typed (a password as dots), else the control's name and what it holds now ("Tags: garden, errand", "Due:
    // ticked", "List: Garden"). Empty when it holds no change that counts now.
    static QString change(const QWidget *control, const QString &start);

    // Whether a change in `control` counts now: it is shown, or it stands on a pane its window shows in turn with
    // others, and the window is open.
    static bool counts(const QWidget *control);

    // What the user changes in `widget`, or in any control inside it, is no change to keep.
    static void markNotKept(QWidget *widget);
    // `pane` is one of several panes a window shows in turn: what the user changed in it still counts while another
    // pane is shown in its place, as long as the pane stays in its window.
    static void markPane(QWidget *pane);
};

} // namespace knvt
