#pragma once

#include "hotkeys/KNVTShortcutRecorderCellDelegate.h"
#include "hotkeys/RecorderKeyCombo.h"
#include "hotkeys/ShortcutRecorderCellView.h"

#include "uikit/ChangeHolder.h"

#include <QPointer>
#include <QTimer>
#include <QVariantMap>
#include <QWidget>

#include <functional>
#include <memory>

class KNVTShortcutRecorderCell;
class KNVTShortcutRecorderDelegate;
class QKeyEvent;

// The field the user clicks to record a keyboard shortcut. All state and drawing live in its cell; the control turns
// Qt's key, mouse and focus events into the cell's terms, keeps a fixed height of 22 and a width of at least 50,
// and publishes the combination as properties, as an object value and through a "value" binding. A recording under
// way is a change the window holds, which closing the window asks about first; when a question of the application's
// (that one or another) takes the keyboard from it, the recording goes on once the keyboard comes back.
class KNVTShortcutRecorderControl : public QWidget,
                                    public knvt::ChangeHolder,
                                    private knvt::ShortcutRecorderCellView,
                                    private KNVTShortcutRecorderCellDelegate
{
    Q_OBJECT
    Q_PROPERTY(QVariantMap objectValue READ objectValue WRITE setObjectValue NOTIFY objectValueChanged)
    Q_PROPERTY(bool recording READ isRecording)
    Q_PROPERTY(QString faceText READ faceText)

public:
    explicit KNVTShortcutRecorderControl(QWidget *parent = nullptr);
    // Restores a control whose cell was archived with archive().
    explicit KNVTShortcutRecorderControl(const QVariantMap &archive, QWidget *parent = nullptr);
    ~KNVTShortcutRecorderControl() override;

    QVariantMap archive() const;
    KNVTShortcutRecorderCell *cell() const { return m_cell.get(); }

    // Not owned; the owner clears it before it goes.
    KNVTShortcutRecorderDelegate *delegate() const { return m_delegate; }
    void setDelegate(KNVTShortcutRecorderDelegate *delegate) { m_delegate = delegate; }

    bool animates() const;
    void setAnimates(bool animates);
    int style() const;
    void setStyle(int style);
    quint64 allowedFlags() const;
    void setAllowedFlags(quint64 flags);
    quint64 requiredFlags() const;
    void setRequiredFlags(quint64 flags);
    bool allowsKeyOnly() const;
    bool escapeKeysRecord() const;
    void setAllowsKeyOnly(bool allowsKeyOnly, bool escapeKeysRecord);
    bool canCaptureGlobalHotKeys() const;
    void setCanCaptureGlobalHotKeys(bool capture);
    knvt::RecorderKeyCombo keyCombo() const;
    void setKeyCombo(knvt::RecorderKeyCombo combo);
    QString autosaveName() const;
    void setAutosaveName(const QString &name);
    QString keyComboString() const;
    QString keyChars() const;
    QString keyCharsIgnoringModifiers() const;
    bool isRecording() const;
    // What the face reads now.
    QString faceText() const;
    // While recording: the control's name and that a shortcut is being recorded; else nothing, as a combination
    // recorded is stored at once.
    QString holding() const override;

    static quint64 cocoaToCarbonFlags(quint64 cocoaFlags);
    static quint64 carbonToCocoaFlags(quint64 carbonFlags);

    // {"characters", "keyCode", "modifierFlags"}; empty unless there is a key and at least one modifier.
    QVariantMap objectValue() const;
    // A map whose "keyCode" and "modifierFlags" are numbers sets that combination; anything else clears it.
    void setObjectValue(const QVariantMap &value);

    // After every change the object value is written to `property` of `observed`, through `reverse` when given.
    void bindValue(QObject *observed, const QByteArray &property, std::function<QVariant(QVariant)> reverse = {});
    void unbindValue();

    // The key press in the recorder's terms: the stored key code from the scan code through the current keymap (or
    // from the US position of the Qt key when the event has no scan code), the modifiers with the Function bit
    // added for the keys that carry it, and the characters of the current layout. No key code when the key has none.
    static knvt::RecorderKeyEvent recorderKeyEvent(const QKeyEvent *event);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void objectValueChanged(const QVariantMap &value);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void setUp();
    bool handleModifierKey(QKeyEvent *event, bool pressed);
    // Ends a running recording unless the cell's own alert took the focus.
    void endRecordingOnLostFocus();

    // The cell's view.
    QRectF cellBounds() const override;
    bool isCellEnabled() const override;
    void displayNow() override;
    void setNeedsDisplay() override;
    bool isFirstResponder() const override;
    void makeFirstResponder() override;
    quint64 currentModifierFlags() const override;
    QPointF currentPointerPosition() const override;
    void setKeyboardCaptured(bool captured) override;
    void scheduleTransitionTick(int milliseconds) override;
    void cancelTransitionTick() override;
    void recordingDidChange() override;

    // The cell's delegate.
    bool shortcutRecorderCellIsKeyCodeTaken(KNVTShortcutRecorderCell *cell, qint64 keyCode, quint64 flags,
                                            QString *reason) override;
    void shortcutRecorderCellKeyComboDidChange(KNVTShortcutRecorderCell *cell, knvt::RecorderKeyCombo combo) override;

    std::unique_ptr<KNVTShortcutRecorderCell> m_cell;
    KNVTShortcutRecorderDelegate *m_delegate = nullptr;
    QTimer m_tickTimer;
    bool m_keyboardCaptured = false;
    // A modal window of the application ended the recording by taking the keyboard.
    bool m_resumeRecording = false;

    bool m_bound = false;
    QPointer<QObject> m_observed;
    QByteArray m_observedProperty;
    std::function<QVariant(QVariant)> m_reverse;
};
