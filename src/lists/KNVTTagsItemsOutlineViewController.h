#pragma once

#include "lists/KNVTTaskStoreItemsOutlineViewController.h"

#include <QList>
#include <QUrl>

#include <optional>

class KNVTCDTag;

// The tasks that carry every one of the chosen tags, in the sections "Incomplete", "Scheduled", "Someday" and
// "Completed" (archived tasks included). Dragging tasks onto a section reorders them or changes their focus or
// status; tags dropped on a task tag it. It prints the selected tasks, or the tags' summary.
//
// When a shown tag is deleted (here or by a sync) the list shows nothing until it is given tags again. An empty
// array of tags shows every task.
class KNVTTagsItemsOutlineViewController : public KNVTTaskStoreItemsOutlineViewController
{
    Q_OBJECT

public:
    explicit KNVTTagsItemsOutlineViewController(KNVTTaskStoreItemsViewControllerDelegate *delegate,
                                                QObject *parent = nullptr);

    // The shown tags that still exist; nothing while the list has no tags.
    std::optional<std::vector<KNVTCDTag *>> tags() const;
    // The tags' titles, in the order they were chosen.
    QString listTitle() const override;
    // The same tags again change nothing; others rebuild the rows.
    void setTags(const std::vector<KNVTCDTag *> &tags);

protected:
    bool hasContent() const override { return m_tags.has_value(); }
    bool contentStillExists(bool willChange) override;
    void forgetContent() override { m_tags.reset(); }
    std::vector<knvt::ListSection> sectionsForContent() override;
    std::unique_ptr<knvt::ListMembership> membership() override;
    QString HTMLStringForPrintingWithoutSelection() const override;

private:
    std::optional<QList<QUrl>> m_tags;
};
