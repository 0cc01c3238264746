#pragma once

class QWidget;

// Child-widget order is the stacking order: later children paint above earlier ones.
namespace knvt {

// Detaches and deletes (later, from the event loop) every child widget of `view`.
void removeSubviews(QWidget *view);

// Makes `subview` a child of `view` if it is not, above every other child.
void bringSubviewToFront(QWidget *view, QWidget *subview);

// Makes `subview` a child of `view` if it is not, below every other child.
void sendSubviewToBack(QWidget *view, QWidget *subview);

// Makes `subview` a child of `view` standing at position `index` of the stacking order: right above the child at
// index - 1 (counted without `subview`), or below all children for index 0. An index past the end puts it on top.
void insertSubview(QWidget *view, QWidget *subview, int index);

// Gives a sheet (a dialog over a window that asks one thing and ends) the frame the window manager draws for it: a
// title and a close button, which cancels it, and no maximise or minimise button, which a sheet has no use for.
void frameAsSheet(QWidget *sheet);

} // namespace knvt
