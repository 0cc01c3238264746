#pragma once

#include "sync/KNVTTaskStoreDynamicSyncSession.h"
#include "sync/KNVTTaskStoreDynamicSyncSessionDelegate.h"
#include "sync/KNVTTaskStoreSyncPlan.h"
#include "sync/KNVTTaskStoreSyncResources.h"

#include "model/ContextAdditions.h"
#include "model/KNVTCDAvatar.h"
#include "model/KNVTCDFriendship.h"
#include "model/KNVTCDModel.h"
#include "model/KNVTCDTag.h"
#include "model/KNVTCDTaggedTask.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskComment.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDTaskListCollaborator.h"
#include "model/KNVTCDUser.h"

#include "service/KNVTRequest.h"

#include "objectstore/Context.h"
#include "objectstore/Coordinator.h"
#include "objectstore/Where.h"

#include "support/FakeSyncService.h"
#include "support/SyncFixtures.h"
#include "support/WaitUntil.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

// Drives dynamic sessions the way the coordinator does: it queues nothing, but gives each session a context on the
// library, answers its requests through the request plans, keeps the main context told of the session's saves and
// records how each session ended. The account is "ann" (user 42) against a fake service over real HTTP.
class SyncSessionTest : public ::testing::Test, public KNVTTaskStoreDynamicSyncSessionDelegate
{
protected:
    enum class Outcome { None, Finished, Failed, Cancelled };

    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        KNVTSetSyncServiceAPIURLString(m_fake.baseURL());
        KNVTRequest::setDefaultTimeoutInterval(2.0);
        openLibrary();
        KNVTCDUser *me = m_main->insert<KNVTCDUser>();
        me->setUsername(QStringLiteral("ann"));
        me->setNumericIdentifier(42);
        me->setFriendshipStatus(6);
        save();
    }

    void TearDown() override
    {
        m_session.reset();
        m_main.reset();
        m_coordinator.reset();
        KNVTSetSyncServiceAPIURLString(QString());
        KNVTRequest::setDefaultTimeoutInterval(0);
        for (const auto &request : m_fake.unmatched())
            ADD_FAILURE() << "unmatched " << request.method.constData() << ' ' << request.path.constData();
    }

    void openLibrary()
    {
        m_coordinator = std::make_unique<ostore::Coordinator>(KNVTCDModel());
        knvt::Error error;
        ASSERT_TRUE(m_coordinator->open(m_dir.filePath(QStringLiteral("TaskStoreData.sqlite3")), nullptr, &error))
            << qPrintable(error.description());
        m_main = std::make_unique<ostore::Context>(m_coordinator.get());
    }

    // A process restart: everything unsaved is lost.
    void reopenLibrary()
    {
        m_session.reset();
        m_main.reset();
        m_coordinator.reset();
        openLibrary();
    }

    void save()
    {
        knvt::Error error;
        ASSERT_TRUE(m_main->save(&error)) << qPrintable(error.description());
    }

    std::shared_ptr<KNVTTaskStoreDynamicSyncSession> makeSession(bool push = true, bool pull = true,
                                                                 bool useETags = false)
    {
        auto session = std::make_shared<KNVTTaskStoreDynamicSyncSession>(
            push ? knvt::syncPushResources() : QStringList(), pull ? knvt::syncPullResources() : QStringList());
        session->setType(pull ? KNVTTaskStoreSyncSessionTypeSync : KNVTTaskStoreSyncSessionTypePush);
        session->setUseETags(useETags);
        return session;
    }

    // Starts (or resumes) the session as the coordinator does: a context for a session that holds none.
    void start(const std::shared_ptr<KNVTTaskStoreDynamicSyncSession> &session)
    {
        m_session = session;
        m_outcome = Outcome::None;
        if (!session->managedObjectContext()) {
            auto context = std::make_unique<ostore::Context>(m_coordinator.get());
            QObject::connect(context.get(), &ostore::Context::didSave, m_main.get(),
                             [this](const ostore::ChangeSet &changes) {
                                 ++m_sessionSaves;
                                 m_main->mergeChanges(changes, ostore::ChangeOrigin::Merge);
                             });
            session->setManagedObjectContext(std::move(context));
        }
        session->setSyncSessionDelegate(this);
        session->start();
    }

    Outcome run(const std::shared_ptr<KNVTTaskStoreDynamicSyncSession> &session)
    {
        start(session);
        return waitForOutcome();
    }

    Outcome waitForOutcome()
    {
        knvt::test::waitUntil([this] { return m_outcome != Outcome::None; }, std::chrono::seconds(10));
        return m_outcome;
    }

    // Every list pull answers an empty list and the account answers its owner, unless a test scripts otherwise.
    void scriptEmptyService()
    {
        m_fake.on("GET", "/account.json")
            .json(200, knvt::test::body(knvt::test::account(7, knvt::test::user(42, "ann"), 1)));
        for (const char *path :
             {"/friendships.json", "/friendships/invites.json", "/task_lists.json", "/task_lists/pending.json",
              "/task_lists/archived.json", "/task_lists/declined.json", "/tasks/inbox.json", "/tags.json"})
            m_fake.on("GET", path).json(200, knvt::test::listBody());
    }

    // A list as the service sends it in a collection, with the local user's row in `status`.
    static QJsonObject sharedList(qint64 id, const QString &title, qint64 n, const QString &status,
                                  const QJsonObject &fields = {})
    {
        return knvt::test::nest(knvt::test::taskList(id, title, n, fields), QStringLiteral("task_list_collaborators"),
                                {knvt::test::collaborator(id * 10, id, 42, status, QStringLiteral("owner"), n)});
    }

    // A list the service knows, saved in the main context with nothing waiting to be pushed.
    KNVTCDTaskList *syncedList(qint64 id, const QString &title, const QString &status = QStringLiteral("accepted"),
                               const QJsonObject &fields = {})
    {
        auto *list = m_main->insert<KNVTCDTaskList>();
        list->updateWithAttributes(knvt::test::wire(knvt::test::unwrap(sharedList(id, title, 1, status, fields))));
        list->setNeedsUpdating(std::nullopt);
        list->setChangedKeysString(QString());
        for (KNVTCDTaskListCollaborator *row : list->taskListCollaborators())
            row->setChangedKeysString(QString());
        return list;
    }

    // The session's own calls, without the avatar GETs that may run beside them.
    QList<QByteArray> calls() const { return m_fake.calls(); }

    template <class T>
    std::vector<T *> all(const ostore::Predicate &predicate = {})
    {
        return m_main->fetch<T>(predicate);
    }
    template <class T>
    T *withIdentifier(qint64 id)
    {
        return m_main->firstObject<T>(ostore::where::key(QStringLiteral("numericIdentifier")) == id);
    }
    KNVTCDUser *me() { return withIdentifier<KNVTCDUser>(42); }

    // A task the service knows, saved in the main context with nothing waiting to be pushed.
    KNVTCDTask *syncedTask(qint64 id, const QString &title, KNVTCDTaskList *taskList = nullptr)
    {
        auto *task = m_main->insert<KNVTCDTask>();
        QJsonObject attributes = knvt::test::unwrap(knvt::test::task(id, title, 1));
        if (taskList)
            attributes.insert(QStringLiteral("task_list_id"), *taskList->numericIdentifier());
        task->updateWithAttributes(knvt::test::wire(attributes));
        task->setAssignee(me());
        task->setChangedKeysString(QString());
        return task;
    }

    static QJsonObject json(const knvt::test::FakeSyncService::Request &request) { return request.json().object(); }

    // KNVTTaskStoreDynamicSyncSessionDelegate
    KNVTRESTFulRequestSource
    taskStoreDynamicSyncSessionPushRequestSourceForResource(KNVTTaskStoreDynamicSyncSession &session,
                                                            const QString &resource) override
    {
        // As the coordinator makes it, telling the session of the new objects it holds back.
        auto plan = std::make_shared<KNVTTaskStoreSyncPlan>(*session.managedObjectContext(), headers());
        plan->setHeldCreationHandler([&session](ostore::Object &object) { session.creationHeld(object); });
        return KNVTTaskStoreSyncPlan::pushRequestSourceForResource(plan, resource);
    }
    KNVTRESTFulRequestList taskStoreDynamicSyncSessionPullRequestsForResource(KNVTTaskStoreDynamicSyncSession &session,
                                                                              const QString &resource) override
    {
        return KNVTTaskStoreSyncPlan(*session.managedObjectContext(), headers())
            .pullRequestsForResource(resource, session.useETags(), session.staleResourceETags());
    }
    void syncSessionDidFinish(KNVTSyncSession &session) override
    {
        // As the coordinator and the store do with a finished session's tags.
        forgetStaleETags(session);
        const auto &tags = static_cast<KNVTTaskStoreSyncSession &>(session).resourceETags();
        for (auto it = tags.begin(); it != tags.end(); ++it)
            m_storedETags.insert(it.key(), it.value());
        m_outcome = Outcome::Finished;
    }
    void syncSession(KNVTSyncSession &session, const knvt::Error &error) override
    {
        forgetStaleETags(session);
        m_error = error;
        m_outcome = Outcome::Failed;
    }
    void syncSessionDidCancel(KNVTSyncSession &session) override
    {
        forgetStaleETags(session);
        m_outcome = Outcome::Cancelled;
    }
    void forgetStaleETags(KNVTSyncSession &session)
    {
        for (const QString &resource : static_cast<KNVTTaskStoreSyncSession &>(session).staleResourceETags())
            m_storedETags.remove(resource);
    }

    KNVTTaskStoreSyncRequestHeaders headers()
    {
        KNVTTaskStoreSyncRequestHeaders headers;
        headers.HTTPHeaderFields = [] {
            return knvt::HeaderFields{
                {QStringLiteral("Authorization"),
                 KNVTRequest::basicAuthenticationAuthorizationHeaderFieldForUsername(QStringLiteral("ann"),
                                                                                     QStringLiteral("secret1"))},
                {QStringLiteral("X-Application-Identifier"), QStringLiteral("com.hollowpine.macos.quillvane")},
                {QStringLiteral("X-Application-Version"), QStringLiteral("1")}};
        };
        headers.HTTPHeaderFieldsIncludingETagForResource = [this,
                                                            plain = headers.HTTPHeaderFields](const QString &resource) {
            knvt::HeaderFields fields = plain();
            const QString tag = m_storedETags.value(resource).toString();
            if (!tag.isEmpty()) {
                fields.insert(QStringLiteral("ETag"), tag);
                fields.insert(QStringLiteral("If-None-Match"), tag);
            }
            return fields;
        };
        return headers;
    }

    QTemporaryDir m_dir;
    knvt::test::FakeSyncService m_fake;
    std::unique_ptr<ostore::Coordinator> m_coordinator;
    std::unique_ptr<ostore::Context> m_main;
    std::shared_ptr<KNVTTaskStoreDynamicSyncSession> m_session;
    Outcome m_outcome = Outcome::None;
    knvt::Error m_error;
    QVariantMap m_storedETags;
    int m_sessionSaves = 0;
};
