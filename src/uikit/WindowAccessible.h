#pragma once

#include <QAccessibleWidget>

namespace knvt {

// What assistive technology reads of a top-level window made of a plain widget: a window, named by its accessible
// name or else its title. Qt reads such a widget as a bare client area, which a screen reader announces as a filler
// and not as the window the user just opened.
class WindowAccessible : public QAccessibleWidget
{
public:
    explicit WindowAccessible(QWidget *window);

    // Makes `window` a top-level window that answers with this interface. Call it from the window's constructor,
    // before anything asked assistive technology about it.
    static void install(QWidget *window);
};

} // namespace knvt
