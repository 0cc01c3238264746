#pragma once

#include "lists/KNVTTaskStoreItemsOutlineViewController.h"

// My projects and areas that are not archived, in the sections "Active Projects", "Active Areas", "Someday Projects"
// and "Someday Areas"; "No Projects/Areas" when there are none. Rows are always 50 high. A double click shows the
// project or area; its rows can be dragged elsewhere, but nothing dropped here changes anything, and printing only
// beeps.
class KNVTTaskListsOutlineViewController : public KNVTTaskStoreItemsOutlineViewController
{
    Q_OBJECT

public:
    explicit KNVTTaskListsOutlineViewController(KNVTTaskStoreItemsViewControllerDelegate *delegate,
                                                QObject *parent = nullptr);

    void numberOfPreviewLinesForTaskNotesDidChangeNotification() override {}
    void print() override;
    QString listTitle() const override;

protected:
    ItemKind itemKind() const override { return ItemKind::TaskLists; }
    bool hasContent() const override { return true; }
    std::vector<knvt::ListSection> sectionsForContent() override;
    QString emptyLabelText() const override;
    int itemRowHeightForList() const override { return 50; }
    bool acceptsDrops() const override { return false; }
};
