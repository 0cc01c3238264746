// Commenting on the selected task, and changing or removing one's own comments from the detail.

#include "AppDriver.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskComment.h"
#include "model/KNVTCDUser.h"

#include "uikit/KNVTPreferenceKeys.h"

#include <gtest/gtest.h>

using knvt::features::AppDriver;

namespace {

class CommentsFeature : public ::testing::Test
{
protected:
    AppDriver app;
};

QStringList commentTexts(KNVTCDTask *task)
{
    QStringList texts;
    for (const KNVTCDTaskComment *comment : task->commentsOrderedByCreatedDate())
        texts << comment->text();
    return texts;
}

} // namespace

TEST_F(CommentsFeature, ACommentIsSavedTrimmedWithinASecondAndABlankOneCannotBeSaved)
{
    KNVTCDTask *ship = app.givenTask("Ship release");
    app.selectRows({"Ship release"});
    app.clickToolbar("Comment");
    EXPECT_TRUE(app.openEditors().join('\n').contains("KNVTTaskCommentNewViewController"));
    app.typeIn("commentTextView", "   ");
    EXPECT_FALSE(app.isEnabled("saveButton"));
    app.pressCtrlReturn();
    EXPECT_EQ(app.beeps(), 1);

    app.typeIn("commentTextView", "  Ship it ");
    app.pressReturn("commentTextView");
    app.pressCtrlReturn();
    EXPECT_TRUE(app.openEditors().isEmpty());
    app.wait(1);
    EXPECT_EQ(commentTexts(ship), QStringList{"Ship it"});
    EXPECT_FALSE(app.store().managedObjectContext()->hasChanges());
    EXPECT_EQ(app.detailRows().last(), QStringLiteral("my comment Me: Ship it [Edit, Delete]"));
}

TEST_F(CommentsFeature, EditingMyCommentToTheSameTextWritesNothingAndOnlyTheRowsDeleteAsks)
{
    KNVTCDTask *ship = app.givenTask("Ship release");
    app.store().commentWithText("First", ship);
    app.store().commentWithText("Second", ship);
    app.saveGivens();
    app.selectRows({"Ship release"});

    app.clickDetailCommentButton("First", "Edit");
    EXPECT_EQ(app.fieldText("commentTextView"), QStringLiteral("First"));
    app.pressReturn("commentTextView");
    app.pressCtrlReturn();
    EXPECT_TRUE(app.saves().requestedDelays().empty());

    app.answerAlert("Delete");
    app.clickDetailCommentButton("First", "Delete");
    EXPECT_EQ(app.alertsShown(), QStringList{"Delete Comment? / This action cannot be undone. [Delete, Cancel]"});
    app.wait(0);
    EXPECT_EQ(commentTexts(ship), QStringList{"Second"});

    app.clickDetailCommentButton("Second", "Edit");
    app.clickButton("deleteButton");
    EXPECT_EQ(app.alertsShown().size(), 1);
    app.wait(0.4);
    EXPECT_TRUE(commentTexts(ship).isEmpty());
}

TEST_F(CommentsFeature, ASaveOrDeleteThatFindsItsCommentOrTaskGoneWritesNothingAndGivesTheTextBack)
{
    // A pull took the object out of the library, without a save in between: the store has not told the form yet.
    KNVTCDTask *ship = app.givenTask("Ship release");
    KNVTCDTaskComment *mine = app.store().commentWithText("Mine", ship);
    KNVTCDTaskComment *yours = app.store().commentWithText("Yours", ship);
    app.saveGivens();
    app.selectRows({"Ship release"});
    app.answerAlert("OK");
    app.clickDetailCommentButton("Mine", "Edit");
    app.typeIn("commentTextView", " edited");
    app.store().removeTaskComment(mine);
    app.pressCtrlReturn();
    app.settle();
    EXPECT_EQ(app.alertsShown(),
              QStringList{"The comment “Mine” was deleted elsewhere. / The form for it in the window “Quillvane” "
                          "closed. Your changes were not saved. What you typed:\n\nMine edited [OK]"});

    app.clickDetailCommentButton("Yours", "Edit");
    app.store().removeTaskComment(yours);
    app.clickButton("deleteButton");
    app.settle();
    EXPECT_EQ(app.alertsShown().last(),
              QStringLiteral("The comment “Yours” was deleted elsewhere. / The form for it in the window “Quillvane” "
                             "closed. Your changes were not saved. [OK]"));

    app.clickToolbar("Comment");
    app.typeIn("commentTextView", "Too late");
    ship->markAsDeleted();
    app.pressCtrlReturn();
    app.settle();
    EXPECT_EQ(app.alertsShown().last(),
              QStringLiteral("The task “Ship release” was deleted elsewhere. / The form for it in the window "
                             "“Quillvane” closed. Your changes were not saved. What you typed:\n\nToo late [OK]"));
    EXPECT_EQ(app.alertsShown().size(), 3);
    EXPECT_EQ(app.beeps(), 0) << "the forms said why instead";
    EXPECT_TRUE(app.openEditors().isEmpty());
    EXPECT_TRUE(app.saves().requestedDelays().empty());
}

TEST_F(CommentsFeature, AStaleCommentRowsEditBeepsAndOpensNothing)
{
    KNVTCDTask *ship = app.givenTask("Ship release");
    KNVTCDTaskComment *comment = app.store().commentWithText("Mine", ship);
    app.saveGivens();
    app.selectRows({"Ship release"});
    // A pull: the comment is gone from the library, and the row still shows it.
    app.store().removeTaskComment(comment);
    app.clickDetailCommentButton("Mine", "Edit");
    EXPECT_EQ(app.beeps(), 1);
    EXPECT_TRUE(app.openEditors().isEmpty());
}

TEST_F(CommentsFeature, WhatTheUserTypesIntoTheCommentBoxOfTheTaskWindowBecomesTheComment)
{
    KNVTCDTask *ship = app.givenTask("Ship release");
    app.doubleClickRow("Ship release");
    app.pressInTaskWindow("Ship release", "Comment");
    app.typeWhereTheFocusIs("On my way");
    EXPECT_EQ(app.fieldText("commentTextView"), QStringLiteral("On my way"));
    app.pressCtrlReturn();
    app.wait(1);
    EXPECT_EQ(commentTexts(ship), QStringList{"On my way"});
    EXPECT_EQ(app.detailRows("Ship release").last(), QStringLiteral("my comment Me: On my way [Edit, Delete]"));
}

TEST_F(CommentsFeature, AScreenReaderUserEditsAndDeletesTheirCommentThroughTheRowsActions)
{
    KNVTCDTask *ship = app.givenTask("Ship release");
    app.store().commentWithText("Tag it first", ship);
    app.saveGivens();
    app.selectRows({"Ship release"});
    // The row reads the author, the text and when it was written, and offers what its buttons do.
    const QString mine = app.detailAsRead().last();
    EXPECT_TRUE(mine.startsWith(QStringLiteral("Me, Tag it first, "))) << mine.toStdString();
    EXPECT_TRUE(mine.endsWith(QStringLiteral(" [Edit, Delete]"))) << mine.toStdString();

    app.doDetailRowAction("Me, Tag it first", "Edit");
    EXPECT_EQ(app.focusAsRead(), QStringLiteral("dialog Edit Comment: text Comment"));
    app.typeWhereTheFocusIs(", then ship");
    app.pressCtrlReturn();
    app.wait(1);
    EXPECT_EQ(commentTexts(ship), QStringList{"Tag it first, then ship"});

    app.answerAlert("Delete");
    app.doDetailRowAction("Me, Tag it first, then ship", "Delete");
    EXPECT_EQ(app.alertsShown(), QStringList{"Delete Comment? / This action cannot be undone. [Delete, Cancel]"});
    app.wait(0);
    EXPECT_TRUE(commentTexts(ship).isEmpty());
}

TEST_F(CommentsFeature, OnACommentRowDeleteAsksAboutTheCommentAndReturnEditsItWhileAnotherPersonsRowBeeps)
{
    // Deleting tasks asks no more: a Delete that reached the task would remove it at once.
    app.givenDefault(QString::fromLatin1(KNVTApplicationWillDeleteTasksAlertSuppressionKey), true);
    KNVTCDTask *ship = app.givenTask("Ship release");
    KNVTCDTaskComment *theirs = app.store().commentWithText("Looks good", ship);
    theirs->setUser(app.givenUser("Ann"));
    theirs->setCreatedDate(AppDriver::defaultNow().addSecs(-600));
    app.store().commentWithText("Tag it first", ship);
    app.saveGivens();
    app.selectRows({"Ship release"});
    ASSERT_TRUE(app.paneTo(QStringLiteral("task")));

    // The last row is my comment, the one above it Ann's.
    app.pressWhereTheFocusIs("End");
    app.pressWhereTheFocusIs("Up");
    app.pressWhereTheFocusIs("Delete");
    app.pressWhereTheFocusIs("Return");
    EXPECT_EQ(app.beeps(), 2);
    EXPECT_TRUE(app.alertsShown().isEmpty());
    EXPECT_TRUE(app.openEditors().isEmpty());

    app.pressWhereTheFocusIs("Down");
    app.answerAlert("Cancel");
    app.pressWhereTheFocusIs("Delete");
    EXPECT_EQ(app.alertsShown(), QStringList{"Delete Comment? / This action cannot be undone. [Delete, Cancel]"});
    app.wait(1);
    EXPECT_FALSE(ship->isDeleted());
    EXPECT_EQ(commentTexts(ship), (QStringList{"Looks good", "Tag it first"}));

    app.pressWhereTheFocusIs("Return");
    EXPECT_EQ(app.focusAsRead(), QStringLiteral("dialog Edit Comment: text Comment"));
    app.typeWhereTheFocusIs(", then ship");
    app.pressCtrlReturn();
    app.wait(1);
    EXPECT_EQ(commentTexts(ship), (QStringList{"Looks good", "Tag it first, then ship"}));
    EXPECT_FALSE(ship->isDeleted());
    EXPECT_EQ(app.beeps(), 2);
}

TEST_F(CommentsFeature, ADoubleClickOnACommentsButtonActsOnceOnTheCommentUnderTheFirstClick)
{
    KNVTCDTask *ship = app.givenTask("Ship release");
    app.store().commentWithText("First", ship);
    app.store().commentWithText("Second", ship);
    app.saveGivens();
    app.selectRows({"Ship release"});

    app.answerAlert("Delete");
    app.doubleClickDetailCommentButton("First", "Delete");
    EXPECT_EQ(app.alertsShown(), QStringList{"Delete Comment? / This action cannot be undone. [Delete, Cancel]"});
    app.wait(1);
    EXPECT_EQ(commentTexts(ship), QStringList{"Second"});

    app.doubleClickDetailCommentButton("Second", "Edit");
    EXPECT_TRUE(app.openEditors().join('\n').contains("KNVTTaskCommentEditViewController"));
    EXPECT_EQ(app.fieldText("commentTextView"), QStringLiteral("Second"));
}
