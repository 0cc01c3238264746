#include "uikit/Popover.h"
#include "support/WaitUntil.h"
#include "uikit/KeyboardOwner.h"
#include "uikit/UnsavedTyping.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

using knvt::Popover;

class PopoverTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Popover::animationsEnabled = false;
        knvt::KeyboardOwner::install();
        window.setGeometry(100, 100, 400, 300);
        anchor = new QPushButton(QStringLiteral("New Task"), &window);
        anchor->setGeometry(20, 20, 100, 30);
        elsewhere = new QPushButton(QStringLiteral("Other"), &window);
        elsewhere->setGeometry(20, 200, 100, 30);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

        popover = new Popover(&window);
        auto *content = new QWidget;
        auto *layout = new QVBoxLayout(content);
        field = new QLineEdit;
        field->setObjectName(QStringLiteral("titleTextField"));
        layout->addWidget(new QLabel(QStringLiteral("Title")));
        layout->addWidget(field);
        content->setFixedSize(200, 100);
        popover->setContentWidget(content);
    }
    void TearDown() override { Popover::animationsEnabled = true; }

    void show(Popover::Behavior behavior)
    {
        popover->setBehavior(behavior);
        popover->showRelativeTo(QRect(), anchor, knvt::Opener::User);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(popover));
    }

    QWidget window;
    QPushButton *anchor = nullptr;
    QPushButton *elsewhere = nullptr;
    Popover *popover = nullptr;
    QLineEdit *field = nullptr;
};

TEST_F(PopoverTest, ShowsCentredUnderItsAnchor)
{
    show(Popover::Behavior::Transient);
    EXPECT_TRUE(popover->isShown());
    EXPECT_EQ(popover->windowType(), Qt::Popup);
    const QRect anchorRect(anchor->mapToGlobal(QPoint(0, 0)), anchor->size());
    EXPECT_EQ(popover->geometry().top(), anchorRect.bottom() + 1);
    EXPECT_EQ(popover->geometry().center().x(), anchorRect.center().x());
    EXPECT_EQ(popover->anchor(), anchor);
    EXPECT_EQ(popover->findChild<QLineEdit *>(QStringLiteral("titleTextField")), field);
}

TEST_F(PopoverTest, ATransientPopoverClosesOnAPressOutsideUnlessItHoldsTyping)
{
    QSignalSpy closed(popover, &Popover::closed);
    show(Popover::Behavior::Transient);
    EXPECT_EQ(QApplication::activePopupWidget(), popover);
    // The offscreen platform never replays a closing press, so the setting itself is what can be checked.
    EXPECT_TRUE(popover->testAttribute(Qt::WA_NoMouseReplay));

    // Through the window system, so the press is routed the way a real one is while a popup is open.
    QTest::keyClicks(field, QStringLiteral("Buy"));
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, elsewhere->geometry().center());
    EXPECT_TRUE(popover->isShown()) << "a stray press drops nothing typed";
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, elsewhere->geometry().center());
    ASSERT_TRUE(knvt::test::waitUntil([&] { return !popover->isShown(); }));
    ASSERT_EQ(closed.count(), 1);
    EXPECT_EQ(closed.at(0).at(0).value<Popover::CloseReason>(), Popover::CloseReason::Standard);
}

TEST_F(PopoverTest, APressInsideKeepsItOpen)
{
    show(Popover::Behavior::Transient);
    QTest::mouseClick(field, Qt::LeftButton);
    EXPECT_TRUE(popover->isShown());

    popover->performClose();
    popover->setBehavior(Popover::Behavior::SemiTransient);
    show(Popover::Behavior::SemiTransient);
    QTest::mouseClick(field, Qt::LeftButton);
    EXPECT_TRUE(popover->isShown());
}

TEST_F(PopoverTest, ASemiTransientPopoverClosesOnAPressElsewhereButNotOnItsAnchorNorWhileItHoldsTyping)
{
    QSignalSpy closed(popover, &Popover::closed);
    QSignalSpy clicked(elsewhere, &QPushButton::clicked);
    show(Popover::Behavior::SemiTransient);
    EXPECT_EQ(popover->windowType(), Qt::Tool);

    QTest::mousePress(anchor, Qt::LeftButton);
    QTest::mouseRelease(anchor, Qt::LeftButton);
    EXPECT_TRUE(popover->isShown()) << "the anchor's own action decides whether it closes";

    // A press elsewhere, and the anchor's action used again, leave what is typed in it open; the action gives the
    // keyboard back to the form.
    QTest::keyClicks(field, QStringLiteral("Buy"));
    QTest::mouseClick(elsewhere, Qt::LeftButton);
    EXPECT_TRUE(popover->closeUnlessTyping());
    EXPECT_TRUE(popover->isShown());
    EXPECT_TRUE(knvt::test::waitUntil([this] { return QApplication::focusWidget() == field; }));
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClick(field, Qt::Key_Backspace);

    QTest::mouseClick(elsewhere, Qt::LeftButton);
    EXPECT_FALSE(popover->isShown());
    ASSERT_EQ(closed.count(), 1);
    EXPECT_EQ(closed.at(0).at(0).value<Popover::CloseReason>(), Popover::CloseReason::Standard);
    EXPECT_EQ(clicked.count(), 2) << "a semi-transient popover lets the press through";
}

TEST_F(PopoverTest, EscapeClosesIt)
{
    QSignalSpy closed(popover, &Popover::closed);
    show(Popover::Behavior::SemiTransient);
    QTest::keyClick(popover, Qt::Key_Escape);
    EXPECT_FALSE(popover->isShown());
    EXPECT_EQ(closed.count(), 1);
}

TEST_F(PopoverTest, ReportsEachCloseOnceAndCanBeShownAgain)
{
    QSignalSpy closed(popover, &Popover::closed);
    show(Popover::Behavior::SemiTransient);
    popover->performClose();
    popover->performClose();
    popover->hide();
    EXPECT_EQ(closed.count(), 1);
    show(Popover::Behavior::SemiTransient);
    EXPECT_TRUE(popover->isShown());
    popover->hide();
    EXPECT_EQ(closed.count(), 2);
}

TEST_F(PopoverTest, DraggingADetachablePopoverTearsItOffIntoAWindow)
{
    QWidget *detachedWindow = nullptr;
    popover->setDetachFactory([&](Popover *from) {
        EXPECT_EQ(from, popover);
        detachedWindow = new QWidget;
        detachedWindow->resize(popover->size());
        return detachedWindow;
    });
    EXPECT_TRUE(popover->isDetachable());
    QSignalSpy closed(popover, &Popover::closed);
    show(Popover::Behavior::SemiTransient);
    const QPoint start = popover->pos();

    // The frame around the content is the popover's own background.
    const QPoint grip(3, 3);
    QTest::mousePress(popover, Qt::LeftButton, {}, grip);
    QTest::mouseMove(popover, grip + QPoint(10, 0));
    EXPECT_TRUE(popover->isShown()) << "a short drag does not tear it off";
    QTest::mouseMove(popover, grip + QPoint(40, 30));
    QTest::mouseRelease(popover, Qt::LeftButton, {}, grip + QPoint(40, 30));

    ASSERT_NE(detachedWindow, nullptr);
    EXPECT_FALSE(popover->isShown());
    EXPECT_TRUE(detachedWindow->isVisible());
    EXPECT_EQ(detachedWindow->pos(), start + QPoint(40, 30));
    ASSERT_EQ(closed.count(), 1);
    EXPECT_EQ(closed.at(0).at(0).value<Popover::CloseReason>(), Popover::CloseReason::Detached);
    delete detachedWindow;
}

TEST_F(PopoverTest, APopoverThatCannotDetachStaysOpen)
{
    show(Popover::Behavior::SemiTransient);
    EXPECT_EQ(popover->detach(knvt::Opener::User), nullptr);
    EXPECT_TRUE(popover->isShown());

    popover->setDetachFactory([](Popover *) { return nullptr; });
    EXPECT_EQ(popover->detach(knvt::Opener::User), nullptr);
    EXPECT_TRUE(popover->isShown());

    const QPoint grip(3, 3);
    QTest::mousePress(popover, Qt::LeftButton, {}, grip);
    QTest::mouseMove(popover, grip + QPoint(50, 50));
    QTest::mouseRelease(popover, Qt::LeftButton, {}, grip + QPoint(50, 50));
    EXPECT_TRUE(popover->isShown());
}

TEST_F(PopoverTest, TheFadeEndsFullyShown)
{
    Popover::animationsEnabled = true;
    popover->setAnimates(true);
    show(Popover::Behavior::SemiTransient);
    knvt::test::waitUntil([&] { return popover->windowOpacity() == 1.0; });
    EXPECT_EQ(popover->windowOpacity(), 1.0);
}

} // namespace

namespace {

TEST(PopoverContent, TextInsideAPopoverKeepsTheStandardColourNotTheFramesFaintOne)
{
    knvt::Popover popover;
    auto *content = new QWidget;
    auto *label = new QLabel(QStringLiteral("Status"), content);
    auto *button = new QPushButton(QStringLiteral("Save"), content);
    popover.setContentWidget(content);
    const QPalette application = QApplication::palette();
    EXPECT_EQ(label->palette().color(QPalette::Active, QPalette::WindowText),
              application.color(QPalette::Active, QPalette::WindowText));
    // Nothing inside takes a palette of its own, whose key every popover would have anew: the style keeps the
    // pixmaps of buttons and pop-ups under that key, and a popover opened a thousand times would leave a thousand.
    EXPECT_EQ(button->palette().cacheKey(), QApplication::palette(button).cacheKey());

    popover.resize(popover.sizeHint());
    const QImage shown = popover.grab().toImage();
    const QRgb faint = popover.palette().color(QPalette::Mid).rgb();
    EXPECT_EQ(shown.pixel(0, shown.height() / 2), faint) << "the frame line";
    EXPECT_EQ(shown.pixel(shown.width() - 1, shown.height() / 2), faint);
}

TEST_F(PopoverTest, ItsWindowIsReadAsWhatItHolds)
{
    popover->contentWidget()->setAccessibleName(QStringLiteral("New Task"));
    show(Popover::Behavior::Transient);
    QAccessibleInterface *read = QAccessible::queryAccessibleInterface(popover);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->role(), QAccessible::Dialog) << "a group of controls reads as a dialog";
    EXPECT_EQ(read->text(QAccessible::Name), QStringLiteral("New Task"));

    auto *list = new QListWidget;
    list->addItems({QStringLiteral("Ann"), QStringLiteral("Bob")});
    list->setWindowTitle(QStringLiteral("Watchers"));
    popover->setContentWidget(list);
    EXPECT_EQ(read->role(), QAccessible::List) << "a popover of one list reads as that list";
    EXPECT_EQ(read->text(QAccessible::Name), QStringLiteral("Watchers"));
}

TEST_F(PopoverTest, EscapeInAFieldClosesItAndLeavesTheTextAsItWas)
{
    show(Popover::Behavior::SemiTransient);
    QSignalSpy closed(popover, &Popover::closed);
    field->setFocus();
    QTest::keyClicks(field, QStringLiteral("Rent"));
    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_FALSE(popover->isShown());
    EXPECT_EQ(closed.count(), 1);
}

TEST_F(PopoverTest, OpeningGivesTheKeyboardFocusToItsContent)
{
    // A popup takes no focus from the window system: without it the keys would go to the window under it.
    elsewhere->setFocus();
    show(Popover::Behavior::Transient);
    EXPECT_TRUE(field->hasFocus()) << "the first control of the content";
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Rent"));
    EXPECT_EQ(field->text(), QStringLiteral("Rent"));
    popover->performClose();

    // A content that chose its control keeps its choice.
    auto *second = new QLineEdit(popover->contentWidget());
    popover->contentWidget()->layout()->addWidget(second);
    second->setFocus();
    elsewhere->setFocus();
    show(Popover::Behavior::SemiTransient);
    EXPECT_TRUE(second->hasFocus() || QApplication::focusWidget() == second);
}

} // namespace
