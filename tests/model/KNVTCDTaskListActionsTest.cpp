#include "KNVTCDTaskListTest.h"

namespace {

class KNVTCDTaskListActionsTest : public KNVTCDTaskListTest
{
protected:
    // A synced project with one completed task, one open task and one deleted open task, nothing left to push.
    void SetUp() override
    {
        KNVTCDTaskListTest::SetUp();
        project = synced(list(QStringLiteral("Garden"), 1), 10);
        done = synced(task(project, QStringLiteral("done"), 4), 11);
        open = synced(task(project, QStringLiteral("open"), 2), 12);
        deleted = synced(task(project, QStringLiteral("deleted"), 2), 13);
        deleted->setDeletedDate(date(-60));
        deleted->setChangedKeysString(QString());
        project->setChangedKeysString(QString());
    }

    bool untouched() const
    {
        return project->status() == 2 && !project->isArchived() && project->changedKeysString().isNull()
            && open->status() == 2 && open->changedKeysString().isNull() && deleted->status() == 2
            && !done->isArchived();
    }

    KNVTCDTaskList *project = nullptr;
    KNVTCDTask *done = nullptr;
    KNVTCDTask *open = nullptr;
    KNVTCDTask *deleted = nullptr;
    KNVTTaskListCompletionRecorder completion;
};

TEST_F(KNVTCDTaskListActionsTest, ArchivingWithNothingOpenAsksNothing)
{
    open->setStatus(4);
    KNVTTaskListScriptedAlert alert = KNVTTaskListScriptedAlert::answering(2);
    project->performArchiveWithAlertHandler(alert.handler(), completion.handler());
    EXPECT_TRUE(alert.questions.empty()) << "a deleted open task is no reason to ask";
    EXPECT_EQ(completion.answers, std::vector<bool>{true});
    EXPECT_TRUE(project->isCompleted());
    EXPECT_TRUE(project->isArchived());
    EXPECT_EQ(deleted->status(), 2) << "the deleted task is left as it is";
}

TEST_F(KNVTCDTaskListActionsTest, ArchiveQuestionOfAProjectAndOfAnArea)
{
    KNVTTaskListScriptedAlert alert = KNVTTaskListScriptedAlert::deferred();
    project->performArchiveWithAlertHandler(alert.handler(), completion.handler());
    ASSERT_EQ(alert.questions.size(), 1u);
    const KNVTTaskListScriptedAlert::Question &question = alert.questions[0];
    EXPECT_EQ(question.title, "Archive Project?");
    EXPECT_EQ(question.message,
              "You have incomplete Tasks in this Project that need completing or cancelling before "
              "the Project can be archived.");
    EXPECT_EQ(question.buttonTitles, (QStringList{"Mark Tasks as Completed", "Mark as Cancelled", "Cancel"}));
    EXPECT_EQ(question.cancelIndex, 2);
    EXPECT_EQ(question.destructiveIndex, -1);
    EXPECT_TRUE(completion.answers.empty()) << "nothing happens before the answer";
    EXPECT_TRUE(untouched());

    project->setType(std::nullopt);
    project->performArchiveWithAlertHandler(alert.handler());
    ASSERT_EQ(alert.questions.size(), 2u);
    EXPECT_EQ(alert.questions[1].title, "Archive Area?");
    EXPECT_EQ(alert.questions[1].message,
              "You have incomplete Tasks in this Area that need completing or cancelling "
              "before the Area can be archived.");
}

TEST_F(KNVTCDTaskListActionsTest, ArchivingClosesTheOpenTasksAsAnswered)
{
    project->performArchiveWithAlertHandler(KNVTTaskListScriptedAlert::answering(0).handler(), completion.handler());
    EXPECT_EQ(completion.answers, std::vector<bool>{true});
    EXPECT_TRUE(open->isCompleted());
    EXPECT_TRUE(project->isCompleted());
    EXPECT_TRUE(project->isArchived());
    EXPECT_TRUE(done->isArchived());
    EXPECT_EQ(keys(project), (QSet<QString>{"status", "statusModifiedDate", "archivedDate"}));

    KNVTCDTaskList *other = list(QStringLiteral("other"));
    KNVTCDTask *otherOpen = task(other, QStringLiteral("open"), 1);
    other->performArchiveWithAlertHandler(KNVTTaskListScriptedAlert::answering(1).handler(), completion.handler());
    EXPECT_EQ(completion.answers, (std::vector<bool>{true, true}));
    EXPECT_TRUE(otherOpen->isCancelled());
    EXPECT_TRUE(other->isCancelled());
    EXPECT_TRUE(other->isArchived());
}

// Any answer but the action's own button declines; completing and cancelling have only their first.
TEST_F(KNVTCDTaskListActionsTest, DecliningChangesNothing)
{
    project->performArchiveWithAlertHandler(KNVTTaskListScriptedAlert::answering(2).handler(), completion.handler());
    project->performMarkAsCompletedWithAlertHandler(KNVTTaskListScriptedAlert::answering(1).handler(),
                                                    completion.handler());
    project->performMarkAsCancelledWithAlertHandler(KNVTTaskListScriptedAlert::answering(-1000).handler(),
                                                    completion.handler());
    EXPECT_EQ(completion.answers, (std::vector<bool>{false, false, false}));
    EXPECT_TRUE(untouched());
}

// Completing and cancelling ask the same way and differ only in their texts (%1: Project or Area) and the status
// they set.
struct Closing
{
    const char *name;
    bool cancelling;
    unsigned int status;
    const char *title, *message, *button;
};

class KNVTCDTaskListClosingTest : public KNVTCDTaskListActionsTest, public ::testing::WithParamInterface<Closing>
{};

TEST_P(KNVTCDTaskListClosingTest, AsksAboutOpenTasksClosesThemAndDoesNotArchive)
{
    const Closing &c = GetParam();
    auto perform = [&](KNVTTaskListScriptedAlert &alert) {
        if (c.cancelling)
            project->performMarkAsCancelledWithAlertHandler(alert.handler(), completion.handler());
        else
            project->performMarkAsCompletedWithAlertHandler(alert.handler(), completion.handler());
    };
    KNVTTaskListScriptedAlert alert = KNVTTaskListScriptedAlert::answering(0);
    perform(alert);
    ASSERT_EQ(alert.questions.size(), 1u);
    EXPECT_EQ(alert.questions[0].title, QString::fromUtf8(c.title).arg("Project"));
    EXPECT_EQ(alert.questions[0].message, QString::fromUtf8(c.message).arg("Project"));
    EXPECT_EQ(alert.questions[0].buttonTitles, (QStringList{c.button, "Cancel"}));
    EXPECT_EQ(alert.questions[0].cancelIndex, 1);
    EXPECT_EQ(alert.questions[0].destructiveIndex, -1);
    EXPECT_EQ(completion.answers, std::vector<bool>{true});
    EXPECT_EQ(open->status(), c.status);
    EXPECT_TRUE(done->isCompleted());
    EXPECT_EQ(project->status(), c.status);
    EXPECT_FALSE(project->isArchived());

    project->setType(2);
    open->setStatus(2);
    project->setStatus(2);
    perform(alert);
    ASSERT_EQ(alert.questions.size(), 2u);
    EXPECT_EQ(alert.questions[1].title, QString::fromUtf8(c.title).arg("Area"));
    EXPECT_EQ(alert.questions[1].message, QString::fromUtf8(c.message).arg("Area"));
}

INSTANTIATE_TEST_SUITE_P(
    Lists, KNVTCDTaskListClosingTest,
    ::testing::Values(
        Closing{"Completing", false, 4, "Complete %1?",
                "You have incomplete Tasks in this %1 that also need completing before it can be completed.",
                "Mark As Completed"},
        Closing{"Cancelling", true, 5, "Cancel %1",
                "You have incomplete Tasks in this %1 that also need to be cancelled before it can be cancelled.",
                "Mark As Cancelled"}),
    [](const ::testing::TestParamInfo<Closing> &closing) { return std::string(closing.param.name); });

TEST_F(KNVTCDTaskListActionsTest, AnswerAfterTheLibraryClosedIsDeclined)
{
    KNVTTaskListScriptedAlert alert = KNVTTaskListScriptedAlert::deferred();
    project->performArchiveWithAlertHandler(alert.handler(), completion.handler());
    close();
    alert.answer(0);
    EXPECT_EQ(completion.answers, std::vector<bool>{false});
}

TEST_F(KNVTCDTaskListActionsTest, ArchiveWithoutAskingCancelsOpenTasksAndCompletesTheList)
{
    project->archive();
    EXPECT_TRUE(open->isCancelled());
    EXPECT_EQ(deleted->status(), 2);
    EXPECT_TRUE(project->isCompleted());
    EXPECT_TRUE(project->isArchived());
}

TEST_F(KNVTCDTaskListActionsTest, StatusChangesAndUnarchiving)
{
    project->markAsCancelled();
    EXPECT_TRUE(project->isCancelled());
    EXPECT_EQ(keys(project), (QSet<QString>{"status", "statusModifiedDate"}));

    project->setArchived(true);
    clock.advance(30);
    project->markAsUncompleted();
    EXPECT_EQ(project->status(), 2);
    EXPECT_FALSE(project->isArchived());
    EXPECT_FALSE(done->isArchived());
    EXPECT_EQ(project->statusModifiedDate(), date(30));
}

TEST_F(KNVTCDTaskListActionsTest, DeletingTombstonesSyncedListsAndRemovesLocalOnes)
{
    clock.advance(5);
    project->markAsDeleted();
    EXPECT_FALSE(project->isDeleted());
    EXPECT_EQ(project->deletedDate(), date(5));
    EXPECT_EQ(project->tasks().size(), 3u) << "the tasks are the store's business";

    KNVTCDTaskList *local = list(QStringLiteral("local"));
    local->markAsDeleted();
    EXPECT_TRUE(local->isDeleted());
    EXPECT_EQ(knvt::countForFetchRequestForEntityName(context(), QStringLiteral("KNVTCDTaskList")), 1);
}

} // namespace
