#pragma once

#include "uikit/Command.h"

#include <QKeySequence>
#include <QList>
#include <QString>

class QMenu;
class QWidget;

namespace knvt {

// What a command looks like for the current selection, as its target decides it: whether it may run, whether it is
// shown at all (of two commands sharing a place and a key, only one is shown), its keys and its title where they
// vary. A target starts from the command's own title and keys, disabled and shown.
struct CommandState
{
    bool enabled = false;
    bool visible = true;
    QList<QKeySequence> keys;
    QString title;
    // Why the command may not run now, where the user cannot tell by looking: while it is disabled, its tooltip, which
    // a screen reader reads as its button's description. Empty: the tooltip is its title.
    QString whyDisabled;
    // The command's menu (Move To, Assign To) while it is about to show; the target fills it with what the selection
    // allows. nullptr for a command without one and in every other pass: a menu is filled only when it opens.
    QMenu *menu = nullptr;
};

// What the actions of a window act on: it says what each command may do now and carries it out.
class CommandTarget
{
public:
    virtual ~CommandTarget() = default;

    // A validation pass asks validateCommand() about every command of a window in a row, between these two calls. A
    // target whose answers all read one costly state (a list's selection) reads it once when the pass begins and hands
    // it to every rule, instead of reading it again for each command.
    virtual void beginValidation() {}
    virtual void endValidation() {}
    virtual void validateCommand(Command command, CommandState &state) = 0;
    // Runs an enabled command. `source` is the control it came through when that is a button of the window's toolbar
    // (popovers open next to it), else nullptr (a menu or a key).
    virtual void performCommand(Command command, QWidget *source) = 0;
};

} // namespace knvt
