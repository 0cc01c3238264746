#include "KNVTCDTaskListTest.h"

namespace {

using KNVTCDTaskListSharingTest = KNVTCDTaskListTest;

struct Permissions
{
    bool view, edit, remove, share, review, editTasks, addTasks, removeTasks, unsubscribe;
    bool operator==(const Permissions &) const = default;
};

std::ostream &operator<<(std::ostream &out, const Permissions &p)
{
    return out << "view " << p.view << " edit " << p.edit << " remove " << p.remove << " share " << p.share
               << " review " << p.review << " editTasks " << p.editTasks << " addTasks " << p.addTasks
               << " removeTasks " << p.removeTasks << " unsubscribe " << p.unsubscribe;
}

Permissions permissions(const KNVTCDTaskList *l)
{
    return {l->canView(),      l->canEdit(),     l->canRemove(),      l->canShare(),      l->canReview(),
            l->canEditTasks(), l->canAddTasks(), l->canRemoveTasks(), l->canUnsubscribe()};
}

TEST_F(KNVTCDTaskListSharingTest, OwnListAlone)
{
    KNVTCDTaskList *l = myList();
    EXPECT_EQ(permissions(l), (Permissions{true, true, true, true, true, true, true, true, false}));
    EXPECT_FALSE(l->isCollaborative());

    // Archiving takes away the work on tasks, not the list itself.
    l->setArchived(true);
    EXPECT_EQ(permissions(l), (Permissions{true, true, true, true, true, false, false, false, false}));
}

TEST_F(KNVTCDTaskListSharingTest, ListSharedWithMeAsEditor)
{
    KNVTCDTaskList *l = list();
    row(l, user(QStringLiteral("Owner"), 2), 1);
    row(l, me(), 2, 1);
    EXPECT_EQ(permissions(l), (Permissions{true, false, false, false, true, true, true, true, true}))
        << "a pending invitation grants what the role grants";
    EXPECT_TRUE(l->isCollaborative());
    EXPECT_FALSE(l->isShared());
    EXPECT_TRUE(l->isSubscribed());
}

TEST_F(KNVTCDTaskListSharingTest, WithoutMyRowNoRoleGrantsAnything)
{
    KNVTCDTaskList *l = list();
    row(l, user(QStringLiteral("Owner"), 2), 1);
    EXPECT_EQ(permissions(l), (Permissions{}));
    me();
    KNVTCDTaskListCollaborator *mine = row(l, me());
    mine->setRole(std::nullopt);
    EXPECT_EQ(permissions(l), (Permissions{true, false, false, false, false, false, false, false, true}))
        << "a row without a role can still leave";
}

TEST_F(KNVTCDTaskListSharingTest, AddingATaskNeedsBothSides)
{
    KNVTCDTaskList *l = myList();
    EXPECT_FALSE(l->canAddTask(nullptr));
    KNVTCDTask *inbox = task(nullptr);
    EXPECT_TRUE(l->canAddTask(inbox));

    KNVTCDTaskList *closed = myList(QStringLiteral("closed"));
    closed->setArchived(true);
    EXPECT_FALSE(l->canAddTask(task(closed)));
}

TEST_F(KNVTCDTaskListSharingTest, StopSharingAsksFirst)
{
    KNVTCDTaskList *l = myList(QStringLiteral("Garden"), 1);
    KNVTCDTaskListCollaborator *ann = row(l, user(QStringLiteral("Ann"), 2));
    KNVTTaskListScriptedAlert alert = KNVTTaskListScriptedAlert::answering(1);
    KNVTTaskListCompletionRecorder completion;
    l->performStopSharingWithAlertHandler(alert.handler(), completion.handler());
    ASSERT_EQ(alert.questions.size(), 1u);
    EXPECT_EQ(alert.questions[0].title, "Are you sure that you want to stop sharing the Project \"Garden\"?");
    EXPECT_EQ(alert.questions[0].message,
              "If you stop sharing the project, all of the current collaborators will be removed from it, and they "
              "will be unable to complete any of the Task assigned to them.");
    EXPECT_EQ(alert.questions[0].buttonTitles, (QStringList{"Stop Sharing", "Cancel"}));
    EXPECT_EQ(alert.questions[0].cancelIndex, 1);
    EXPECT_EQ(alert.questions[0].destructiveIndex, 0);
    EXPECT_EQ(completion.answers, std::vector<bool>{false});
    EXPECT_TRUE(l->isShared());
    EXPECT_FALSE(ann->deletedDate().isValid());

    l->setType(2);
    l->setTitle(QStringLiteral("Home"));
    l->performStopSharingWithAlertHandler(alert.handler());
    ASSERT_EQ(alert.questions.size(), 2u);
    EXPECT_EQ(alert.questions[1].title, "Are you sure that you want to stop sharing the Area \"Home\"?");
    EXPECT_EQ(alert.questions[1].message,
              "If you stop sharing the area, all of the current collaborators will be removed from it, and they "
              "will be unable to complete any of the Task assigned to them.");
}

TEST_F(KNVTCDTaskListSharingTest, StopSharingWithdrawsSyncedMembersThroughTheService)
{
    KNVTCDTaskList *l = synced(myList(), 1);
    KNVTCDTaskListCollaborator *mine = synced(l->myTaskListCollaborator(), 10);
    KNVTCDUser *ann = user(QStringLiteral("Ann"), 2);
    KNVTCDTaskListCollaborator *annRow = synced(row(l, ann), 11);
    KNVTCDTaskListCollaborator *bobRow = synced(row(l, user(QStringLiteral("Bob"), 3)), 12);
    KNVTCDTaskListCollaborator *newRow = row(l, user(QStringLiteral("Cid"), 4), 2, 1);
    KNVTCDTask *assigned = task(l);
    assigned->setAssignee(ann);
    ASSERT_TRUE(l->isShared());

    clock.advance(7);
    KNVTTaskListCompletionRecorder completion;
    l->performStopSharingWithAlertHandler(KNVTTaskListScriptedAlert::answering(0).handler(), completion.handler());
    EXPECT_EQ(completion.answers, std::vector<bool>{true});
    EXPECT_FALSE(l->isShared());

    // The two rows the service knows become tombstones, so the next push sends their DELETEs.
    for (KNVTCDTaskListCollaborator *r : {annRow, bobRow}) {
        EXPECT_FALSE(r->isDeleted());
        EXPECT_EQ(r->taskList(), l);
        EXPECT_EQ(r->attributesForKeys(r->changedKeys()), (QJsonObject{{"deleted_at", "2015-03-04T10:20:37+0000"}}));
    }
    // The row never pushed needs no DELETE: it goes at once.
    EXPECT_TRUE(newRow->isDeleted());
    EXPECT_EQ(l->taskListCollaborators().size(), 3u);

    EXPECT_FALSE(mine->deletedDate().isValid());
    EXPECT_TRUE(mine->changedKeysString().isNull());
    EXPECT_EQ(assigned->assignee(), ann) << "the tasks stay as they are";
}

TEST_F(KNVTCDTaskListSharingTest, ResendingInvitationsRecordsEveryOpenInvitation)
{
    KNVTCDTaskList *l = myList();
    KNVTCDTaskListCollaborator *pending = synced(row(l, user(QStringLiteral("Ann"), 2), 2, 1), 11);
    KNVTCDTaskListCollaborator *accepted = synced(row(l, user(QStringLiteral("Bob"), 3), 2, 2), 12);
    KNVTCDTaskListCollaborator *declined = synced(row(l, user(QStringLiteral("Cid"), 4), 2, 3), 13);

    EXPECT_TRUE(l->resendInvitations());
    EXPECT_EQ(pending->status(), 1);
    EXPECT_EQ(keys(pending), QSet<QString>{"status"}) << "re-sent although it already was pending";
    EXPECT_EQ(declined->status(), 1);
    EXPECT_TRUE(accepted->changedKeysString().isNull());
}

TEST_F(KNVTCDTaskListSharingTest, UnsubscribingDeclinesOnMyRow)
{
    KNVTCDTaskList *l = synced(list(), 1);
    row(l, user(QStringLiteral("Owner"), 2), 1);
    me();
    EXPECT_EQ(l->unsubscribe(), nullptr) << "no row of mine, nothing to decline";
    EXPECT_FALSE(l->taskListCollaboratorStatus().has_value());

    KNVTCDTaskListCollaborator *mine = synced(row(l, me(), 2, 2), 10);
    l->setChangedKeysString(QString());
    EXPECT_EQ(l->unsubscribe(), mine);
    EXPECT_EQ(mine->status(), 3);
    EXPECT_EQ(keys(mine), QSet<QString>{"status"});
    EXPECT_EQ(l->taskListCollaboratorStatus(), 3);
    EXPECT_TRUE(l->changedKeysString().isNull()) << "the mirror is never pushed as the list's";
}

} // namespace
