#include "hotkeys/KNVTShortcutRecorderCell.h"
#include "foundation/Defaults.h"
#include "hotkeys/KNVTShortcutRecorderCellDelegate.h"
#include "hotkeys/ShortcutRecorderCellView.h"
#include "support/CountingBeeper.h"
#include "support/FakeHotKeyBackend.h"
#include "support/RenderedPixels.h"
#include "support/ScopedKeyboardLayout.h"
#include "support/ScriptedAlertPresenter.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

using knvt::RecorderKeyCombo;
using knvt::RecorderKeyEvent;
using knvt::test::CountingBeeper;
using knvt::test::FakeHotKeyBackend;
using knvt::test::ScopedKeyboardLayout;

namespace {

constexpr quint64 kCmd = 0x100000;
constexpr quint64 kOption = 0x80000;
constexpr quint64 kControl = 0x40000;
constexpr quint64 kShift = 0x20000;
constexpr quint64 kFunction = 0x800000;

// The widget side of the cell, without a widget.
struct StandInView : knvt::ShortcutRecorderCellView
{
    QRectF bounds{0, 0, 160, 22};
    bool enabled = true;
    bool focused = true;
    quint64 modifiers = 0;
    QPointF pointer{-1, -1};
    bool captured = false;
    QList<bool> captureChanges;
    int displays = 0;
    int tickScheduled = 0;
    bool tickPending = false;

    QRectF cellBounds() const override { return bounds; }
    bool isCellEnabled() const override { return enabled; }
    void displayNow() override { ++displays; }
    void setNeedsDisplay() override { ++displays; }
    bool isFirstResponder() const override { return focused; }
    void makeFirstResponder() override { focused = true; }
    quint64 currentModifierFlags() const override { return modifiers; }
    QPointF currentPointerPosition() const override { return pointer; }
    void setKeyboardCaptured(bool capture) override
    {
        captured = capture;
        captureChanges.append(capture);
    }
    void scheduleTransitionTick(int milliseconds) override
    {
        EXPECT_EQ(milliseconds, 33);
        ++tickScheduled;
        tickPending = true;
    }
    void cancelTransitionTick() override { tickPending = false; }
};

struct Listener : KNVTShortcutRecorderCellDelegate
{
    QList<RecorderKeyCombo> changes;
    QList<std::pair<qint64, quint64>> asked;
    void shortcutRecorderCellKeyComboDidChange(KNVTShortcutRecorderCell *, RecorderKeyCombo combo) override
    {
        changes.append(combo);
    }
    bool shortcutRecorderCellIsKeyCodeTaken(KNVTShortcutRecorderCell *, qint64 keyCode, quint64 flags,
                                            QString *reason) override
    {
        asked.append({keyCode, flags});
        if (keyCode != 11)
            return false;
        *reason = QStringLiteral("the form uses it");
        return true;
    }
};

RecorderKeyEvent key(int keyCode, quint64 flags, const QString &characters)
{
    return {keyCode, flags, characters, characters};
}

const RecorderKeyEvent kSpace = key(49, 0, QStringLiteral(" "));

class KNVTShortcutRecorderCellTest : public ::testing::Test
{
protected:
    KNVTShortcutRecorderCellTest()
    {
        cell.setView(&view);
        cell.setDelegate(&listener);
    }
    void startRecording()
    {
        ASSERT_TRUE(cell.performKeyEquivalent(kSpace));
        ASSERT_TRUE(cell.isRecording());
    }

    ScopedKeyboardLayout us{QStringLiteral("us")};
    FakeHotKeyBackend backend;
    knvt::ScriptedAlertPresenter alerts;
    CountingBeeper beeper;
    StandInView view;
    Listener listener;
    KNVTShortcutRecorderCell cell;
};

} // namespace

TEST_F(KNVTShortcutRecorderCellTest, RecordsATypedCombinationAndTellsTheDelegate)
{
    EXPECT_TRUE(cell.isEmpty());
    EXPECT_EQ(cell.keyComboString(), QString());
    EXPECT_EQ(cell.idleText(), QStringLiteral("Click to record shortcut"));
    startRecording();
    EXPECT_EQ(cell.recordingText(), QStringLiteral("Type shortcut"));
    cell.flagsChanged(kCmd | kShift);
    EXPECT_EQ(cell.recordingText(), QStringLiteral("Ctrl+Shift+"));

    EXPECT_TRUE(cell.performKeyEquivalent({40, kCmd | kShift, QStringLiteral("K"), QStringLiteral("K")}));
    EXPECT_FALSE(cell.isRecording());
    EXPECT_EQ(cell.keyCombo(), (RecorderKeyCombo{kCmd | kShift, 40}));
    EXPECT_EQ(cell.keyComboString(), QStringLiteral("Ctrl+Shift+K"));
    EXPECT_EQ(cell.keyChars(), QStringLiteral("K"));
    EXPECT_EQ(cell.recordingFlags(), 0u);
    ASSERT_EQ(listener.changes.size(), 1);
    EXPECT_EQ(listener.changes.first(), (RecorderKeyCombo{kCmd | kShift, 40}));
    EXPECT_EQ(listener.asked.constLast(), (std::pair<qint64, quint64>{40, kCmd | kShift}));
    EXPECT_EQ(alerts.requests().size(), 0);

    // Setting by code reaches the delegate too, also when nothing changes.
    cell.setKeyCombo({kCmd | kShift, 40});
    EXPECT_EQ(listener.changes.size(), 2);
    EXPECT_FALSE(cell.hasKeyChars());
    EXPECT_EQ(cell.keyChars(), QStringLiteral("K"));
    EXPECT_EQ(cell.keyCharsIgnoringModifiers(), QStringLiteral("K"));
}

TEST_F(KNVTShortcutRecorderCellTest, CancelKeysFunctionKeysAndKeysWithoutModifiers)
{
    for (const int cancel : {53, 51, 117}) {
        startRecording();
        EXPECT_TRUE(cell.performKeyEquivalent(key(cancel, 0, QStringLiteral("\x1b"))));
        EXPECT_FALSE(cell.isRecording()) << cancel;
        EXPECT_TRUE(listener.changes.isEmpty()) << cancel;
    }
    startRecording();
    EXPECT_TRUE(cell.performKeyEquivalent(key(53, kCmd, QStringLiteral("\x1b"))));
    EXPECT_EQ(cell.keyCombo(), (RecorderKeyCombo{kCmd, 53})) << "with Command it is recorded";

    startRecording();
    EXPECT_FALSE(cell.performKeyEquivalent(key(0, 0, QStringLiteral("a")))) << "a key alone is not handled";
    EXPECT_TRUE(cell.isRecording());
    EXPECT_TRUE(cell.performKeyEquivalent(key(96, kFunction, QStringLiteral("F5"))));
    EXPECT_EQ(cell.keyCombo(), (RecorderKeyCombo{kFunction, 96})) << "F5 alone carries the Function bit";
    EXPECT_EQ(cell.keyComboString(), QStringLiteral("F5"));

    cell.setAllowsKeyOnly(true, false);
    startRecording();
    EXPECT_TRUE(cell.performKeyEquivalent(key(53, 0, QStringLiteral("\x1b"))));
    EXPECT_EQ(cell.keyCombo().code, 96) << "Escape alone still cancels";
    startRecording();
    EXPECT_TRUE(cell.performKeyEquivalent(key(0, 0, QStringLiteral("a"))));
    EXPECT_EQ(cell.keyCombo(), (RecorderKeyCombo{0, 0}));

    cell.setAllowsKeyOnly(true, true);
    startRecording();
    EXPECT_TRUE(cell.performKeyEquivalent(key(53, 0, QStringLiteral("\x1b"))));
    EXPECT_EQ(cell.keyCombo(), (RecorderKeyCombo{0, 53})) << "Escape records when escape keys record";
}

TEST_F(KNVTShortcutRecorderCellTest, AllowedAndRequiredModifiersFilterTheCombination)
{
    cell.setAllowedFlags(kCmd | kShift);
    startRecording();
    EXPECT_TRUE(cell.performKeyEquivalent({40, kCmd | kOption | kControl, QStringLiteral("k"), QStringLiteral("k")}));
    EXPECT_EQ(cell.keyCombo(), (RecorderKeyCombo{kCmd, 40}));

    cell.setRequiredFlags(kControl);
    EXPECT_EQ(cell.keyCombo(), (RecorderKeyCombo{kCmd | kControl, 40})) << "required modifiers join at once";
    EXPECT_EQ(listener.changes.constLast(), (RecorderKeyCombo{kCmd | kControl, 40}));
    startRecording();
    EXPECT_EQ(cell.recordingText(), QStringLiteral("Meta+")) << "also in the live label";
    cell.flagsChanged(kOption | kShift);
    EXPECT_EQ(cell.recordingFlags(), kControl | kShift);

    cell.setAllowedFlags(KNVTShortcutRecorderCell::DefaultAllowedFlags);
    cell.setRequiredFlags(0);
    cell.setKeyCombo({kCmd | 0x1, 12});
    EXPECT_EQ(cell.keyCombo(), (RecorderKeyCombo{kCmd, 12})) << "bits that are no modifier are dropped";
}

TEST_F(KNVTShortcutRecorderCellTest, TakenCombinationsAreExplainedAndRecordingGoesOn)
{
    cell.setCanCaptureGlobalHotKeys(true);
    backend.holdElsewhere(32, 0x900);
    startRecording();
    EXPECT_TRUE(view.captured);
    EXPECT_TRUE(backend.isSuspended());
    view.modifiers = kCmd;
    alerts.answerWithIndex(0);
    EXPECT_TRUE(cell.performKeyEquivalent({32, kCmd | kOption, QStringLiteral("u"), QStringLiteral("u")}));
    ASSERT_EQ(alerts.requests().size(), 1);
    EXPECT_EQ(alerts.requests().first().title, QStringLiteral("The key combination Ctrl+Alt+U can't be used!"));
    EXPECT_TRUE(alerts.requests().first().critical);
    EXPECT_TRUE(cell.isRecording());
    EXPECT_TRUE(listener.changes.isEmpty());
    EXPECT_EQ(cell.recordingFlags(), kCmd) << "the modifiers are read again after the alert";
    EXPECT_EQ(view.captureChanges, (QList<bool>{true, false, true})) << "the alert gets the keyboard";

    // The delegate's reservation completes the explanation.
    alerts.answerWithIndex(0);
    EXPECT_TRUE(cell.performKeyEquivalent({11, kCmd, QStringLiteral("b"), QStringLiteral("b")}));
    EXPECT_EQ(alerts.requests().constLast().message,
              QStringLiteral("The key combination \"Ctrl+B\" can't be used because the form uses it."));

    // A dead key types nothing: a beep ends the recording.
    EXPECT_TRUE(cell.performKeyEquivalent({24, kCmd, QString(), QString()}));
    EXPECT_EQ(beeper.count(), 1);
    EXPECT_FALSE(cell.isRecording());
    EXPECT_FALSE(view.captured);
    EXPECT_FALSE(backend.isSuspended());
    EXPECT_EQ(alerts.unexpectedCount(), 0);
}

TEST_F(KNVTShortcutRecorderCellTest, CapturingPairsOneReleaseWithAnyNumberOfStarts)
{
    cell.setCanCaptureGlobalHotKeys(true);
    startRecording();
    // Space with modifiers that are not valid starts the recording again.
    EXPECT_FALSE(cell.performKeyEquivalent(key(49, 0, QStringLiteral(" "))));
    EXPECT_TRUE(cell.isRecording());
    EXPECT_TRUE(cell.resignFirstResponder());
    EXPECT_FALSE(cell.isRecording()) << "losing the focus ends a recording";
    EXPECT_EQ(view.captureChanges, (QList<bool>{true, false}));
    EXPECT_FALSE(backend.isSuspended());
}

TEST_F(KNVTShortcutRecorderCellTest, TheRemoveAndSnapbackButtons)
{
    cell.setKeyCombo({kCmd, 31});
    listener.changes.clear();
    const QRectF remove = cell.removeButtonRectForFrame(view.bounds);
    EXPECT_EQ(remove, QRectF(142, 4, 14, 14));
    view.enabled = false;
    EXPECT_TRUE(cell.removeButtonRectForFrame(view.bounds).isEmpty()) << "a disabled cell has no remove button";
    view.enabled = true;

    cell.mouseDown(remove.center());
    EXPECT_TRUE(cell.isMouseDown());
    cell.mouseDragged(QPointF(60, 10));
    EXPECT_FALSE(cell.mouseInsideTrackingArea());
    cell.mouseUp(remove.center());
    EXPECT_EQ(cell.keyCombo(), (RecorderKeyCombo{0, -1}));
    EXPECT_EQ(listener.changes, (QList<RecorderKeyCombo>{{0, -1}}));
    EXPECT_TRUE(cell.removeButtonRectForFrame(view.bounds).isEmpty()) << "an empty cell has no remove button";
    EXPECT_FALSE(cell.isRecording());

    cell.setKeyCombo({kCmd, 31});
    cell.mouseDown(QPointF(40, 10));
    cell.mouseUp(QPointF(40, 10));
    EXPECT_TRUE(cell.isRecording()) << "a click in the field records";
    const QRectF snapback = cell.snapbackRectForFrame(view.bounds);
    EXPECT_EQ(snapback, QRectF(144, 5, 14, 14));
    view.pointer = snapback.center();
    cell.resetTrackingRects();
    EXPECT_TRUE(cell.mouseInsideTrackingArea());
    EXPECT_EQ(cell.recordingText(), QStringLiteral("Use old shortcut"));
    cell.mouseDown(snapback.center());
    cell.mouseUp(snapback.center());
    EXPECT_FALSE(cell.isRecording());
    EXPECT_EQ(cell.keyCombo(), (RecorderKeyCombo{kCmd, 31})) << "snapping back keeps the combination";

    cell.pointerMoved(remove.center());
    EXPECT_TRUE(cell.mouseInsideTrackingArea());
    cell.pointerMoved(QPointF(20, 10));
    EXPECT_FALSE(cell.mouseInsideTrackingArea());
}

TEST_F(KNVTShortcutRecorderCellTest, TheSlidingStyleAnimatesBothWays)
{
    cell.setStyle(7);
    EXPECT_EQ(cell.style(), KNVTShortcutRecorderStyleTinted);
    cell.setAnimates(true);
    ASSERT_TRUE(cell.performKeyEquivalent(kSpace));
    EXPECT_TRUE(cell.isRecording()) << "only the sliding style animates";
    cell.resignFirstResponder();

    cell.setStyle(KNVTShortcutRecorderStyleSliding);
    ASSERT_TRUE(cell.performKeyEquivalent(kSpace));
    EXPECT_FALSE(cell.isRecording());
    EXPECT_TRUE(cell.isAnimatingNow());
    EXPECT_TRUE(view.tickPending);
    // Keys typed while the field slides open take the path of an idle cell.
    EXPECT_FALSE(cell.performKeyEquivalent({40, kCmd, QStringLiteral("k"), QStringLiteral("k")}));
    EXPECT_EQ(cell.keyCombo().code, -1);
    for (int tick = 1; tick <= 10; ++tick) {
        cell.transitionTick();
        EXPECT_FALSE(cell.isRecording()) << tick;
    }
    EXPECT_NEAR(cell.transitionProgress(), 10 * 0.095238097, 1e-9);
    cell.transitionTick();
    EXPECT_TRUE(cell.isRecording()) << "the eleventh tick ends the opening";
    EXPECT_FALSE(cell.isAnimatingNow());
    EXPECT_EQ(view.tickScheduled, 11);

    ASSERT_TRUE(cell.performKeyEquivalent({40, kCmd, QStringLiteral("k"), QStringLiteral("k")}));
    EXPECT_TRUE(cell.comboJustChanged());
    EXPECT_TRUE(cell.isRecording()) << "still recording while the field slides closed";
    for (int tick = 0; tick < 11; ++tick)
        cell.transitionTick();
    EXPECT_FALSE(cell.isRecording());
    EXPECT_FALSE(cell.comboJustChanged());
}

TEST_F(KNVTShortcutRecorderCellTest, AutosaveArchiveAndCopy)
{
    cell.setAutosaveName(QStringLiteral("quick"));
    startRecording();
    ASSERT_TRUE(cell.performKeyEquivalent({14, kCmd | kOption, QStringLiteral("e"), QStringLiteral("e")}));
    const QVariantMap stored = knvt::Defaults::standard().value(QStringLiteral("KNVTShortcuts quick")).toMap();
    EXPECT_EQ(stored.value(QStringLiteral("keyCode")).toInt(), 14);
    EXPECT_EQ(stored.value(QStringLiteral("modifierFlags")).toULongLong(), kCmd | kOption);
    EXPECT_EQ(stored.value(QStringLiteral("modifiers")).toULongLong(), 0x900u);
    EXPECT_EQ(stored.value(QStringLiteral("keyChars")).toString(), QStringLiteral("e"));

    cell.setStyle(KNVTShortcutRecorderStyleSliding);
    cell.setAllowsKeyOnly(true, true);
    const QVariantMap archive = cell.archive();
    EXPECT_EQ(archive.value(QStringLiteral("keyComboCode")).toInt(), 14);
    EXPECT_EQ(archive.value(QStringLiteral("style")).toInt(), 1);

    knvt::Defaults::standard().setValue(
        QStringLiteral("KNVTShortcuts quick"),
        QVariantMap{{QStringLiteral("keyCode"), 31}, {QStringLiteral("modifiers"), 0x300}});
    KNVTShortcutRecorderCell restored(archive);
    EXPECT_EQ(restored.keyCombo(), (RecorderKeyCombo{kCmd | kShift, 31})) << "the autosave wins over the archive";
    EXPECT_FALSE(restored.hasKeyChars());
    EXPECT_TRUE(restored.allowsKeyOnly());
    EXPECT_TRUE(restored.escapeKeysRecord());
    EXPECT_EQ(restored.style(), KNVTShortcutRecorderStyleSliding);

    QVariantMap unnamed = archive;
    unnamed.insert(QStringLiteral("autosaveName"), QString());
    unnamed.insert(QStringLiteral("allowedFlags"), quint64(kCmd));
    KNVTShortcutRecorderCell fromArchive(unnamed);
    EXPECT_EQ(fromArchive.keyCombo(), (RecorderKeyCombo{kCmd | kOption, 14}));
    EXPECT_EQ(fromArchive.keyChars(), QStringLiteral("e"));
    EXPECT_EQ(fromArchive.allowedFlags(), kCmd | kFunction) << "Function is always allowed after reading";

    // An autosaved cell with nothing stored reads key code 0.
    knvt::Defaults::standard().remove(QStringLiteral("KNVTShortcuts quick"));
    KNVTShortcutRecorderCell nothingStored(archive);
    EXPECT_EQ(nothingStored.keyCombo(), (RecorderKeyCombo{0, 0}));

    const std::unique_ptr<KNVTShortcutRecorderCell> copy = restored.copy();
    EXPECT_EQ(copy->keyCombo(), restored.keyCombo());
    EXPECT_EQ(copy->autosaveName(), QStringLiteral("quick"));
    EXPECT_EQ(copy->style(), KNVTShortcutRecorderStyleSliding);
}

TEST_F(KNVTShortcutRecorderCellTest, BothStylesPaintTheirStates)
{
    QPalette palette;
    palette.setColor(QPalette::Highlight, QColor(0, 90, 200));
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Mid, QColor(128, 128, 128));
    auto paint = [&](const KNVTShortcutRecorderCell &drawn) {
        QImage image(160, 22, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        drawn.draw(painter, view.bounds, palette, QApplication::font());
        return image;
    };
    const QPoint leftEdge(3, 11);
    const QPoint removeCentre(149, 11);

    QImage idle = paint(cell);
    EXPECT_TRUE(knvt::test::near(idle.pixel(leftEdge), Qt::white, 16)) << "idle: a white field";
    EXPECT_TRUE(knvt::test::near(idle.pixel(removeCentre), Qt::white, 16)) << "empty: no remove button";
    cell.setKeyCombo({kCmd, 31});
    idle = paint(cell);
    EXPECT_LT(qGray(idle.pixel(QPoint(149, 6))), 220) << "the remove button's disc";

    startRecording();
    const QImage recording = paint(cell);
    const QColor edge = recording.pixel(QPoint(1, 11));
    EXPECT_GT(edge.blue(), edge.red() + 60) << "recording: tinted with the selection colour";
    EXPECT_GT(qAlpha(recording.pixel(150, 11)), 200);

    cell.setStyle(KNVTShortcutRecorderStyleSliding);
    const QImage slidingRecording = paint(cell);
    EXPECT_TRUE(knvt::test::near(slidingRecording.pixel(leftEdge), Qt::white, 16));
    EXPECT_LT(qGray(slidingRecording.pixel(QPoint(142, 11))), 235) << "the snap-back box at the right";
    cell.resignFirstResponder();
    const QImage slidingIdle = paint(cell);
    EXPECT_GT(qGray(slidingIdle.pixel(QPoint(142, 3))), 200) << "the box slid away with the recording layer";
}
