#pragma once

// A store of its own on a scratch library, installed as the shared store,, the fake sync service, the in-memory keychain, a fixed clock and the kit's
// animations off: what every test of the account windows stands on.
#include "store/KNVTTaskStore.h"
#include "store/KNVTTaskStoreSyncCoordinating.h"

#include "model/ContextAdditions.h"
#include "model/KNVTCDAvatar.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDTaskListCollaborator.h"
#include "model/KNVTCDUser.h"

#include "foundation/Defaults.h"
#include "foundation/KNVTGenericKeychainItem.h"

#include "uikit/KNVTSwitch.h"
#include "uikit/Popover.h"

#include "support/FakeClock.h"
#include "support/FakeReachability.h"
#include "support/FakeSyncService.h"
#include "support/ScopedInMemoryKeychain.h"
#include "support/ScopedSyncServiceClient.h"
#include "support/SyncFixtures.h"
#include "support/TaskStoreBuilder.h"
#include "support/TaskStoreSandbox.h"
#include "support/WaitUntil.h"

#include <QTest>

#include <gtest/gtest.h>

#include <memory>

// The widget named `name` inside `window`; a test failure when there is none.
template <class T = QWidget>
T *child(QWidget *window, const char *name)
{
    T *found = window->findChild<T *>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

class AccountsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        knvt::Popover::animationsEnabled = false;
        KNVTSwitch::setAnimationsEnabled(false);
        m_sandbox = std::make_unique<knvt::test::TaskStoreSandbox>();
        m_store = &m_sandbox->store();
        m_make.setContext(m_store->managedObjectContext());
        ASSERT_NE(m_store->managedObjectContext(), nullptr);
        // Configuring an account downloads the owner's picture; by default there is none.
        fake.on("GET", "/users/42/avatar/medium.png").reply(404);
    }

    void TearDown() override
    {
        // Windows released with deleteLater() go before the store they show.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_sandbox.reset();
        KNVTTaskStoreSyncCoordinating::setFactory({});
    }

    KNVTTaskStore &store() { return *m_store; }
    ostore::Context &context() { return *m_store->managedObjectContext(); }
    // The errors the store presented to the user, oldest first.
    const std::vector<knvt::Error> &presentedErrors() const { return m_sandbox->presentedErrors(); }
    void save()
    {
        knvt::Error error;
        ASSERT_TRUE(m_store->save(&error)) << qPrintable(error.description());
    }

    // The reply of the service to an accepted check: account 7 owned by user 42 under `username`.
    static QByteArray accountReply(const QString &username = QStringLiteral("ann"))
    {
        return QJsonDocument(knvt::test::account(7, knvt::test::user(42, username), 1)).toJson(QJsonDocument::Compact);
    }

    // Signed in as `username` (user 42, account 7) with the password "secret1".
    void configureAccount(const QString &username = QStringLiteral("ann"))
    {
        storePassword(username, QStringLiteral("secret1"));
        m_store->configureWithAccountAttributes(
            knvt::test::wire(knvt::test::unwrap(knvt::test::account(7, knvt::test::user(42, username), 1))));
        ASSERT_TRUE(m_store->isConfigured());
    }

    static void storePassword(const QString &account, const QString &password)
    {
        KNVTGenericKeychainItem::genericKeychainItemWithService(QStringLiteral("Hollowpine"), account, {}, password);
    }

    // The stored password of `account`; a null string when there is no item.
    static QString storedPassword(const QString &account)
    {
        const auto item =
            KNVTGenericKeychainItem::genericKeychainItemForService(QStringLiteral("Hollowpine"), account, {});
        return item ? item->password() : QString();
    }

    KNVTCDUser *insertUser(const QString &fullName, const QString &username, qint64 friendshipStatus = 3)
    {
        const qsizetype space = fullName.indexOf(u' ');
        return m_make.user({.username = username,
                            .firstName = space < 0 ? fullName : fullName.left(space),
                            .lastName = space < 0 ? QString() : fullName.mid(space + 1),
                            .friendshipStatus = friendshipStatus});
    }

    // A list with its collaborators: `owner` with role 1 (none: no owner record) and each editor with role 2,
    // all accepted unless `status` says otherwise for the editors.
    KNVTCDTaskList *insertTaskList(const QString &title, qint64 type, KNVTCDUser *owner,
                                   const std::vector<KNVTCDUser *> &editors = {}, qint64 status = 2)
    {
        std::vector<knvt::test::MemberSpec> members;
        if (owner)
            members.push_back({owner, KNVTTaskListCollaboratorRoleOwner});
        for (KNVTCDUser *editor : editors)
            members.push_back({editor, KNVTTaskListCollaboratorRoleEditor, status});
        return m_make.taskList({.title = title, .type = type, .status = 2, .members = members});
    }

    KNVTCDTaskListCollaborator *insertCollaborator(KNVTCDTaskList *list, KNVTCDUser *user, qint64 role, qint64 status)
    {
        return m_make.collaborator(list, user, role, status);
    }

    KNVTCDTask *insertTask(const QString &title) { return m_make.task({.title = title}); }

    static QImage picture(QSize size, QColor color)
    {
        QImage image(size, QImage::Format_ARGB32);
        image.fill(color);
        return image;
    }

    knvt::test::FakeClock m_clock{QDateTime(QDate(2015, 3, 4), QTime(10, 20, 30))};
    // A coordinator the windows start hears of no network change of the machine.
    knvt::FakeReachability m_network;
    knvt::test::ScopedInMemoryKeychain keychain;
    knvt::test::FakeSyncService fake;
    knvt::test::ScopedSyncServiceClient client{fake, 2.0};

private:
    std::unique_ptr<knvt::test::TaskStoreSandbox> m_sandbox;
    KNVTTaskStore *m_store = nullptr;
    knvt::test::TaskStoreBuilder m_make;
};
