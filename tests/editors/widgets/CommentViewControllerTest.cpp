#include "EditorsFixture.h"

#include "editors/KNVTTaskCommentEditViewController.h"
#include "editors/KNVTTaskCommentNewViewController.h"

#include "uikit/KNVTTextView.h"

namespace {

class CommentViewControllerTest : public EditorsFixture
{
protected:
    void SetUp() override
    {
        EditorsFixture::SetUp();
        anchor.resize(200, 40);
        anchor.show();
    }

    // Shows `form` in a popover, as the task window and the detail rows do.
    template <class Form>
    knvt::Popover *present(Form *form)
    {
        auto *popover = new knvt::Popover(&anchor);
        form->setParent(popover);
        form->setPopover(popover);
        popover->setContentWidget(form->view());
        popover->showRelativeTo(QRect(), &anchor, knvt::Opener::User);
        return popover;
    }

    static void ctrlReturn(KNVTTextView *view) { QTest::keyClick(view, Qt::Key_Return, Qt::ControlModifier); }

    QWidget anchor;
};

TEST_F(CommentViewControllerTest, TheComposerSavesTheTrimmedTextAtOnce)
{
    KNVTCDTask *t = task("Ship");
    save();
    auto *composer = new KNVTTaskCommentNewViewController(t, QString());
    knvt::Popover *popover = present(composer);
    KNVTTextView *text = composer->commentTextView();
    EXPECT_FALSE(composer->saveButton()->isEnabled());
    QTest::keyClicks(text, "   ");
    QTest::keyClick(text, Qt::Key_Return);
    EXPECT_FALSE(composer->saveButton()->isEnabled());
    ctrlReturn(text);
    EXPECT_EQ(beeper.count(), 1);
    EXPECT_TRUE(popover->isShown());

    text->setPlainText("  Ship it \n");
    EXPECT_TRUE(composer->saveButton()->isEnabled());
    ctrlReturn(text);
    EXPECT_FALSE(popover->isShown());
    const std::vector<KNVTCDTaskComment *> comments = t->commentsOrderedByCreatedDate();
    ASSERT_EQ(comments.size(), 1u);
    EXPECT_EQ(comments[0]->text(), QStringLiteral("Ship it"));
    EXPECT_EQ(comments[0]->user(), me);
    EXPECT_FALSE(store->managedObjectContext()->hasChanges()) << "saved at Save";
}

TEST_F(CommentViewControllerTest, TheComposerOfATaskDeletedMeanwhileClosesWithoutACommentAndGivesTheTextBack)
{
    KNVTCDTask *t = task("Short-lived");
    save();
    auto *composer = new KNVTTaskCommentNewViewController(t, QString());
    knvt::Popover *popover = present(composer);
    composer->commentTextView()->setPlainText("Too late");

    t->markAsDeleted(); // never synced: gone from the library at once
    save();
    composer->save();
    settle();
    EXPECT_EQ(beeper.count(), 0);
    EXPECT_FALSE(popover->isShown());
    EXPECT_TRUE(saves.requestedDelays().empty());
    EXPECT_TRUE(store->managedObjectContext()->fetch<KNVTCDTaskComment>().empty());
    ASSERT_EQ(alerts.requests().size(), 1) << "told once, though the store's change and the save both found it gone";
    EXPECT_EQ(alerts.requests().front().title, QStringLiteral("The task “Short-lived” was deleted."))
        << "by a save here, not elsewhere";
    EXPECT_EQ(alerts.requests().front().typed, QStringLiteral("Too late"));
}

TEST_F(CommentViewControllerTest, CancelClosesAndWritesNothing)
{
    KNVTCDTask *t = task("Ship");
    KNVTCDTaskComment *c = comment(t, "Mine", me);
    save();
    auto *composer = new KNVTTaskCommentNewViewController(t, QString());
    knvt::Popover *composerPopover = present(composer);
    composer->commentTextView()->setPlainText("Never sent");
    QTest::mouseClick(composer->cancelButton(), Qt::LeftButton);
    EXPECT_FALSE(composerPopover->isShown());

    auto *editor = new KNVTTaskCommentEditViewController(c, QString());
    knvt::Popover *editorPopover = present(editor);
    editor->commentTextView()->setPlainText("Never saved");
    QTest::mouseClick(editor->cancelButton(), Qt::LeftButton);
    EXPECT_FALSE(editorPopover->isShown());
    EXPECT_EQ(c->text(), QStringLiteral("Mine"));
    EXPECT_EQ(t->commentsOrderedByCreatedDate().size(), 1u);
    EXPECT_FALSE(store->managedObjectContext()->hasChanges());
    EXPECT_TRUE(saves.requestedDelays().empty());
}

TEST_F(CommentViewControllerTest, TheEditorWritesOnlyAChangedTextAndDeletesWithoutAsking)
{
    KNVTCDTask *t = task("Ship");
    KNVTCDTaskComment *c = comment(t, "Ship it", me);
    save();

    auto *same = new KNVTTaskCommentEditViewController(c, QString());
    knvt::Popover *samePopover = present(same);
    EXPECT_EQ(same->commentTextView()->toPlainText(), QStringLiteral("Ship it"));
    EXPECT_TRUE(same->saveButton()->isEnabled());
    same->commentTextView()->setPlainText(" Ship it\n");
    QTest::mouseClick(same->saveButton(), Qt::LeftButton);
    EXPECT_FALSE(samePopover->isShown());
    EXPECT_TRUE(saves.requestedDelays().empty());
    EXPECT_FALSE(store->managedObjectContext()->hasChanges());

    auto *changed = new KNVTTaskCommentEditViewController(c, QString());
    present(changed);
    changed->commentTextView()->setPlainText("Shipped ");
    ctrlReturn(changed->commentTextView());
    EXPECT_EQ(c->text(), QStringLiteral("Shipped"));
    EXPECT_FALSE(store->managedObjectContext()->hasChanges()) << "saved at Save";

    auto *removing = new KNVTTaskCommentEditViewController(c, QString());
    knvt::Popover *removingPopover = present(removing);
    QTest::mouseClick(removing->deleteButton(), Qt::LeftButton);
    EXPECT_TRUE(alerts.requests().empty());
    EXPECT_FALSE(removingPopover->isShown());
    EXPECT_TRUE(t->commentsOrderedByCreatedDate().empty());
    EXPECT_EQ(saves.requestedDelays(), std::vector<double>{0.4});
}

TEST_F(CommentViewControllerTest, AnEditorWhoseCommentAPullDeletedClosesAndWritesNothing)
{
    KNVTCDTask *t = task("Ship");
    KNVTCDTaskComment *c = comment(t, "Ship it", me);
    save();
    auto *editor = new KNVTTaskCommentEditViewController(c, QString());
    knvt::Popover *popover = present(editor);
    editor->commentTextView()->setPlainText("Edited while it went away");

    // Deleted elsewhere without a save yet: the editor notices nothing until it acts.
    store->managedObjectContext()->remove(c);
    editor->save();
    EXPECT_FALSE(popover->isShown());
    EXPECT_TRUE(saves.requestedDelays().empty());
    EXPECT_EQ(beeper.count(), 0);

    // A second editor open on a comment that a save removes closes at that save.
    KNVTCDTaskComment *other = comment(t, "Other", me);
    save();
    auto *second = new KNVTTaskCommentEditViewController(other, QString());
    knvt::Popover *secondPopover = present(second);
    other->setDeletedDate(now());
    save();
    EXPECT_FALSE(secondPopover->isShown());
    second->remove();
    EXPECT_TRUE(saves.requestedDelays().empty());
}

} // namespace
