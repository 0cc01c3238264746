#include "uikit/AlertAdditions.h"
#include "support/ScriptedAlertPresenter.h"
#include "support/WaitUntil.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <optional>

namespace {

using knvt::AlertPresenter;
using knvt::ScriptedAlertPresenter;

const QStringList CompleteButtons{QStringLiteral("Mark As Completed"), QStringLiteral("Cancel")};

TEST(AlertButtonIndex, ResponsesFromTheFirstButtonOnCountFromZero)
{
    EXPECT_EQ(knvt::buttonIndexForModalResponse(1000), 0);
    EXPECT_EQ(knvt::buttonIndexForModalResponse(1001), 1);
    EXPECT_EQ(knvt::buttonIndexForModalResponse(1002), 2);
}

TEST(AlertButtonIndex, ResponsesBelowTheFirstButtonPassUnchanged)
{
    EXPECT_EQ(knvt::buttonIndexForModalResponse(AlertPresenter::Stopped), -1000);
    EXPECT_EQ(knvt::buttonIndexForModalResponse(999), 999);
    EXPECT_EQ(knvt::buttonIndexForModalResponse(-1001), -1001);
}

TEST(ScriptedAlerts, AnswersInOrderAndRecordsTheQuestions)
{
    ScriptedAlertPresenter presenter;
    presenter.answerWithTitle(QStringLiteral("Cancel"));
    presenter.answerWithIndex(0);

    AlertPresenter::Request request{.opener = knvt::Opener::User};
    request.title = QStringLiteral("Complete Project?");
    request.message = QStringLiteral("It has open tasks.");
    request.buttonTitles = CompleteButtons;
    EXPECT_EQ(knvt::runModal(request), 1);
    EXPECT_EQ(knvt::runModal(request), 0);

    ASSERT_EQ(presenter.requests().size(), 2);
    EXPECT_EQ(presenter.requests().at(0).title, QStringLiteral("Complete Project?"));
    EXPECT_EQ(presenter.requests().at(0).message, QStringLiteral("It has open tasks."));
    EXPECT_EQ(presenter.requests().at(0).buttonTitles, CompleteButtons);
    EXPECT_EQ(presenter.unexpectedCount(), 0);
}

TEST(ScriptedAlerts, AnUnscriptedOrImpossibleAnswerEndsTheAlertWithoutAButton)
{
    ScriptedAlertPresenter presenter;
    presenter.answerWithTitle(QStringLiteral("Delete"));
    presenter.answerWithIndex(5);
    presenter.answerStopped();
    AlertPresenter::Request request{.opener = knvt::Opener::User};
    request.buttonTitles = CompleteButtons;
    EXPECT_EQ(knvt::runModal(request), -1000);
    EXPECT_EQ(knvt::runModal(request), -1000);
    EXPECT_EQ(knvt::runModal(request), -1000);
    EXPECT_EQ(presenter.unexpectedCount(), 0);
    EXPECT_EQ(knvt::runModal(request), -1000);
    EXPECT_EQ(presenter.unexpectedCount(), 1);
}

TEST(ScriptedAlerts, SuppressionIsReportedOnlyWhenTheAlertOffersIt)
{
    ScriptedAlertPresenter presenter;
    presenter.answerWithIndex(0, true);
    presenter.answerWithIndex(0, true);
    AlertPresenter::Request request{.opener = knvt::Opener::User};
    request.buttonTitles = {QStringLiteral("Delete"), QStringLiteral("Cancel")};
    bool suppressed = true;
    EXPECT_EQ(knvt::runModal(request, &suppressed), 0);
    EXPECT_FALSE(suppressed);
    request.showsSuppressionButton = true;
    EXPECT_EQ(knvt::runModal(request, &suppressed), 0);
    EXPECT_TRUE(suppressed);
}

TEST(ScriptedAlerts, TheSharedPresenterComesBackWhenTheScriptEnds)
{
    AlertPresenter *before = &AlertPresenter::shared();
    {
        ScriptedAlertPresenter presenter;
        EXPECT_EQ(&AlertPresenter::shared(), &presenter);
    }
    EXPECT_EQ(&AlertPresenter::shared(), before);
}

TEST(AlertHandler, ReportsTheChosenButtonAfterTheCallerHasMovedOn)
{
    ScriptedAlertPresenter presenter;
    presenter.answerWithTitle(QStringLiteral("Cancel"));
    QStringList events;
    std::optional<qsizetype> chosen;

    // A model question asked of what a service's reply did: the alert is the application's, as the handler was made.
    const KNVTAlertHandler handler = knvt::alertHandler(knvt::Opener::Application);
    handler(QStringLiteral("Complete Project?"), QStringLiteral("Open tasks."), CompleteButtons, 1, -1,
            [&](qsizetype index) {
                events << QStringLiteral("answered");
                chosen = index;
            });
    events << QStringLiteral("caller went on");
    EXPECT_TRUE(presenter.requests().isEmpty()) << "the alert must not be shown inside the call";

    ASSERT_TRUE(knvt::test::waitUntil([&] { return chosen.has_value(); }));
    EXPECT_EQ(*chosen, 1);
    EXPECT_EQ(events, QStringList({QStringLiteral("caller went on"), QStringLiteral("answered")}));
    ASSERT_EQ(presenter.requests().size(), 1);
    EXPECT_EQ(presenter.requests().first().title, QStringLiteral("Complete Project?"));
    EXPECT_TRUE(presenter.requests().first().opener == knvt::Opener::Application);
}

TEST(AlertHandler, IgnoresTheCancelAndDestructiveIndexes)
{
    ScriptedAlertPresenter presenter;
    presenter.answerWithIndex(0);
    presenter.answerWithIndex(0);
    QList<qsizetype> answers;
    const QStringList buttons{QStringLiteral("Stop Sharing"), QStringLiteral("Cancel")};
    knvt::synchronousAlertHandler(knvt::Opener::User)(QStringLiteral("Stop Sharing?"), QString(), buttons, 1, 0,
                                                      [&](qsizetype index) { answers << index; });
    knvt::synchronousAlertHandler(knvt::Opener::User)(QStringLiteral("Stop Sharing?"), QString(), buttons, 7, -1,
                                                      [&](qsizetype index) { answers << index; });
    EXPECT_EQ(answers, QList<qsizetype>({0, 0}));
    EXPECT_EQ(presenter.requests().size(), 2);
}

TEST(AlertHandler, TheSynchronousFormAnswersBeforeItReturns)
{
    ScriptedAlertPresenter presenter;
    presenter.answerWithIndex(2);
    std::optional<qsizetype> chosen;
    knvt::synchronousAlertHandler(knvt::Opener::User)(
        QStringLiteral("Archive Project?"), QStringLiteral("Open tasks."),
        {QStringLiteral("Mark Tasks as Completed"), QStringLiteral("Mark as Cancelled"), QStringLiteral("Cancel")}, 2,
        -1, [&](qsizetype index) { chosen = index; });
    ASSERT_TRUE(chosen.has_value());
    EXPECT_EQ(*chosen, 2);
}

TEST(AlertHandler, AStoppedAlertReportsTheStopResponse)
{
    ScriptedAlertPresenter presenter;
    presenter.answerStopped();
    std::optional<qsizetype> chosen;
    knvt::synchronouslyRunModalWithTitle(QStringLiteral("Move Task?"), QString(),
                                         {QStringLiteral("Move Task"), QStringLiteral("Cancel")}, knvt::Opener::User,
                                         [&](qsizetype index) { chosen = index; });
    ASSERT_TRUE(chosen.has_value());
    EXPECT_LT(*chosen, 0);
    EXPECT_EQ(*chosen, -1000);
}

TEST(AlertHandler, AQuestionFromAnotherThreadIsAnsweredOnTheMainThread)
{
    ScriptedAlertPresenter presenter;
    presenter.answerWithIndex(0);
    QThread *answeredOn = nullptr;
    std::optional<qsizetype> chosen;
    const KNVTAlertHandler handler = knvt::alertHandler(knvt::Opener::User);
    QThread *worker = QThread::create([&] {
        handler(QStringLiteral("Move Task?"), QString(), {QStringLiteral("Move Task"), QStringLiteral("Cancel")}, 1, -1,
                [&](qsizetype index) {
                    answeredOn = QThread::currentThread();
                    chosen = index;
                });
    });
    worker->start();
    ASSERT_TRUE(worker->wait(5000));
    delete worker;
    ASSERT_TRUE(knvt::test::waitUntil([&] { return chosen.has_value(); }));
    EXPECT_EQ(*chosen, 0);
    EXPECT_EQ(answeredOn, QCoreApplication::instance()->thread());
}

} // namespace
