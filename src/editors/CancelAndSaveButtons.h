#pragma once

class QBoxLayout;
class QPushButton;
class QWidget;

namespace knvt {

// The Cancel and Save buttons every editor ends with: a row at the right of `layout`, named cancelButton and
// saveButton, after `leading` (the comment editor's Delete) at the left when given.
//
// Given a `form`, Save is that form's default button, drawn as such: a Return that no control of the form takes (a
// line field, a pop-up, a check box, a button; not a text view, which starts a new line, nor a tags field with text
// to make a token of) presses it, in a sheet as in a popover or a window of its own, which are no dialogs. Without
// one (the comment editors, whose Return is a new line) Return never presses them.
struct CancelAndSaveButtons
{
    QPushButton *cancel = nullptr;
    QPushButton *save = nullptr;

    static CancelAndSaveButtons add(QBoxLayout *layout, QWidget *parent, QWidget *form, QPushButton *leading = nullptr);
};

} // namespace knvt
