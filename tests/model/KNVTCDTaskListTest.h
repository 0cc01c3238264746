#pragma once

#include "ModelTest.h"

#include "model/KNVTRecurrence.h"

#include "support/FakeClock.h"

#include <QJsonArray>
#include <QSet>

#include <optional>

// Projects and areas with their members: the local user, other users, rows, tasks, and a clock that stands still
// at Wednesday 4 March 2015, 10:20:30 UTC (05:20:30 in New York).
class KNVTCDTaskListTest : public ModelTest
{
protected:
    knvt::test::FakeClock clock{date()};

    // The fixture's defaults over the shared builder.
    KNVTCDUser *me() { return make().me(); }
    KNVTCDUser *user(const QString &fullName, std::optional<qint64> numericIdentifier = std::nullopt)
    {
        return make().user({.numericIdentifier = numericIdentifier, .fullName = fullName});
    }
    KNVTCDTaskList *list(const QString &title = QStringLiteral("Garden"), qint64 type = 1, qint64 status = 2)
    {
        return make().taskList({.title = title, .type = type, .status = status});
    }
    KNVTCDTaskListCollaborator *row(KNVTCDTaskList *taskList, KNVTCDUser *member, qint64 role = 2, qint64 status = 2)
    {
        return make().collaborator(taskList, member, role, status);
    }
    // The local user's owner row of a new list.
    KNVTCDTaskList *myList(const QString &title = QStringLiteral("Garden"), qint64 type = 1)
    {
        KNVTCDTaskList *l = list(title, type);
        row(l, me(), 1, 2);
        return l;
    }
    KNVTCDTask *task(KNVTCDTaskList *taskList, const QString &title = QStringLiteral("Dig"), qint64 status = 2)
    {
        return make().task({.title = title, .status = status, .list = taskList});
    }
    // What the service knows: an identifier, and nothing left to push.
    template <class T>
    T *synced(T *object, qint64 numericIdentifier)
    {
        return make().synced(object, numericIdentifier);
    }

    static QSet<QString> keys(const KNVTCDTaskStoreObject *object)
    {
        const QStringList list = object->changedKeys();
        return QSet<QString>(list.begin(), list.end());
    }
    static std::shared_ptr<KNVTRecurrence> rules(const QStringList &texts)
    {
        return KNVTRecurrence::recurrenceWithRecurrenceComponentStrings(texts);
    }
    // Local midnight of the clock's day plus `days`.
    static QDateTime localDay(int days) { return date().toLocalTime().date().addDays(days).startOfDay(); }
};

// An alert handler that records the question and answers it with a scripted button, at once or when told to.
class KNVTTaskListScriptedAlert
{
public:
    struct Question
    {
        QString title, message;
        QStringList buttonTitles;
        int cancelIndex = 0, destructiveIndex = 0;
    };

    // Answers each question with `index` as soon as it is asked.
    static KNVTTaskListScriptedAlert answering(int index)
    {
        KNVTTaskListScriptedAlert alert;
        alert.m_answer = index;
        return alert;
    }
    // Keeps each question until answer() is called.
    static KNVTTaskListScriptedAlert deferred() { return KNVTTaskListScriptedAlert(); }

    KNVTAlertHandler handler()
    {
        return [this](const QString &title, const QString &message, const QStringList &buttonTitles, int cancelIndex,
                      int destructiveIndex, KNVTAlertIndexHandler indexHandler) {
            questions.push_back({title, message, buttonTitles, cancelIndex, destructiveIndex});
            if (m_answer)
                indexHandler(*m_answer);
            else
                m_pending = std::move(indexHandler);
        };
    }
    void answer(int index)
    {
        ASSERT_TRUE(m_pending) << "nothing was asked";
        KNVTAlertIndexHandler pending = std::move(m_pending);
        m_pending = nullptr;
        pending(index);
    }

    std::vector<Question> questions;

private:
    std::optional<int> m_answer;
    KNVTAlertIndexHandler m_pending;
};

// Records what a completion handler hears.
struct KNVTTaskListCompletionRecorder
{
    std::vector<bool> answers;
    KNVTCDTaskList::CompletionHandler handler()
    {
        return [this](bool done) { answers.push_back(done); };
    }
};
