#include "QueryFixture.h"

#include "store/KNVTUserGroup.h"

namespace {

class UserGroup : public QueryFixture
{
protected:
    KNVTUserGroup group(unsigned int type) { return KNVTUserGroup(KNVTUserGroupType(type), &store()); }
};

TEST_F(UserGroup, NamesFollowTheType)
{
    const char *names[] = {"All", "Collaborators", "Friends", "Invited", "Pending"};
    for (unsigned int type = 0; type < 5; ++type) {
        EXPECT_EQ(group(type).localizedDisplayName(), names[type]);
        EXPECT_EQ(group(type).type(), type);
    }
}

TEST_F(UserGroup, AnUnknownTypeHasNoNameAndNoUsers)
{
    user("anna", 3);
    EXPECT_TRUE(group(5).localizedDisplayName().isEmpty());
    EXPECT_TRUE(group(5).users().empty());
}

TEST_F(UserGroup, EachGroupAsksItsQuery)
{
    KNVTCDUser *anna = user("anna", 3);
    user("bert", 1);
    user("carl", 2);
    KNVTCDUser *dora = user("dora", 0);
    KNVTCDTaskList *list = taskList("Shared", 1, 2, 2);
    member(list, anna, 2, 2);
    member(list, dora, 2, 1);
    // A tombstoned membership alone does not make a collaborator.
    KNVTCDUser *emil = user("emil", 0);
    member(list, emil, 2, 2)->setDeletedDate(noon());

    EXPECT_EQ(usernames(group(KNVTUserGroupTypeAll).users()), sorted({"me", "anna", "bert", "carl", "dora", "emil"}));
    // I am never among the collaborators; a friend who collaborates is in both groups.
    EXPECT_EQ(usernames(group(KNVTUserGroupTypeCollaborators).users()), sorted({"anna", "dora"}));
    EXPECT_EQ(usernames(group(KNVTUserGroupTypeFriends).users()), QStringList{"anna"});
    EXPECT_EQ(usernames(group(KNVTUserGroupTypeInvited).users()), QStringList{"bert"});
    EXPECT_EQ(usernames(group(KNVTUserGroupTypePending).users()), QStringList{"carl"});
}

TEST_F(UserGroup, AnsweredInvitationMovesTheUserOnTheNextRead)
{
    KNVTCDUser *carl = user("carl", 2);
    const KNVTUserGroup pending = group(KNVTUserGroupTypePending);
    const KNVTUserGroup friends = group(KNVTUserGroupTypeFriends);
    EXPECT_EQ(usernames(pending.users()), QStringList{"carl"});
    carl->setFriendshipStatus(3);
    EXPECT_TRUE(pending.users().empty());
    EXPECT_EQ(usernames(friends.users()), QStringList{"carl"});
}

} // namespace
