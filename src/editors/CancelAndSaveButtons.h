#pragma once

class QBoxLayout;
class QPushButton;
class QWidget;

namespace knvt {

// The Cancel and Save buttons every editor ends with: a row at the right of `layout`, named cancelButton and
// saveButton, after `leading` (the comment editor's Delete) at the left when given. Return never presses them by
// itself: the title fields and text views send save themselves, except in a sheet whose Save is the default button.
struct CancelAndSaveButtons
{
    QPushButton *cancel = nullptr;
    QPushButton *save = nullptr;

    static CancelAndSaveButtons add(QBoxLayout *layout, QWidget *parent, bool saveIsDefault,
                                    QPushButton *leading = nullptr);
};

} // namespace knvt
