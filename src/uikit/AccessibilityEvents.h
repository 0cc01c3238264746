#pragma once

class QAccessibleEvent;

namespace knvt {

// Where the events the application tells assistive technology of itself go (a row's box changed while nobody touched
// the row's own control). Qt hands them to the platform's screen-reader bridge, which offscreen and under test has
// none: tests install a recorder instead.
class AccessibilityEvents
{
public:
    virtual ~AccessibilityEvents();

    // Whether anything listens; an event is built only then.
    virtual bool isListening() const = 0;
    virtual void post(QAccessibleEvent *event) = 0;

    // The events' destination every window uses: Qt's accessibility unless a test installed another.
    static AccessibilityEvents &shared();
    // Installs `events` (not owned) as the shared destination; nullptr restores Qt's.
    static void setShared(AccessibilityEvents *events);
};

} // namespace knvt
