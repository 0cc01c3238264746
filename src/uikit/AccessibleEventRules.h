#pragma once

class QAccessibleEvent;

namespace knvt {

// The application's one handler of the events Qt hands to the platform's screen-reader bridge, through which the rules
// that guard what a reader is told see every event first. Qt gives an event to the bridge only while no handler is
// installed, so a handler carries one on by stepping aside for it: two handlers installed one over the other would each
// put itself back in place of the other. Every rule goes through this one handler instead.
class AccessibleEventRules
{
public:
    // Sees an event before the bridge: true when it dealt with the event (dropped it, or carried another on in its
    // place through carryOn()), false to let it go on as it is.
    using Rule = bool (*)(QAccessibleEvent *event);

    // Adds `rule` to those every event meets, once: adding it again changes nothing. A handler installed before the
    // first rule (a test's recorder) hears what the rules let through.
    static void add(Rule rule);
    // Hands `event` to the bridge, or to the handler installed before the rules, past every rule.
    static void carryOn(QAccessibleEvent *event);
};

} // namespace knvt
