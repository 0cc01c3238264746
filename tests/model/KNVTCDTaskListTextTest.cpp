#include "KNVTCDTaskListTest.h"

namespace {

class KNVTCDTaskListTextTest : public KNVTCDTaskListTest
{
protected:
    KNVTCDTask *closedTask(KNVTCDTaskList *l, const QString &title, qint64 status, qint64 secondsAgo)
    {
        KNVTCDTask *t = task(l, title, status);
        t->setStatusModifiedDate(date(-secondsAgo));
        return t;
    }
    static QString header(const QString &name) { return "<div class=\"group_header\">" + name + "</div>"; }
    static QString html(std::initializer_list<const KNVTCDTask *> tasks)
    {
        QString out;
        for (const KNVTCDTask *t : tasks)
            out += t->HTMLStringForPrinting();
        return out;
    }
    static QString share(std::initializer_list<const KNVTCDTask *> tasks)
    {
        QString out;
        for (const KNVTCDTask *t : tasks)
            out += t->shareActivityText() + "\n\n";
        return out;
    }
};

TEST_F(KNVTCDTaskListTextTest, PageGroupsTheLiveTasks)
{
    KNVTCDTaskList *l = list(QStringLiteral("Garden"));
    KNVTCDTask *second = task(l, QStringLiteral("second"));
    second->setTaskListOrderIndex(2);
    KNVTCDTask *first = task(l, QStringLiteral("first"));
    first->setTaskListOrderIndex(1);
    KNVTCDTask *scheduled = task(l, QStringLiteral("scheduled"));
    scheduled->setStartDate(date(86400 * 3));
    KNVTCDTask *someday = task(l, QStringLiteral("someday"), 1);
    KNVTCDTask *older = closedTask(l, QStringLiteral("completed long ago"), 4, 7200);
    KNVTCDTask *newer = closedTask(l, QStringLiteral("cancelled lately"), 5, 60);
    task(l, QStringLiteral("deleted"))->setDeletedDate(date());

    EXPECT_EQ(l->HTMLStringForPrinting(),
              "<div class=\"page_title\">Garden</div>" + header("Incomplete") + html({first, second})
                  + header("Scheduled") + html({scheduled}) + header("Someday") + html({someday}) + header("Completed")
                  + html({newer, older}));
}

TEST_F(KNVTCDTaskListTextTest, PrintoutsEscapeTheTitle)
{
    KNVTCDTaskList *l = list(QStringLiteral("<b>x</b> & y"));
    EXPECT_EQ(l->HTMLStringForPrinting(), "<div class=\"page_title\">&lt;b&gt;x&lt;/b&gt; &amp; y</div>");
    EXPECT_EQ(l->HTMLOverviewStringForPrinting(),
              "<div class=\"task_list\"><div class=\"title\">&lt;b&gt;x&lt;/b&gt; &amp; y (0 Items)</div>"
              "<div class=\"status\"> Status: Actionable</div></div>");
    EXPECT_EQ(l->shareActivityText(), "<b>x</b> & y\n\n\n") << "plain text stays as typed";
    EXPECT_EQ(l->pasteboardString(), "<b>x</b> & y");
}

TEST_F(KNVTCDTaskListTextTest, OverviewCountsTheLiveTasks)
{
    KNVTCDTaskList *l = list(QStringLiteral("Garden"));
    task(l, QStringLiteral("one"));
    task(l, QStringLiteral("deleted"))->setDeletedDate(date());
    EXPECT_EQ(l->HTMLOverviewStringForPrinting(),
              "<div class=\"task_list\"><div class=\"title\">Garden (1 Item)</div>"
              "<div class=\"status\"> Status: Actionable</div></div>");
}

TEST_F(KNVTCDTaskListTextTest, OverviewOfClosedAndOddLists)
{
    KNVTCDTaskList *cancelled = list(QStringLiteral("Dropped"), 2, 5);
    cancelled->setStatusModifiedDate(date(-86400));
    EXPECT_EQ(cancelled->HTMLOverviewStringForPrinting(),
              "<div class=\"task_list\"><div class=\"title\">Dropped (0 Items)</div>"
              "<div class=\"status\"> Status: Cancelled</div>"
              "<div class=\"completed_date\">Completed: Mar 3, 2015</div></div>");
}

TEST_F(KNVTCDTaskListTextTest, ShareTextGroupsTheLiveTasks)
{
    KNVTCDTaskList *l = list(QStringLiteral("Garden"));
    KNVTCDTask *open = task(l, QStringLiteral("open"));
    KNVTCDTask *scheduled = task(l, QStringLiteral("scheduled"));
    scheduled->setStartDate(date(86400 * 3));
    KNVTCDTask *someday = task(l, QStringLiteral("someday"), 1);
    KNVTCDTask *done = closedTask(l, QStringLiteral("done"), 4, 60);
    KNVTCDTask *archivedNewer = closedTask(l, QStringLiteral("archived newer"), 4, 600);
    archivedNewer->setArchived(true);
    KNVTCDTask *archivedOlder = closedTask(l, QStringLiteral("archived older"), 5, 6000);
    archivedOlder->setArchived(true);
    task(l, QStringLiteral("deleted"))->setDeletedDate(date());

    EXPECT_EQ(l->shareActivityText(),
              "Garden\n\n\n" + share({open}) + "Scheduled:\n\n\n" + share({scheduled}) + "Someday:\n\n\n"
                  + share({someday}) + "Completed:\n\n\n" + share({done}) + "Archived:\n\n\n"
                  + share({archivedNewer, archivedOlder}));
}

} // namespace
