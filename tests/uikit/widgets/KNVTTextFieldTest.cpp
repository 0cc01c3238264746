#include "uikit/KNVTTextField.h"

#include <QAction>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

namespace {

// The form a field sends its return action to.
class ReturnTarget : public QObject
{
    Q_OBJECT
public:
    QList<QObject *> senders;
    Q_INVOKABLE void save(QObject *sender) { senders.append(sender); }
};

// The window around the field; records the Return presses that the field left unhandled.
class Host : public QWidget
{
public:
    int returnPresses = 0;

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            ++returnPresses;
        QWidget::keyPressEvent(event);
    }
};

enum class Outcome { Action, NoAction };

struct ReturnCase
{
    uint behaviour;
    Qt::KeyboardModifiers modifiers;
    Outcome outcome;
};

class KNVTTextFieldTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        field = new KNVTTextField(QStringLiteral("  Buy milk \n"), &host);
        new QVBoxLayout(&host);
        host.layout()->addWidget(field);
        field->setReturnTarget(&target);
        field->setReturnAction("save");
        host.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    }

    // Presses Return with `modifiers` and reports whether the action ran. Either way a field with a return
    // behaviour keeps Return from its own key-press handling (returnPressed()) and from the window.
    Outcome press(Qt::KeyboardModifiers modifiers)
    {
        QSignalSpy ownHandling(field, &QLineEdit::returnPressed);
        const qsizetype actions = target.senders.size();
        const int passed = host.returnPresses;
        QTest::keyClick(field, Qt::Key_Return, modifiers);
        EXPECT_EQ(field->text(), QStringLiteral("  Buy milk \n"));
        EXPECT_EQ(ownHandling.count(), 0);
        EXPECT_EQ(host.returnPresses, passed);
        if (target.senders.size() == actions)
            return Outcome::NoAction;
        EXPECT_EQ(target.senders.last(), field);
        return Outcome::Action;
    }

    Host host;
    KNVTTextField *field = nullptr;
    ReturnTarget target;
};

TEST_F(KNVTTextFieldTest, ReturnFollowsTheBehaviourAndTheModifiersHeld)
{
    constexpr auto None = Qt::NoModifier;
    constexpr auto Shift = Qt::ShiftModifier;
    constexpr auto Option = Qt::AltModifier;
    constexpr auto Command = Qt::ControlModifier;
    const ReturnCase cases[] = {
        {1, None, Outcome::Action},      {1, Shift, Outcome::NoAction},   {1, Option, Outcome::NoAction},
        {1, Command, Outcome::NoAction}, {2, Command, Outcome::Action},   {2, Command | Shift, Outcome::Action},
        {2, None, Outcome::NoAction},    {2, Shift, Outcome::NoAction},   {3, None, Outcome::Action},
        {3, Command, Outcome::Action},   {3, Shift, Outcome::NoAction},   {3, Option | Command, Outcome::NoAction},
        {4, None, Outcome::NoAction},    {4, Command, Outcome::NoAction}, {17, Shift, Outcome::NoAction},
    };
    for (const ReturnCase &c : cases) {
        field->setReturnBehaviour(c.behaviour);
        EXPECT_EQ(press(c.modifiers), c.outcome) << "behaviour " << c.behaviour << ", modifiers " << c.modifiers;
    }
}

TEST_F(KNVTTextFieldTest, WithoutABehaviourReturnIsTheFieldsOwn)
{
    QSignalSpy ownHandling(field, &QLineEdit::returnPressed);
    EXPECT_EQ(field->returnBehaviour(), 0u);
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(ownHandling.count(), 1);
    // The field leaves the key unaccepted, so the window (its default button) sees it too.
    EXPECT_EQ(host.returnPresses, 1);
    EXPECT_TRUE(target.senders.isEmpty());
}

TEST_F(KNVTTextFieldTest, KeypadEnterIsNotReturn)
{
    QSignalSpy ownHandling(field, &QLineEdit::returnPressed);
    for (uint behaviour : {1u, 3u, 4u}) {
        field->setReturnBehaviour(behaviour);
        QTest::keyClick(field, Qt::Key_Enter, Qt::KeypadModifier);
    }
    EXPECT_TRUE(target.senders.isEmpty());
    EXPECT_EQ(ownHandling.count(), 3);
}

TEST_F(KNVTTextFieldTest, AnActionWithoutALiveTargetDoesNothing)
{
    field->setReturnBehaviour(1);
    field->setReturnTarget(nullptr);
    EXPECT_EQ(press(Qt::NoModifier), Outcome::NoAction);

    auto doomed = std::make_unique<ReturnTarget>();
    field->setReturnTarget(doomed.get());
    doomed.reset();
    EXPECT_EQ(field->returnTarget(), nullptr);
    EXPECT_EQ(press(Qt::NoModifier), Outcome::NoAction);
}

TEST_F(KNVTTextFieldTest, CtrlReturnReachesTheFieldBeforeAWindowShortcut)
{
    QAction shortcut(&host);
    shortcut.setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Return));
    host.addAction(&shortcut);
    QSignalSpy triggered(&shortcut, &QAction::triggered);
    host.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&host));
    field->setFocus();

    field->setReturnBehaviour(2);
    QTest::keyClick(field, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(target.senders.size(), 1);
    EXPECT_EQ(triggered.count(), 0);

    // A field that does not handle Return leaves the shortcut alone.
    field->setReturnBehaviour(0);
    QTest::keyClick(field, Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(triggered.count(), 1);
}

TEST_F(KNVTTextFieldTest, TrimmedStringDropsSpaceAndLineBreaksAtTheEnds)
{
    EXPECT_EQ(field->trimmedString(), QStringLiteral("Buy milk"));
    field->setText(QStringLiteral("\u2028 \t"));
    EXPECT_EQ(field->trimmedString(), QString());
}

} // namespace

#include "KNVTTextFieldTest.moc"
