#include "KNVTCDTaskTest.h"

#include <QTextDocument>

namespace {

using KNVTCDTaskTextTest = KNVTCDTaskTest;

TEST_F(KNVTCDTaskTextTest, PasteboardLine)
{
    KNVTCDTask *t = task(QStringLiteral("Call"));
    t->setNotes(QString(""));
    EXPECT_EQ(t->pasteboardString(), QStringLiteral("- Call\n"));
    // Text that looks like a placeholder stays as it was typed.
    t->setTitle(QStringLiteral("%1 and %2"));
    t->setNotes(QStringLiteral("%1"));
    EXPECT_EQ(t->pasteboardPropertyListForType(QStringLiteral("text/plain")).toString(),
              QStringLiteral("- %1 and %2 (%1)\n"));
}

TEST_F(KNVTCDTaskTextTest, PrintedListAndDatesDependOnTheStatus)
{
    KNVTCDTask *t = task(QStringLiteral("Call"));
    EXPECT_EQ(t->HTMLOverviewStringForPrinting(),
              QStringLiteral("<div class=\"task\"><div class=\"title\">Call</div>"
                             "<div class=\"status\"> Status: Actionable</div></div>"));

    t->setTaskList(list(QStringLiteral("Home")));
    t->setStartDate(localDate(2015, 3, 6, 9));
    t->setDueDate(localDate(2015, 3, 7, 18));
    EXPECT_EQ(t->HTMLStringForPrinting(),
              QStringLiteral("<div class=\"task\"><div class=\"title\">Call</div>"
                             "<div class=\"status\"> Status: Actionable</div>"
                             "<div class=\"task_list_title\">List: Home</div>"
                             "<div class=\"start_date\">Start Date: Mar 6, 2015</div>"
                             "<div class=\"due_date\">Due Date: Mar 7, 2015</div></div>"));

    t->markAsCancelled();
    t->setStatusModifiedDate(localDate(2015, 3, 2, 12));
    EXPECT_EQ(t->HTMLStringForPrinting(),
              QStringLiteral("<div class=\"task\"><div class=\"title\">Call</div>"
                             "<div class=\"status\"> Status: Cancelled</div>"
                             "<div class=\"task_list_title\">List: Home</div>"
                             "<div class=\"completed_date\">Completed: Mar 2, 2015</div></div>"));
}

TEST_F(KNVTCDTaskTextTest, TagsPrintInTagOrder)
{
    KNVTCDTask *t = task(QStringLiteral("Call"));
    KNVTCDTag *b = tag(QStringLiteral("b"));
    b->setCreatorOrderIndex(2);
    KNVTCDTag *a = tag(QStringLiteral("a"));
    a->setCreatorOrderIndex(1);
    t->addTag(b);
    t->addTag(a);
    EXPECT_TRUE(t->HTMLStringForPrinting().contains(QStringLiteral("<div class=\"tags\">Tags: a, b</div>")));
}

TEST_F(KNVTCDTaskTextTest, PeoplePrintOnlyForCollaborativeLists)
{
    KNVTCDUser *zoe = user(QStringLiteral("Zoe"));
    KNVTCDUser *ann = user(QStringLiteral("Ann"));
    KNVTCDTaskList *alone = list(QStringLiteral("Alone"));
    KNVTCDTask *t = task(QStringLiteral("Call"), alone);
    t->setCreator(me());
    t->setAssignee(me());
    EXPECT_FALSE(t->HTMLStringForPrinting().contains(QStringLiteral("creator")));

    KNVTCDTaskList *shared = list(QStringLiteral("Shared"), {zoe, ann});
    t->setTaskList(shared);
    t->setAssignee(zoe);
    QString html = t->HTMLStringForPrinting();
    EXPECT_TRUE(html.contains(QStringLiteral("<div class=\"creator\">Creator: Me</div>"
                                             "<div class=\"assignee\">Assignee: Zoe</div>")));

    t->addWatcher(zoe);
    t->addWatcher(ann);
    EXPECT_TRUE(
        t->HTMLStringForPrinting().contains(QStringLiteral("<div class=\"watchers\">Watchers: Ann, Zoe</div>")));
}

TEST_F(KNVTCDTaskTextTest, UserTextIsPrintedLiterally)
{
    KNVTCDUser *ann = user(QStringLiteral("<i>Ann</i>"));
    KNVTCDTaskList *l = list(QStringLiteral("R&D <team>"), {ann});
    KNVTCDTask *t = task(QStringLiteral("<b>x</b> & y"));
    t->setNotes(QStringLiteral("<img src=\"x.png\">"));
    t->setTaskList(l);
    t->setCreator(ann);
    t->setAssignee(ann);
    t->addWatcher(ann);

    // Read back as a browser would: every piece of user text comes out as typed.
    const QString html = t->HTMLStringForPrinting();
    EXPECT_TRUE(html.contains(QStringLiteral("<div class=\"title\">&lt;b&gt;x&lt;/b&gt; &amp; y</div>")));
    QTextDocument document;
    document.setHtml(html);
    const QString text = document.toPlainText();
    EXPECT_TRUE(text.contains(QStringLiteral("<b>x</b> & y")));
    EXPECT_TRUE(text.contains(QStringLiteral("List: R&D <team>")));
    EXPECT_TRUE(text.contains(QStringLiteral("Assignee: <i>Ann</i>")));
    EXPECT_TRUE(text.contains(QStringLiteral("<img src=\"x.png\">")));
}

TEST_F(KNVTCDTaskTextTest, ShareTextListsDatesOnlyForClosedTasks)
{
    KNVTCDTask *t = task(QStringLiteral("Call"));
    t->setStartDate(localDate(2015, 3, 5));
    t->setDueDate(localDate(2015, 3, 6));
    t->setNotes(QStringLiteral("about the roof"));
    EXPECT_EQ(t->shareActivityText(), QStringLiteral("- Call\n\nabout the roof\n"));

    // A closed one lists a future start and the due date.
    t->markAsCompleted();
    EXPECT_EQ(t->shareActivityText(),
              QStringLiteral("✓ Call\nStart Date: Thu, Mar 05, 2015\n"
                             "Due Date: Fri, Mar 06, 2015\n\nabout the roof\n"));

    t->markAsCancelled();
    t->setStartDate(localDate(2015, 3, 1));
    t->setNotes(QString(""));
    EXPECT_EQ(t->shareActivityText(), QStringLiteral("x Call\nDue Date: Fri, Mar 06, 2015\n"));
}

} // namespace
