#pragma once

#include <QPointF>
#include <QRectF>
#include <QtGlobal>

namespace knvt {

// What the recorder cell needs of the widget that shows it. The control implements it; tests drive the cell through
// a stand-in without any widget.
class ShortcutRecorderCellView
{
public:
    virtual ~ShortcutRecorderCellView();

    virtual QRectF cellBounds() const = 0;
    virtual bool isCellEnabled() const = 0;
    // Redraw at once (modifier changes and key events) or on the next pass (animation ticks).
    virtual void displayNow() = 0;
    virtual void setNeedsDisplay() = 0;
    virtual bool isFirstResponder() const = 0;
    virtual void makeFirstResponder() = 0;
    // The modifiers held right now, as Cocoa flags.
    virtual quint64 currentModifierFlags() const = 0;
    // Where the pointer is now, in the view's coordinates.
    virtual QPointF currentPointerPosition() const = 0;
    // Takes or releases the whole keyboard for the view, so that chords other programs hold reach the recorder.
    virtual void setKeyboardCaptured(bool captured) = 0;
    // Runs the cell's transitionTick() after `milliseconds`, replacing a pending one; cancel drops it.
    virtual void scheduleTransitionTick(int milliseconds) = 0;
    virtual void cancelTransitionTick() = 0;
    // The cell started or ended a recording; views that tell assistive technology about it override this.
    virtual void recordingDidChange() {}
};

} // namespace knvt
