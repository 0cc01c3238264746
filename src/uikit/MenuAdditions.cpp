#include "uikit/MenuAdditions.h"

#include <QAction>
#include <QMenu>

namespace knvt {

bool isLastItemSeperator(const QMenu *menu)
{
    const QList<QAction *> actions = menu->actions();
    return !actions.isEmpty() && actions.last()->isSeparator();
}

void addSeperatorItem(QMenu *menu)
{
    if (menu->actions().isEmpty() || isLastItemSeperator(menu))
        return;
    menu->setSeparatorsCollapsible(false);
    menu->addSeparator();
}

} // namespace knvt
