#pragma once

#include "editors/EditorObjects.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTag.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskComment.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDTaskListCollaborator.h"
#include "model/KNVTCDUser.h"

#include "uikit/Popover.h"

#include "support/CountingBeeper.h"
#include "support/FakeClock.h"
#include "support/FakeSaveScheduler.h"
#include "support/ScriptedAlertPresenter.h"
#include "support/TaskStoreBuilder.h"
#include "support/TaskStoreSandbox.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

// Editors work on the shared task store. Each test gets a store on a fresh library of its own, installed as the
// shared one, with a fake midnight alarm; a fixed clock (Wednesday 4 March 2015, 12:00 in New York), counted beeps, scripted
// alerts and a save scheduler that runs the editors' delayed saves only when the test says so. Objects are made with
// the shared generator (`make`) around the library's own local user, through the short helpers below.
class EditorsFixture : public ::testing::Test
{
protected:
    using Member = knvt::test::MemberSpec;

    void SetUp() override
    {
        knvt::Popover::animationsEnabled = false;
        sandbox = std::make_unique<knvt::test::TaskStoreSandbox>();
        store = &sandbox->store();
        ASSERT_NE(store->managedObjectContext(), nullptr);
        me = store->me();
        ASSERT_NE(me, nullptr);
        make.setContext(store->managedObjectContext());
        me->setFirstName(QStringLiteral("Maria"));
        me->setLastName(QStringLiteral("Mendes"));
        me->setUsername(QStringLiteral("maria"));
        ASSERT_TRUE(store->save());
    }

    void TearDown() override
    {
        for (QWidget *widget : QApplication::topLevelWidgets())
            widget->close();
        QApplication::processEvents();
        sandbox.reset();
        knvt::Popover::animationsEnabled = true;
    }

    static QDateTime now() { return QDateTime(QDate(2015, 3, 4), QTime(12, 0)); }
    static QDateTime day(int dayOfMarch, int hour = 0, int minute = 0)
    {
        return QDateTime(QDate(2015, 3, dayOfMarch), QTime(hour, minute));
    }

    KNVTCDUser *user(const QString &first, const QString &last, const QString &username)
    {
        return make.user({.username = username,
                          .firstName = first,
                          .lastName = last,
                          .friendshipStatus = KNVTUserFriendshipStatusFriend});
    }

    // An actionable project (or area) that I own, shared with `others` (editors who accepted, unless they say
    // otherwise).
    KNVTCDTaskList *taskList(const QString &title, std::vector<Member> others = {}, bool area = false)
    {
        std::vector<Member> members{{me, KNVTTaskListCollaboratorRoleOwner}};
        members.insert(members.end(), others.begin(), others.end());
        return make.taskList({.title = title,
                              .type = area ? KNVTTaskListTypeArea : KNVTTaskListTypeProject,
                              .status = KNVTTaskListStatusActionable,
                              .members = members});
    }

    // An actionable task of mine, created by me.
    KNVTCDTask *task(const QString &title, KNVTCDTaskList *list = nullptr)
    {
        return make.task(
            {.title = title, .status = KNVTTaskStatusActionable, .assignee = me, .creator = me, .list = list});
    }

    // A comment written now.
    KNVTCDTaskComment *comment(KNVTCDTask *onTask, const QString &text, KNVTCDUser *author)
    {
        KNVTCDTaskComment *c = make.comment({.task = onTask, .text = text, .created = clock.now(), .author = author});
        c->setModifiedDate(clock.now());
        return c;
    }

    KNVTCDTag *tag(const QString &title) { return make.tag({.title = title, .creator = me}); }

    void save() { ASSERT_TRUE(store->save()); }

    // Lets queued work (deferred clicks, zero-delay blocks) run.
    static void settle()
    {
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
    }

    knvt::test::FakeClock clock{now()};
    knvt::test::CountingBeeper beeper;
    knvt::ScriptedAlertPresenter alerts;
    knvt::test::FakeSaveScheduler saves;
    std::unique_ptr<knvt::test::TaskStoreSandbox> sandbox;
    KNVTTaskStore *store = nullptr;
    KNVTCDUser *me = nullptr;
    knvt::test::TaskStoreBuilder make;
};
