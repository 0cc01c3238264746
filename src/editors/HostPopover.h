#pragma once

#include "uikit/Popover.h"

#include <QPointer>
#include <QWidget>

namespace knvt {

// The popover that shows a form: the one the host named, or else the popover the form's view was put into (hosts
// that make the content before the popover never name it).
inline Popover *hostPopover(const QPointer<Popover> &named, QWidget *view)
{
    if (named)
        return named;
    return view ? qobject_cast<Popover *>(view->parentWidget()) : nullptr;
}

} // namespace knvt
