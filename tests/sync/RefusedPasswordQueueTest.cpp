// A session waiting in the queue when the password is refused: it sends nothing until a password is typed again,
// however long the refusal lasts and whatever the timers do meanwhile.
#include "SyncCoordinatorTest.h"

TEST_F(SyncCoordinatorTest, ASyncAskedForJustBeforeThePasswordWasRefusedWaitsForThePasswordTypedAgain)
{
    setSyncSettings(true, true);
    startCoordinator();
    // Asked for while the password was good, and refused (by a check of another window) before its turn came.
    coordinator().startSyncSessionIfRequired();
    store().setAuthenticationFailureDate(m_clock.now());
    spin(interval() * 2);
    EXPECT_TRUE(fake.requests().empty()) << "the refused password went out again";
    EXPECT_EQ(sessionStarts(), 0);

    KNVTGenericKeychainItem::genericKeychainItemForService(QStringLiteral("Hollowpine"), QStringLiteral("ann"), {})
        ->removeFromKeychain();
    KNVTGenericKeychainItem::genericKeychainItemWithService(QStringLiteral("Hollowpine"), QStringLiteral("ann"), {},
                                                            QStringLiteral("newpass2"));
    // What the password window's Save does once the service took the new password.
    store().resetAuthenticationFailureDate();
    coordinator().startSyncSessionIfRequired();
    ASSERT_TRUE(waitUntil([this] { return fake.count("GET", "/account.json") == 1; }, std::chrono::seconds(30)));
    ASSERT_TRUE(waitForIdle());
    EXPECT_EQ(sessionStarts(), 1) << "the waiting session is the sync the new password asks for";
    EXPECT_EQ(fake.count("GET", "/account.json"), 1);
    EXPECT_EQ(fake.requests().front().header("Authorization"), QByteArray("Basic YW5uOm5ld3Bhc3My"));
}
