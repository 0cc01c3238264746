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
    // The command's menu (Mark, Move To, Assign To); the target fills it with what the selection allows. nullptr for a
    // command without one.
    QMenu *menu = nullptr;
};

// What the actions of a window act on: it says what each command may do now and carries it out.
class CommandTarget
{
public:
    virtual ~CommandTarget() = default;

    virtual void validateCommand(Command command, CommandState &state) = 0;
    // Runs an enabled command. `source` is the control it came through when that is a button of the window's toolbar
    // (popovers open next to it), else nullptr (a menu or a key).
    virtual void performCommand(Command command, QWidget *source) = 0;
};

} // namespace knvt
