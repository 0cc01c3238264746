// A drop acts only on what still exists when it lands: objects deleted while they were being dragged are left out,
// as the forms leave out what was deleted while they were open.

#include "ListTest.h"

#include "lists/KNVTFocusTaskListItemsTableViewController.h"

#include "model/KNVTCDTag.h"
#include "model/KNVTCDTask.h"
#include "model/ObjectReferencePayload.h"

#include <QMimeData>

namespace {

class DroppedObjectsTest : public ListTest
{
protected:
    static std::unique_ptr<QMimeData> payload(std::vector<const KNVTCDTaskStoreObject *> objects)
    {
        auto mime = std::make_unique<QMimeData>();
        knvt::ObjectReferencePayload::writeObjects(*mime, objects);
        return mime;
    }

    static QStringList tagTitles(const KNVTCDTask &task)
    {
        QStringList titles;
        for (const KNVTCDTag *tag : task.tags())
            titles << tag->title();
        titles.sort();
        return titles;
    }
};

TEST_F(DroppedObjectsTest, TagsDeletedDuringTheDragAreNotAddedToTheTaskTheyAreDroppedOn)
{
    auto &b = build();
    KNVTCDTag *errand = b.tag(QStringLiteral("errand"));
    KNVTCDTag *hardware = b.tag(QStringLiteral("hardware"));
    KNVTCDTag *garden = b.tag(QStringLiteral("garden"));
    KNVTCDTask *nails = b.task(QStringLiteral("Buy nails"));
    save();
    KNVTFocusTaskListItemsTableViewController inbox(&m_host);
    inbox.setFocusTaskList(KNVTFocusTypeInbox);
    const std::unique_ptr<QMimeData> all = payload({errand, hardware, garden});
    const std::unique_ptr<QMimeData> marked = payload({hardware});

    // While the tags are dragged, a sync marks one deleted (kept until the service hears of it) and another window
    // deletes the other one outright.
    hardware->setDeletedDate(now());
    store().managedObjectContext()->remove(garden);
    save();

    const int row = inbox.cellIndexForObjectValue(nails->uri()).value_or(-1);
    ASSERT_GE(row, 0);
    EXPECT_EQ(inbox.validateDrop(*marked, row, true), Qt::IgnoreAction) << "nothing left to drop";
    EXPECT_TRUE(inbox.acceptDrop(*all, row, true));
    settle();
    EXPECT_EQ(tagTitles(*nails), QStringList{"errand"});
}

} // namespace
