#include "uikit/FirstTabStop.h"

#include <QWidget>

namespace knvt {

QWidget *firstTabStop(QWidget *within)
{
    for (QWidget *next = within->nextInFocusChain(); next != nullptr && next != within; next = next->nextInFocusChain())
        if (within->isAncestorOf(next) && (next->focusPolicy() & Qt::TabFocus) && next->isVisible()
            && next->isEnabled())
            return next;
    return nullptr;
}

} // namespace knvt
