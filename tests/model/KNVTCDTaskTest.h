#pragma once

#include "ModelTest.h"

#include "support/FakeClock.h"

#include "model/KNVTRecurrence.h"

#include "foundation/JSONDocument.h"
#include "foundation/KNVTAlertHandler.h"

#include <QJsonDocument>
#include <QSet>

#include <optional>
#include <vector>

// What a scripted alert handler was asked.
struct KNVTTaskAlertQuestion
{
    QString title;
    QString message;
    QStringList buttonTitles;
    int cancelButtonIndex = -2;
    int destructiveButtonIndex = -2;
};

// A library with a fixed clock (Wednesday 4 March 2015, 15:00 in New York), the local user "Me" and helpers to
// build tasks, users and shared lists.
class KNVTCDTaskTest : public ModelTest
{
protected:
    void TearDown() override
    {
        KNVTCDTask::setStandardAlertHandler({});
        ModelTest::TearDown();
    }

    static QDateTime localDate(int year, int month, int day, int hour = 0, int minute = 0)
    {
        return QDateTime(QDate(year, month, day), QTime(hour, minute));
    }
    static QDateTime now() { return localDate(2015, 3, 4, 15); }
    static QDateTime todayStart() { return localDate(2015, 3, 4); }

    // The fixture's defaults over the shared builder: "Me" and others named by their full name, projects the local
    // user owns, and synced objects as the service last sent them.
    KNVTCDUser *me()
    {
        return make().me({.fullName = QStringLiteral("Me"), .extendedDisplayName = QStringLiteral("Me")});
    }

    KNVTCDUser *user(const QString &fullName, std::optional<qint64> numericIdentifier = std::nullopt)
    {
        return make().user({.numericIdentifier = numericIdentifier,
                            .fullName = fullName,
                            .extendedDisplayName = fullName,
                            .friendshipStatus = KNVTUserFriendshipStatusFriend});
    }

    KNVTCDTask *task(const QString &title = QStringLiteral("Task"), KNVTCDTaskList *in = nullptr)
    {
        return make().task({.title = title, .list = in});
    }

    // A list the local user owns, with an editor row for each of `editors`.
    KNVTCDTaskList *list(const QString &title, const std::vector<KNVTCDUser *> &editors = {},
                         std::optional<qint64> numericIdentifier = std::nullopt)
    {
        knvt::test::TaskListSpec spec{.title = title,
                                      .type = KNVTTaskListTypeProject,
                                      .status = KNVTTaskListStatusActionable,
                                      .numericIdentifier = numericIdentifier,
                                      .members = {{me(), KNVTTaskListCollaboratorRoleOwner}}};
        for (KNVTCDUser *editor : editors)
            spec.members.push_back({editor});
        return make().taskList(spec);
    }

    KNVTCDTag *tag(const QString &title, std::optional<qint64> numericIdentifier = std::nullopt)
    {
        return make().tag({.title = title, .numericIdentifier = numericIdentifier});
    }

    // A task as the service last sent it: synced, dated, nothing to push.
    KNVTCDTask *syncedTask(const QString &title, qint64 numericIdentifier)
    {
        return make().synced(make().task({.title = title, .created = date(), .modified = date()}), numericIdentifier);
    }

    // A comment on `on`; with an identifier, as the service last sent it.
    KNVTCDTaskComment *comment(KNVTCDTask *on, const QString &text, const QDateTime &created,
                               std::optional<qint64> numericIdentifier = std::nullopt)
    {
        return make().comment({.task = on, .text = text, .created = created, .numericIdentifier = numericIdentifier});
    }

    // Keeps what it was asked and answers with `answer` at once, or, without one, once the test calls answer().
    KNVTAlertHandler answering(std::optional<int> answer)
    {
        return [this, answer](const QString &title, const QString &message, const QStringList &buttonTitles,
                              int cancelButtonIndex, int destructiveButtonIndex, KNVTAlertIndexHandler indexHandler) {
            m_questions.push_back({title, message, buttonTitles, cancelButtonIndex, destructiveButtonIndex});
            if (answer)
                indexHandler(*answer);
            else
                m_pending = std::move(indexHandler);
        };
    }
    KNVTAlertHandler deferring() { return answering(std::nullopt); }
    void answer(int index)
    {
        ASSERT_TRUE(m_pending);
        KNVTAlertIndexHandler pending = std::move(m_pending);
        m_pending = nullptr;
        pending(index);
    }

    static QSet<QString> keysOf(const KNVTCDTaskStoreObject *object)
    {
        const QStringList keys = object->changedKeys();
        return QSet<QString>(keys.begin(), keys.end());
    }
    static QSet<QString> set(std::initializer_list<const char *> names)
    {
        QSet<QString> s;
        for (const char *name : names)
            s.insert(QString::fromUtf8(name));
        return s;
    }
    static knvt::JSONDocument json(const char *text) { return knvt::JSONDocument::fromJson(QByteArray(text)); }

    knvt::test::FakeClock m_clock{now()};
    std::vector<KNVTTaskAlertQuestion> m_questions;
    KNVTAlertIndexHandler m_pending;
};
