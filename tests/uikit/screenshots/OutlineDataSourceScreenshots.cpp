// An outline of sections before and after a batch removal.
#include "Screenshots.h"

#include "uikit/KNVTOutlineViewDataSource.h"
#include "uikit/KNVTOutlineViewDataSourceRemoveUpdateObject.h"

#include <QTreeView>

KNVT_SCREENSHOTS(OutlineDataSource)
{
    const auto incomplete = KNVTOutlineViewSection::create(QStringLiteral("Incomplete"), QStringLiteral("Incomplete"));
    incomplete->setChildren({QStringLiteral("Buy milk"), QStringLiteral("Call Anna"), QStringLiteral("File taxes")});
    const auto completed = KNVTOutlineViewSection::create(QStringLiteral("Completed"), QStringLiteral("Completed"));
    completed->setChildren({QStringLiteral("Book flights")});

    QTreeView view;
    view.setAccessibleName(QStringLiteral("Tasks"));
    view.setHeaderHidden(true);
    view.setRootIsDecorated(false);
    view.setItemsExpandable(false);
    KNVTOutlineViewDataSource source(&view);
    source.setSections({KNVTOutlineViewSection::item(incomplete), KNVTOutlineViewSection::item(completed)});
    view.expandAll();
    view.resize(240, 160);
    writer.save("sections", &view, true);

    source.beginUpdates();
    QVariantList children = completed->children();
    children[0] = KNVTOutlineViewDataSourceRemoveUpdateObject::outlineViewDataSourceRemoveUpdateObjectWithRemovedObject(
        children.at(0));
    completed->setChildren(children);
    children = incomplete->children();
    children[1] = KNVTOutlineViewDataSourceRemoveUpdateObject::outlineViewDataSourceRemoveUpdateObjectWithRemovedObject(
        children.at(1));
    incomplete->setChildren(children);
    source.endUpdates();
    writer.save("after-removal", &view, true);
}
