#pragma once

#include <QStringList>

class QWidget;

namespace knvt {

// A form that may hold text the user typed and has not written (a half-typed new task, an edited title, a comment).
// Closing the window that shows it, or quitting, asks the user before that text is dropped.
class UnsavedTyping
{
public:
    UnsavedTyping();
    virtual ~UnsavedTyping();
    UnsavedTyping(const UnsavedTyping &) = delete;
    UnsavedTyping &operator=(const UnsavedTyping &) = delete;

    // The texts typed here and not written; empty when there are none.
    virtual QStringList unsavedTyping() const = 0;
    // The widget that shows the form, nullptr while it shows nothing.
    virtual QWidget *typingView() const = 0;

    // True when nothing typed would be dropped, or the user chose to drop it; false when the user wants to go on
    // typing. Only the forms shown inside `window` count (a popover of it included), every shown form when nullptr.
    static bool mayDiscard(const QWidget *window = nullptr);
    // True while a shown form holds typing or has the keyboard focus: the user may be typing there, so a window that
    // opens by itself meanwhile must not take the keys.
    static bool isTypingUnderWay();
};

} // namespace knvt
