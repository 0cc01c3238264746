#include "uikit/KNVTTextView.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <memory>

namespace {

class ReturnTarget : public QObject
{
    Q_OBJECT
public:
    QList<QObject *> senders;
    Q_INVOKABLE void save(QObject *sender) { senders.append(sender); }
};

// A form that keeps Tab and Back-Tab for itself and counts what it was asked.
class FocusKeepingForm : public QObject, public KNVTTextViewDelegate
{
    Q_OBJECT
public:
    bool allowTab = false;
    bool allowBacktab = false;
    int tabQuestions = 0;
    int backtabQuestions = 0;

    bool shouldTextViewInsertTab(KNVTTextView *) override
    {
        ++tabQuestions;
        return allowTab;
    }
    bool shouldTextViewInsertBacktab(KNVTTextView *) override
    {
        ++backtabQuestions;
        return allowBacktab;
    }
};

// A delegate that answers neither question.
class SilentDelegate : public KNVTTextViewDelegate
{};

class KNVTTextViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        auto *layout = new QVBoxLayout(&window);
        before = new QLineEdit(&window);
        view = new KNVTTextView(&window);
        after = new QLineEdit(&window);
        layout->addWidget(before);
        layout->addWidget(view);
        layout->addWidget(after);
        view->setReturnTarget(&target);
        view->setReturnAction("save");
        view->setPlainText(QStringLiteral("ab"));
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        view->setFocus();
        placeCursorAfter(1);
    }

    void placeCursorAfter(int characters)
    {
        QTextCursor cursor = view->textCursor();
        cursor.setPosition(characters);
        view->setTextCursor(cursor);
    }

    QWidget window;
    QLineEdit *before = nullptr;
    KNVTTextView *view = nullptr;
    QLineEdit *after = nullptr;
    ReturnTarget target;
};

TEST_F(KNVTTextViewTest, CommentBehaviourBreaksTheLineOnReturnAndSavesOnCtrlReturn)
{
    view->setReturnBehaviour(1);
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_EQ(view->toPlainText(), QStringLiteral("a\nb"));
    QTest::keyClick(view, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClick(view, Qt::Key_Return, Qt::AltModifier);
    EXPECT_EQ(view->toPlainText(), QStringLiteral("a\n\n\nb"));
    EXPECT_TRUE(target.senders.isEmpty());

    QTest::keyClick(view, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(target.senders, QList<QObject *>{view});
    EXPECT_EQ(view->toPlainText(), QStringLiteral("a\n\n\nb"));
}

TEST_F(KNVTTextViewTest, SecondBehaviourRunsTheActionOnPlainReturn)
{
    view->setReturnBehaviour(2);
    QTest::keyClick(view, Qt::Key_Return);
    QTest::keyClick(view, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(target.senders.size(), 2);
    EXPECT_EQ(view->toPlainText(), QStringLiteral("ab"));

    QTest::keyClick(view, Qt::Key_Return, Qt::ShiftModifier);
    QTest::keyClick(view, Qt::Key_Return, Qt::AltModifier);
    // Plain line breaks, not the line separator Qt puts in for Shift-Return.
    EXPECT_EQ(view->toPlainText(), QStringLiteral("a\n\nb"));
    EXPECT_EQ(view->document()->blockCount(), 3);
    EXPECT_EQ(target.senders.size(), 2);
}

TEST_F(KNVTTextViewTest, OtherBehavioursSwallowEveryReturn)
{
    view->setReturnBehaviour(4);
    for (auto modifiers : {Qt::NoModifier, Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier})
        QTest::keyClick(view, Qt::Key_Return, modifiers);
    EXPECT_EQ(view->toPlainText(), QStringLiteral("ab"));
    EXPECT_TRUE(target.senders.isEmpty());
}

TEST_F(KNVTTextViewTest, KeypadEnterIsLeftToTheView)
{
    view->setReturnBehaviour(2);
    QTest::keyClick(view, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_TRUE(target.senders.isEmpty());
    EXPECT_EQ(view->toPlainText(), QStringLiteral("a\nb"));
}

TEST_F(KNVTTextViewTest, ReadOnlyViewGetsNoLineBreak)
{
    view->setReturnBehaviour(1);
    view->setReadOnly(true);
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_EQ(view->toPlainText(), QStringLiteral("ab"));
}

TEST_F(KNVTTextViewTest, DelegateThatRefusesTabKeepsTextAndFocus)
{
    FocusKeepingForm form;
    view->setDelegate(&form);
    QTest::keyClick(view, Qt::Key_Tab);
    QTest::keyClick(view, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(form.tabQuestions, 1);
    EXPECT_EQ(form.backtabQuestions, 1);
    EXPECT_EQ(view->toPlainText(), QStringLiteral("ab"));
    EXPECT_TRUE(view->hasFocus());

    // The refusal comes before Qt's own focus chain, which would otherwise take Tab.
    view->setTabChangesFocus(true);
    QTest::keyClick(view, Qt::Key_Tab);
    EXPECT_TRUE(view->hasFocus());
    form.allowTab = true;
    QTest::keyClick(view, Qt::Key_Tab);
    EXPECT_TRUE(after->hasFocus());
}

TEST_F(KNVTTextViewTest, DelegateThatAllowsTabLeavesTheViewsOwnHandling)
{
    FocusKeepingForm form;
    form.allowTab = true;
    form.allowBacktab = true;
    view->setDelegate(&form);
    QTest::keyClick(view, Qt::Key_Tab);
    EXPECT_EQ(view->toPlainText(), QStringLiteral("a\tb"));

    SilentDelegate silent;
    view->setDelegate(&silent);
    QTest::keyClick(view, Qt::Key_Tab);
    EXPECT_EQ(view->toPlainText(), QStringLiteral("a\t\tb"));

    view->setTabChangesFocus(true);
    QTest::keyClick(view, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_TRUE(before->hasFocus());
}

TEST_F(KNVTTextViewTest, ADestroyedDelegateIsForgotten)
{
    auto form = std::make_unique<FocusKeepingForm>();
    view->setDelegate(form.get());
    form.reset();
    EXPECT_EQ(view->delegate(), nullptr);
    QTest::keyClick(view, Qt::Key_Tab);
    EXPECT_EQ(view->toPlainText(), QStringLiteral("a\tb"));
}

} // namespace

#include "KNVTTextViewTest.moc"
