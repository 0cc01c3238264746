#pragma once

#include <QString>

namespace knvt {

// A control that says itself what it holds, for the one rule of what the user would lose (HeldChange): a control of a
// folder above the interface kit (the shortcut recorder while it records), or one whose text means little without
// its name (a date field).
class ChangeHolder
{
public:
    virtual ~ChangeHolder() = default;
    // What the control holds now, as the question before it is dropped shows it: its name and its value ("Due Date:
    // 3/20/26", "Quick Entry shortcut: being recorded"). Empty when it holds nothing a person would miss.
    virtual QString holding() const = 0;
};

} // namespace knvt
