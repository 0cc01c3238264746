#include "Screenshots.h"

#include "uikit/TableViewAdditions.h"

#include <QStandardItemModel>
#include <QTreeView>

KNVT_SCREENSHOTS(EmptyStateLabel)
{
    QStandardItemModel model;
    knvt::test::addFixtureTexts({QStringLiteral("No Tasks")});
    QTreeView view;
    view.setAccessibleName(QStringLiteral("Tasks"));
    view.setModel(&model);
    view.setHeaderHidden(true);
    view.setProperty("rowHeight", 50);
    view.resize(360, 260);
    knvt::setLabelText(&view, QStringLiteral("No Tasks"));
    writer.save(QStringLiteral("no-tasks"), &view, true);
    view.resize(500, 260);
    writer.save(QStringLiteral("wider"), &view, true);
}
