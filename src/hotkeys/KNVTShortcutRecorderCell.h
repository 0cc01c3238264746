#pragma once

#include "hotkeys/KNVTShortcutValidatorDelegate.h"
#include "hotkeys/RecorderKeyCombo.h"

#include <QFont>
#include <QPalette>
#include <QRectF>
#include <QSet>
#include <QString>
#include <QVariantMap>

#include <memory>

class KNVTShortcutRecorderCellDelegate;
class KNVTShortcutValidator;
class QPainter;

namespace knvt {
class ShortcutRecorderCellView;
}

enum KNVTShortcutRecorderStyle { KNVTShortcutRecorderStyleTinted = 0, KNVTShortcutRecorderStyleSliding = 1 };

// Everything the shortcut recorder knows and does, without a widget: it holds one combination, records a new one
// after a click or the space bar, checks it with the validator, clears it with the remove button, cancels with the
// snap-back button or a cancel key, tells its delegate of every change, stores the combination under an autosave
// name and draws itself in the tinted or the sliding style. The control feeds it key events, mouse positions and
// animation ticks.
class KNVTShortcutRecorderCell : public KNVTShortcutValidatorDelegate
{
public:
    static constexpr quint64 DefaultAllowedFlags = 0x9E0000; // Command, Option, Control, Shift, Function

    KNVTShortcutRecorderCell();
    // Restores the keyed archive; Function is always allowed afterwards, and a stored autosaved combination replaces
    // the archived one.
    explicit KNVTShortcutRecorderCell(const QVariantMap &archive);
    ~KNVTShortcutRecorderCell() override;
    KNVTShortcutRecorderCell(const KNVTShortcutRecorderCell &) = delete;
    KNVTShortcutRecorderCell &operator=(const KNVTShortcutRecorderCell &) = delete;

    QVariantMap archive() const;
    // A copy sharing the autosave name and the delegate, with the combination, masks, settings and the recording,
    // hover and press state.
    std::unique_ptr<KNVTShortcutRecorderCell> copy() const;

    void setView(knvt::ShortcutRecorderCellView *view) { m_view = view; }
    knvt::ShortcutRecorderCellView *view() const { return m_view; }

    KNVTShortcutRecorderCellDelegate *delegate() const { return m_delegate; }
    void setDelegate(KNVTShortcutRecorderCellDelegate *delegate) { m_delegate = delegate; }

    bool animates() const { return m_isAnimating; }
    void setAnimates(bool animates) { m_isAnimating = animates; }
    int style() const { return m_style; }
    // Any value but 1 is the tinted style.
    void setStyle(int style) { m_style = style == KNVTShortcutRecorderStyleSliding ? 1 : 0; }
    static bool styleSupportsAnimation(int style) { return style == KNVTShortcutRecorderStyleSliding; }

    quint64 allowedFlags() const { return m_allowedFlags; }
    void setAllowedFlags(quint64 flags);
    quint64 requiredFlags() const { return m_requiredFlags; }
    void setRequiredFlags(quint64 flags);
    bool allowsKeyOnly() const { return m_allowsKeyOnly; }
    bool escapeKeysRecord() const { return m_escapeKeysRecord; }
    void setAllowsKeyOnly(bool allowsKeyOnly, bool escapeKeysRecord);
    // While recording, the recorder takes the whole keyboard and the hot-key centre lets its chords go.
    bool canCaptureGlobalHotKeys() const { return m_globalHotKeys; }
    void setCanCaptureGlobalHotKeys(bool capture) { m_globalHotKeys = capture; }

    knvt::RecorderKeyCombo keyCombo() const { return m_keyCombo; }
    // Stores the combination with its flags filtered, forgets the typed characters, tells the delegate (also when
    // nothing changed) and autosaves.
    void setKeyCombo(knvt::RecorderKeyCombo combo);

    QString autosaveName() const { return m_autosaveName; }
    // Neither loads nor saves.
    void setAutosaveName(const QString &name) { m_autosaveName = name; }

    // The combination in the desktop's key names ("Ctrl+Alt+E"), or a null string when the cell is empty.
    QString keyComboString() const;
    QString keyChars() const;
    QString keyCharsIgnoringModifiers() const;
    bool hasKeyChars() const { return m_hasKeyChars; }

    bool isRecording() const { return m_isRecording; }
    // True while the cell's own "can't be used" alert is up: the focus it takes from the recorder does not end the
    // recording.
    bool isPresentingAlert() const { return m_presentingAlert; }
    bool isEmpty() const;
    bool mouseInsideTrackingArea() const { return m_mouseInsideTrackingArea; }
    bool isMouseDown() const { return m_mouseDown; }
    bool isAnimatingNow() const { return m_isAnimatingNow; }
    bool isAnimatingTowardsRecording() const { return m_isAnimatingTowardsRecording; }
    double transitionProgress() const { return m_transitionProgress; }
    bool comboJustChanged() const { return m_comboJustChanged; }
    quint64 recordingFlags() const { return m_recordingFlags; }

    // Focus.
    bool becomeFirstResponder();
    // Ends a running recording.
    bool resignFirstResponder();
    // Records again, as a click would start it, when the recording was ended only because a window of the
    // application took the keyboard for a moment.
    void resumeRecording();

    // A key press while the control has the focus; false when the press was not used (the control passes it on).
    bool performKeyEquivalent(const knvt::RecorderKeyEvent &event);
    // The modifiers held changed; shown live while recording.
    void flagsChanged(quint64 cocoaFlags);

    // Mouse: a press, drags and the release over the control, and pointer moves for the hover look.
    void mouseDown(const QPointF &point);
    void mouseDragged(const QPointF &point);
    void mouseUp(const QPointF &point);
    void pointerMoved(const QPointF &point);
    void mouseEntered();
    void mouseExited();
    // Puts the hover area over the button that is active now (remove when idle, snap-back when recording).
    void resetTrackingRects();
    QRectF trackingRect() const { return m_trackingRect; }

    // One animation step, about every 33 ms while a transition runs.
    void transitionTick();

    QRectF removeButtonRectForFrame(const QRectF &frame) const;
    QRectF snapbackRectForFrame(const QRectF &frame) const;

    void draw(QPainter &painter, const QRectF &frame, const QPalette &palette, const QFont &font) const;

    // Asked by the validator; forwarded to the delegate.
    bool shortcutValidator(KNVTShortcutValidator *validator, qint64 keyCode, quint64 cocoaFlags,
                           QString *reason) override;

    // The texts the face shows now.
    QString idleText() const;
    QString recordingText() const;

private:
    void commonSetUp();
    quint64 filteredCocoaFlags(quint64 flags) const;
    bool validModifierFlags(quint64 flags) const;
    quint64 filteredCocoaToCarbonFlags(quint64 flags) const;
    bool isEnabled() const;
    QRectF bounds() const;
    void displayNow() const;
    void setNeedsDisplay() const;
    void tellDelegate();
    void startRecordingTransition();
    void endRecordingTransition();
    void startRecording();
    void endRecording();
    void setCapturing(bool capturing);
    void finishRecording();
    void saveKeyCombo() const;
    void loadKeyCombo();
    QString autosaveKey() const;
    void drawTinted(QPainter &painter, const QRectF &frame, const QPalette &palette, const QFont &font) const;
    void drawSliding(QPainter &painter, const QRectF &frame, const QPalette &palette, const QFont &font) const;
    QString removeImageName() const;

    knvt::ShortcutRecorderCellView *m_view = nullptr;
    KNVTShortcutRecorderCellDelegate *m_delegate = nullptr;
    std::unique_ptr<KNVTShortcutValidator> m_validator;

    QString m_autosaveName;
    bool m_isRecording = false;
    bool m_mouseInsideTrackingArea = false;
    bool m_mouseDown = false;
    int m_style = KNVTShortcutRecorderStyleTinted;
    bool m_isAnimating = false;
    double m_transitionProgress = 0;
    bool m_isAnimatingNow = false;
    bool m_isAnimatingTowardsRecording = false;
    bool m_comboJustChanged = false;
    QRectF m_trackingRect;
    knvt::RecorderKeyCombo m_keyCombo;
    bool m_hasKeyChars = false;
    QString m_keyChars;
    QString m_keyCharsIgnoringModifiers;
    quint64 m_allowedFlags = DefaultAllowedFlags;
    quint64 m_requiredFlags = 0;
    quint64 m_recordingFlags = 0;
    bool m_allowsKeyOnly = false;
    bool m_escapeKeysRecord = false;
    QSet<int> m_cancelKeys;
    bool m_globalHotKeys = false;
    bool m_capturing = false;
    bool m_presentingAlert = false;
};
