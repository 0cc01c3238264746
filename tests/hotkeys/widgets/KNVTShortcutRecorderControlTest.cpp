#include "hotkeys/KNVTShortcutRecorderControl.h"
#include "hotkeys/KNVTShortcutRecorderCell.h"
#include "hotkeys/KNVTShortcutRecorderDelegate.h"
#include "support/FakeHotKeyBackend.h"
#include "support/ScopedKeyboardLayout.h"
#include "support/ScriptedAlertPresenter.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using knvt::RecorderKeyCombo;
using knvt::test::FakeHotKeyBackend;
using knvt::test::ScopedKeyboardLayout;

namespace {

constexpr quint64 kCmd = 0x100000;
constexpr quint64 kOption = 0x80000;
constexpr quint64 kFunction = 0x800000;

struct Owner : KNVTShortcutRecorderDelegate
{
    QList<RecorderKeyCombo> changes;
    void shortcutRecorderKeyComboDidChange(KNVTShortcutRecorderControl *, RecorderKeyCombo combo) override
    {
        changes.append(combo);
    }
};

class Observed : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QVariant shortcut MEMBER m_shortcut)

public:
    QVariant m_shortcut = QStringLiteral("untouched");
};

// A window with a text field and the recorder, shown and active.
class KNVTShortcutRecorderControlTest : public ::testing::Test
{
protected:
    KNVTShortcutRecorderControlTest()
    {
        auto *layout = new QVBoxLayout(&window);
        field = new QLineEdit(&window);
        recorder = new KNVTShortcutRecorderControl(&window);
        layout->addWidget(field);
        layout->addWidget(recorder);
        recorder->setDelegate(&owner);
        window.resize(240, 80);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        field->setFocus();
    }
    ~KNVTShortcutRecorderControlTest() override { recorder->setDelegate(nullptr); }

    ScopedKeyboardLayout us{QStringLiteral("us")};
    FakeHotKeyBackend backend;
    knvt::ScriptedAlertPresenter alerts;
    Owner owner;
    QWidget window;
    QLineEdit *field = nullptr;
    KNVTShortcutRecorderControl *recorder = nullptr;
};

} // namespace

TEST_F(KNVTShortcutRecorderControlTest, KeepsItsHeightAndAMinimumWidth)
{
    KNVTShortcutRecorderControl alone;
    alone.resize(30, 40);
    EXPECT_EQ(alone.size(), QSize(50, 22));
    alone.resize(120, 10);
    EXPECT_EQ(alone.size(), QSize(120, 22));
    alone.setGeometry(5, 7, 200, 30);
    EXPECT_EQ(alone.geometry(), QRect(5, 7, 200, 22));
    EXPECT_EQ(alone.focusPolicy(), Qt::StrongFocus);
    EXPECT_TRUE(alone.hasMouseTracking());
}

TEST_F(KNVTShortcutRecorderControlTest, ClickingAndTypingRecordsAChord)
{
    QTest::mouseClick(recorder, Qt::LeftButton, Qt::NoModifier, QPoint(40, 11));
    EXPECT_TRUE(recorder->isRecording());
    EXPECT_TRUE(recorder->hasFocus());
    EXPECT_EQ(recorder->faceText(), QStringLiteral("Type shortcut"));
    QTest::keyPress(recorder, Qt::Key_Control);
    QTest::keyPress(recorder, Qt::Key_Alt, Qt::ControlModifier);
    EXPECT_EQ(recorder->faceText(), QStringLiteral("Ctrl+Alt+"));

    QTest::keyClick(recorder, Qt::Key_E, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_EQ(recorder->keyCombo(), (RecorderKeyCombo{kCmd | kOption, 14}));
    EXPECT_EQ(recorder->faceText(), QStringLiteral("Ctrl+Alt+E"));
    EXPECT_EQ(owner.changes, (QList<RecorderKeyCombo>{{kCmd | kOption, 14}}));
    EXPECT_EQ(recorder->keyChars(), QStringLiteral("e"));
    EXPECT_EQ(KNVTShortcutRecorderControl::cocoaToCarbonFlags(recorder->keyCombo().flags), 0x900u);
    EXPECT_EQ(KNVTShortcutRecorderControl::carbonToCocoaFlags(0x1200), 0x60000u);

    // Space starts a recording from the keyboard; F5 alone is a chord.
    QTest::keyClick(recorder, Qt::Key_Space);
    EXPECT_TRUE(recorder->isRecording());
    QTest::keyClick(recorder, Qt::Key_F5);
    EXPECT_EQ(recorder->keyCombo(), (RecorderKeyCombo{kFunction, 96}));
    EXPECT_EQ(recorder->faceText(), QStringLiteral("F5"));
}

TEST_F(KNVTShortcutRecorderControlTest, KeysReachTheRecorderOnlyWithTheFocusAndShortcutsWaitWhileRecording)
{
    QTest::keyClick(field, Qt::Key_Space);
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_EQ(field->text(), QStringLiteral(" "));

    int triggered = 0;
    QAction action(QStringLiteral("Export"), &window);
    action.setShortcut(QKeySequence(QStringLiteral("Ctrl+Alt+E")));
    window.addAction(&action);
    QObject::connect(&action, &QAction::triggered, &window, [&triggered] { ++triggered; });

    QTest::mouseClick(recorder, Qt::LeftButton, Qt::NoModifier, QPoint(40, 11));
    QTest::keyClick(recorder, Qt::Key_E, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(triggered, 0) << "the recorder takes the chord first";
    EXPECT_EQ(recorder->keyCombo().code, 14);
    QTest::keyClick(recorder, Qt::Key_E, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(triggered, 1) << "once recorded, the window's shortcut works again";

    // Moving the focus away ends a recording.
    QTest::mouseClick(recorder, Qt::LeftButton, Qt::NoModifier, QPoint(40, 11));
    ASSERT_TRUE(recorder->isRecording());
    field->setFocus(Qt::TabFocusReason);
    EXPECT_FALSE(recorder->isRecording());
}

TEST_F(KNVTShortcutRecorderControlTest, RecordingTakesTheKeyboardAndSuspendsTheHotKeys)
{
    recorder->setCanCaptureGlobalHotKeys(true);
    QTest::mouseClick(recorder, Qt::LeftButton, Qt::NoModifier, QPoint(40, 11));
    EXPECT_EQ(QWidget::keyboardGrabber(), recorder);
    EXPECT_TRUE(backend.isSuspended());
    QTest::keyClick(recorder, Qt::Key_Escape);
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_EQ(QWidget::keyboardGrabber(), nullptr);
    EXPECT_FALSE(backend.isSuspended());

    // Closing the window while recording gives everything back too.
    QTest::mouseClick(recorder, Qt::LeftButton, Qt::NoModifier, QPoint(40, 11));
    ASSERT_TRUE(backend.isSuspended());
    window.hide();
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_EQ(QWidget::keyboardGrabber(), nullptr);
    EXPECT_FALSE(backend.isSuspended());
}

TEST_F(KNVTShortcutRecorderControlTest, AnotherWindowComingForwardEndsARecordingWithoutStoringAnything)
{
    recorder->setCanCaptureGlobalHotKeys(true);
    recorder->setKeyCombo({kCmd | kOption, 14});
    owner.changes.clear();
    QWidget other;
    other.resize(120, 60);

    QTest::mouseClick(recorder, Qt::LeftButton, Qt::NoModifier, QPoint(40, 11));
    ASSERT_TRUE(recorder->isRecording());
    ASSERT_EQ(QWidget::keyboardGrabber(), recorder);
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_EQ(QWidget::keyboardGrabber(), nullptr) << "the keyboard goes back to every other window";
    EXPECT_FALSE(backend.isSuspended()) << "the hot keys are live again";
    EXPECT_EQ(recorder->keyCombo(), (RecorderKeyCombo{kCmd | kOption, 14}));
    EXPECT_TRUE(owner.changes.isEmpty()) << "nothing was recorded";

    // The recorder's own alert about a taken chord comes forward too, and the recording goes on behind it.
    other.hide();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    backend.holdElsewhere(14, 0x900);
    bool recordingWhileShown = false;
    alerts.answerWithTitle(QStringLiteral("OK"), false, [&] {
        other.show();
        other.activateWindow();
        recordingWhileShown = QTest::qWaitForWindowActive(&other) && recorder->isRecording();
        other.hide();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    });
    QTest::mouseClick(recorder, Qt::LeftButton, Qt::NoModifier, QPoint(40, 11));
    QTest::keyClick(recorder, Qt::Key_E, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(alerts.requests().size(), 1);
    EXPECT_TRUE(recordingWhileShown);
    EXPECT_TRUE(recorder->isRecording());
    EXPECT_EQ(QWidget::keyboardGrabber(), recorder);
}

TEST_F(KNVTShortcutRecorderControlTest, AssistiveTechnologyReadsTheShortcutAndWhetherItIsRecording)
{
    QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(recorder);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::Button);
    EXPECT_EQ(accessible->text(QAccessible::Name), QStringLiteral("Shortcut"));
    recorder->setAccessibleName(QStringLiteral("Quick Entry shortcut"));
    EXPECT_EQ(accessible->text(QAccessible::Name), QStringLiteral("Quick Entry shortcut"));
    EXPECT_EQ(accessible->text(QAccessible::Value), QString()) << "nothing recorded yet";
    EXPECT_EQ(accessible->text(QAccessible::Description),
              QStringLiteral("No shortcut. Press Space to record a new shortcut."));
    EXPECT_TRUE(accessible->state().checkable);
    EXPECT_FALSE(accessible->state().checked);

    recorder->setKeyCombo({kCmd | kOption, 14});
    EXPECT_EQ(accessible->text(QAccessible::Value), QStringLiteral("Ctrl+Alt+E"));
    // Qt 6.4's AT-SPI bridge sends a button's name and description, never its value.
    EXPECT_EQ(accessible->text(QAccessible::Description),
              QStringLiteral("Shortcut Ctrl+Alt+E. Press Space to record a new shortcut."));

    QTest::mouseClick(recorder, Qt::LeftButton, Qt::NoModifier, QPoint(40, 11));
    EXPECT_TRUE(accessible->state().checked) << "recording";
    EXPECT_TRUE(accessible->text(QAccessible::Description).contains(QStringLiteral("Recording")));

    QTest::keyClick(recorder, Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_FALSE(accessible->state().checked);
    EXPECT_EQ(accessible->text(QAccessible::Value), QStringLiteral("Ctrl+Shift+K"));
    EXPECT_EQ(accessible->text(QAccessible::Description),
              QStringLiteral("Shortcut Ctrl+Shift+K. Press Space to record a new shortcut."));

    recorder->setAccessibleDescription(QStringLiteral("Opens Quick Entry from any program."));
    EXPECT_EQ(accessible->text(QAccessible::Description),
              QStringLiteral("Shortcut Ctrl+Shift+K. Opens Quick Entry from any program."));
}

TEST_F(KNVTShortcutRecorderControlTest, ObjectValueAndTheValueBinding)
{
    EXPECT_TRUE(recorder->objectValue().isEmpty());
    recorder->setAllowsKeyOnly(true, false);
    recorder->setKeyCombo({0, 12});
    EXPECT_TRUE(recorder->objectValue().isEmpty()) << "a key alone has no object value";

    QSignalSpy changed(recorder, &KNVTShortcutRecorderControl::objectValueChanged);
    recorder->setObjectValue({{QStringLiteral("keyCode"), 40}, {QStringLiteral("modifierFlags"), kCmd}});
    EXPECT_EQ(recorder->keyCombo(), (RecorderKeyCombo{kCmd, 40}));
    EXPECT_EQ(recorder->objectValue(),
              (QVariantMap{{QStringLiteral("characters"), QStringLiteral("K")},
                           {QStringLiteral("keyCode"), qint64(40)},
                           {QStringLiteral("modifierFlags"), quint64(kCmd)}}));
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(recorder->property("objectValue").toMap(), recorder->objectValue());

    recorder->setObjectValue(
        {{QStringLiteral("keyCode"), QStringLiteral("40")}, {QStringLiteral("modifierFlags"), kCmd}});
    EXPECT_EQ(recorder->keyCombo(), (RecorderKeyCombo{0, -1})) << "a value of the wrong shape clears";

    Observed observed;
    recorder->bindValue(&observed, "shortcut");
    recorder->setKeyCombo({kCmd, 31});
    EXPECT_EQ(observed.m_shortcut.toMap().value(QStringLiteral("keyCode")).toInt(), 31);
    recorder->setKeyCombo({0, -1});
    EXPECT_FALSE(observed.m_shortcut.isValid()) << "an empty recorder pushes nothing";

    recorder->bindValue(&observed, "shortcut", [](const QVariant &value) {
        return QVariant(value.toMap().value(QStringLiteral("characters")));
    });
    recorder->setKeyCombo({kCmd, 31});
    EXPECT_EQ(observed.m_shortcut, QVariant(QStringLiteral("O")));

    QList<QString> logged;
    static QList<QString> *sink = nullptr;
    sink = &logged;
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext &, const QString &message) { sink->append(message); });
    {
        Observed gone;
        recorder->bindValue(&gone, "shortcut");
    }
    recorder->setKeyCombo({kCmd, 32});
    recorder->bindValue(&observed, QByteArray());
    recorder->setKeyCombo({kCmd, 33});
    qInstallMessageHandler(previous);
    EXPECT_EQ(logged,
              (QList<QString>{
                  QStringLiteral("ERROR: NSObservedObjectKey was nil for value binding in "
                                 "-[KNVTShortcutRecorderControl shortcutRecorderCell:keyComboDidChange:]"),
                  QStringLiteral("ERROR: NSObservedKeyPathKey was nil for value binding in "
                                 "-[KNVTShortcutRecorderControl shortcutRecorderCell:keyComboDidChange:]"),
              }));
    EXPECT_EQ(observed.m_shortcut, QVariant(QStringLiteral("O")));
}

TEST_F(KNVTShortcutRecorderControlTest, ARestoredControlKeepsItsSettings)
{
    recorder->setStyle(KNVTShortcutRecorderStyleSliding);
    recorder->setKeyCombo({kCmd | kOption, 14});
    recorder->setAllowedFlags(kCmd | kOption | kFunction);
    KNVTShortcutRecorderControl restored(recorder->archive());
    EXPECT_EQ(restored.style(), KNVTShortcutRecorderStyleSliding);
    EXPECT_EQ(restored.keyCombo(), (RecorderKeyCombo{kCmd | kOption, 14}));
    EXPECT_EQ(restored.allowedFlags(), kCmd | kOption | kFunction);
    EXPECT_EQ(restored.keyComboString(), QStringLiteral("Ctrl+Alt+E"));
}

#include "KNVTShortcutRecorderControlTest.moc"

TEST_F(KNVTShortcutRecorderControlTest, ARecordingIsAChangeHeldAndGoesOnWhenAQuestionGivesTheKeyboardBack)
{
    recorder->setCanCaptureGlobalHotKeys(true);
    recorder->setAccessibleName(QStringLiteral("Quick Entry shortcut"));
    EXPECT_EQ(recorder->holding(), QString()) << "a combination recorded is stored at once: nothing is held";

    // A window takes the keyboard from a recording; then the keyboard comes back to the recorder.
    struct Case
    {
        const char *name;
        // A question of the application (modal), or another window the user went to.
        bool question;
        // The keyboard went to the field first, and the user tabs back to the recorder later.
        bool tabbedBackLater;
        bool records;
    };
    const Case cases[] = {
        {"a question closes and gives the keyboard back", true, false, true},
        {"the user tabs back long after a question", true, true, false},
        {"the user went to another window and back", false, false, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        QTest::mouseClick(recorder, Qt::LeftButton, Qt::NoModifier, QPoint(40, 11));
        ASSERT_TRUE(recorder->isRecording());
        EXPECT_EQ(recorder->holding(), QStringLiteral("Quick Entry shortcut: being recorded"));
        QWidget other;
        other.resize(120, 60);
        if (c.question)
            other.setWindowModality(Qt::ApplicationModal);
        other.show();
        other.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
        EXPECT_FALSE(recorder->isRecording());
        EXPECT_EQ(QWidget::keyboardGrabber(), nullptr) << "the window that came forward gets the keys";
        other.hide();
        if (c.tabbedBackLater)
            field->setFocus();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        if (c.tabbedBackLater)
            recorder->setFocus(Qt::TabFocusReason);
        EXPECT_TRUE(recorder->hasFocus());
        EXPECT_EQ(recorder->isRecording(), c.records);
        EXPECT_EQ(QWidget::keyboardGrabber(), c.records ? recorder : nullptr);
        if (recorder->isRecording())
            QTest::keyClick(recorder, Qt::Key_Escape);
    }
}
