#pragma once

class QWidget;

namespace knvt {

// The first control inside `within` that Tab stops at (shown and enabled), in its window's tab order; null when there
// is none. Where the keyboard goes when a pane or a popover's content takes it without a control of its own choice.
QWidget *firstTabStop(QWidget *within);

} // namespace knvt
