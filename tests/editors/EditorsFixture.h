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

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

// Editors work on the shared task store. Each test gets a fresh library in the process's own data folder (the library
// is removed again at the end), a fixed clock (Wednesday 4 March 2015, 12:00 in New York), counted beeps, scripted
// alerts and a save scheduler that runs the editors' delayed saves only when the test says so.
class EditorsFixture : public ::testing::Test
{
protected:
    struct Member
    {
        KNVTCDUser *user = nullptr;
        qint64 role = 2;   // editor
        qint64 status = 2; // accepted
    };

    void SetUp() override
    {
        knvt::Popover::animationsEnabled = false;
        store = KNVTTaskStore::defaultTaskStore();
        // The real midnight alarm would take the fixed clock's midnights, long past, for due at once.
        store->invalidateSystemInformationTimer();
        ASSERT_NE(store->managedObjectContext(), nullptr);
        me = store->me();
        ASSERT_NE(me, nullptr);
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
        store->unconfigureAccount();
        store->invalidateSystemInformationTimer();
        QApplication::processEvents();
        knvt::Popover::animationsEnabled = true;
    }

    static QDateTime now() { return QDateTime(QDate(2015, 3, 4), QTime(12, 0)); }
    static QDateTime day(int dayOfMarch, int hour = 0, int minute = 0)
    {
        return QDateTime(QDate(2015, 3, dayOfMarch), QTime(hour, minute));
    }

    KNVTCDUser *user(const QString &first, const QString &last, const QString &username)
    {
        auto *u = store->managedObjectContext()->insert<KNVTCDUser>();
        u->setFirstName(first);
        u->setLastName(last);
        u->setUsername(username);
        u->setFriendshipStatus(3);
        return u;
    }

    // A project (or area) I own, shared with `others`.
    KNVTCDTaskList *taskList(const QString &title, std::vector<Member> others = {}, bool area = false)
    {
        KNVTCDTaskList *list = area ? store->areaWithTitle(title) : store->projectWithTitle(title);
        list->setStatus(2);
        for (const Member &member : others) {
            KNVTCDTaskListCollaborator *row = store->taskListCollaboratorWithUser(member.user, list, member.role);
            row->setStatus(member.status);
        }
        return list;
    }

    KNVTCDTask *task(const QString &title, KNVTCDTaskList *list = nullptr)
    {
        KNVTCDTask *t = store->taskWithTitle(title);
        t->setStatus(2);
        if (list)
            t->setTaskList(list);
        return t;
    }

    KNVTCDTaskComment *comment(KNVTCDTask *onTask, const QString &text, KNVTCDUser *author)
    {
        KNVTCDTaskComment *c = store->commentWithText(text, onTask);
        c->setUser(author);
        return c;
    }

    KNVTCDTag *tag(const QString &title) { return store->tagWithTitle(title); }

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
    KNVTTaskStore *store = nullptr;
    KNVTCDUser *me = nullptr;
};
