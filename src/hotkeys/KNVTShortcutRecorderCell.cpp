#include "hotkeys/KNVTShortcutRecorderCell.h"

#include "foundation/Defaults.h"
#include "hotkeys/KNVTHotKeyCenter.h"
#include "hotkeys/KNVTShortcutImageProvider.h"
#include "hotkeys/KNVTShortcutRecorderCellDelegate.h"
#include "hotkeys/KNVTShortcutValidator.h"
#include "hotkeys/MacKeyCodes.h"
#include "hotkeys/ShortcutRecorderCellView.h"
#include "hotkeys/ShortcutStrings.h"
#include "uikit/AlertPresenter.h"
#include "uikit/Beeper.h"

#include <QCoreApplication>

using knvt::RecorderKeyCombo;

namespace {

constexpr quint64 kModifierBits[] = {knvt::kCocoaCommand, knvt::kCocoaOption, knvt::kCocoaControl, knvt::kCocoaShift,
                                     knvt::kFunctionKeyMask};
constexpr quint64 kFourModifiers = knvt::kCocoaCommand | knvt::kCocoaOption | knvt::kCocoaControl | knvt::kCocoaShift;
// Eleven ticks of a thirtieth of a second carry a transition from 0 past its end.
constexpr double kTransitionStep = 0.095238097;
constexpr int kTickMilliseconds = 33;

QString tr(const char *text)
{
    return QCoreApplication::translate("KNVTShortcuts", text);
}

} // namespace

namespace knvt {
ShortcutRecorderCellView::~ShortcutRecorderCellView() = default;
}

KNVTShortcutRecorderCellDelegate::~KNVTShortcutRecorderCellDelegate() = default;

bool KNVTShortcutRecorderCellDelegate::shortcutRecorderCellIsKeyCodeTaken(KNVTShortcutRecorderCell *, qint64, quint64,
                                                                          QString *)
{
    return false;
}

void KNVTShortcutRecorderCellDelegate::shortcutRecorderCellKeyComboDidChange(KNVTShortcutRecorderCell *,
                                                                             RecorderKeyCombo)
{}

KNVTShortcutRecorderCell::KNVTShortcutRecorderCell()
{
    commonSetUp();
}

KNVTShortcutRecorderCell::KNVTShortcutRecorderCell(const QVariantMap &archive)
{
    commonSetUp();
    m_autosaveName = archive.value(QStringLiteral("autosaveName")).toString();
    m_keyCombo.code = static_cast<qint16>(archive.value(QStringLiteral("keyComboCode")).toInt());
    m_keyCombo.flags = archive.value(QStringLiteral("keyComboFlags")).toULongLong();
    if (archive.contains(QStringLiteral("keyChars"))) {
        m_hasKeyChars = true;
        m_keyChars = archive.value(QStringLiteral("keyChars")).toString();
        m_keyCharsIgnoringModifiers = archive.value(QStringLiteral("keyCharsIgnoringModifiers")).toString();
    }
    m_allowedFlags = archive.value(QStringLiteral("allowedFlags")).toULongLong();
    m_requiredFlags = archive.value(QStringLiteral("requiredFlags")).toULongLong();
    m_allowsKeyOnly = archive.value(QStringLiteral("allowsKeyOnly")).toBool();
    m_escapeKeysRecord = archive.value(QStringLiteral("escapeKeysRecord")).toBool();
    m_isAnimating = archive.value(QStringLiteral("isAnimating")).toBool();
    setStyle(static_cast<qint16>(archive.value(QStringLiteral("style")).toInt()));
    m_allowedFlags |= knvt::kFunctionKeyMask;
    loadKeyCombo();
}

KNVTShortcutRecorderCell::~KNVTShortcutRecorderCell()
{
    setCapturing(false);
}

void KNVTShortcutRecorderCell::commonSetUp()
{
    m_validator = std::make_unique<KNVTShortcutValidator>(this);
    m_cancelKeys = {53, 51, 117};
    loadKeyCombo();
}

QVariantMap KNVTShortcutRecorderCell::archive() const
{
    QVariantMap map;
    map.insert(QStringLiteral("autosaveName"), m_autosaveName);
    map.insert(QStringLiteral("keyComboCode"), int(static_cast<qint16>(m_keyCombo.code)));
    map.insert(QStringLiteral("keyComboFlags"), m_keyCombo.flags);
    map.insert(QStringLiteral("allowedFlags"), m_allowedFlags);
    map.insert(QStringLiteral("requiredFlags"), m_requiredFlags);
    if (m_hasKeyChars) {
        map.insert(QStringLiteral("keyChars"), m_keyChars);
        map.insert(QStringLiteral("keyCharsIgnoringModifiers"), m_keyCharsIgnoringModifiers);
    }
    map.insert(QStringLiteral("allowsKeyOnly"), m_allowsKeyOnly);
    map.insert(QStringLiteral("escapeKeysRecord"), m_escapeKeysRecord);
    map.insert(QStringLiteral("isAnimating"), m_isAnimating);
    map.insert(QStringLiteral("style"), int(static_cast<qint16>(m_style)));
    return map;
}

std::unique_ptr<KNVTShortcutRecorderCell> KNVTShortcutRecorderCell::copy() const
{
    auto cell = std::make_unique<KNVTShortcutRecorderCell>();
    cell->m_autosaveName = m_autosaveName;
    cell->m_delegate = m_delegate;
    cell->m_isRecording = m_isRecording;
    cell->m_mouseInsideTrackingArea = m_mouseInsideTrackingArea;
    cell->m_mouseDown = m_mouseDown;
    cell->m_trackingRect = m_trackingRect;
    cell->m_keyCombo = m_keyCombo;
    cell->m_allowedFlags = m_allowedFlags;
    cell->m_requiredFlags = m_requiredFlags;
    cell->m_recordingFlags = m_recordingFlags;
    cell->m_allowsKeyOnly = m_allowsKeyOnly;
    cell->m_escapeKeysRecord = m_escapeKeysRecord;
    cell->m_isAnimating = m_isAnimating;
    cell->m_style = m_style;
    return cell;
}

// Modifiers

quint64 KNVTShortcutRecorderCell::filteredCocoaFlags(quint64 flags) const
{
    quint64 filtered = 0;
    for (const quint64 bit : kModifierBits) {
        if ((m_requiredFlags & bit) || ((flags & bit) && (m_allowedFlags & bit)))
            filtered |= bit;
    }
    return filtered;
}

bool KNVTShortcutRecorderCell::validModifierFlags(quint64 flags) const
{
    return m_allowsKeyOnly || (flags & kFourModifiers) || (flags & knvt::kFunctionKeyMask);
}

quint64 KNVTShortcutRecorderCell::filteredCocoaToCarbonFlags(quint64 flags) const
{
    return KNVTCarbonFlagsFromCocoaFlags(filteredCocoaFlags(flags));
}

void KNVTShortcutRecorderCell::setAllowedFlags(quint64 flags)
{
    m_allowedFlags = flags;
    if (m_isRecording) {
        m_recordingFlags = filteredCocoaFlags(m_view != nullptr ? m_view->currentModifierFlags() : 0);
    } else {
        const quint64 refiltered = filteredCocoaFlags(m_keyCombo.flags);
        const bool changed = refiltered != m_keyCombo.flags;
        m_keyCombo.flags = refiltered;
        if (changed && m_keyCombo.code >= 0) {
            tellDelegate();
            saveKeyCombo();
        }
    }
    displayNow();
}

void KNVTShortcutRecorderCell::setRequiredFlags(quint64 flags)
{
    m_requiredFlags = flags;
    setAllowedFlags(m_allowedFlags);
}

void KNVTShortcutRecorderCell::setAllowsKeyOnly(bool allowsKeyOnly, bool escapeKeysRecord)
{
    m_allowsKeyOnly = allowsKeyOnly;
    m_escapeKeysRecord = escapeKeysRecord;
}

// The combination

void KNVTShortcutRecorderCell::setKeyCombo(RecorderKeyCombo combo)
{
    m_keyCombo = {filteredCocoaFlags(combo.flags), combo.code};
    m_hasKeyChars = false;
    tellDelegate();
    saveKeyCombo();
    displayNow();
}

bool KNVTShortcutRecorderCell::isEmpty() const
{
    return !validModifierFlags(m_keyCombo.flags) || KNVTKeyCodeDisplayString(int(m_keyCombo.code)).isEmpty();
}

QString KNVTShortcutRecorderCell::keyComboString() const
{
    if (isEmpty())
        return {};
    return KNVTCocoaShortcutNativeText(m_keyCombo.flags, int(m_keyCombo.code));
}

QString KNVTShortcutRecorderCell::keyChars() const
{
    return m_hasKeyChars ? m_keyChars : KNVTKeyCodeDisplayString(int(m_keyCombo.code));
}

QString KNVTShortcutRecorderCell::keyCharsIgnoringModifiers() const
{
    return m_hasKeyChars ? m_keyCharsIgnoringModifiers
                         : KNVTKeyCharacterForCocoaFlags(int(m_keyCombo.code), m_keyCombo.flags);
}

void KNVTShortcutRecorderCell::tellDelegate()
{
    if (m_delegate != nullptr)
        m_delegate->shortcutRecorderCellKeyComboDidChange(this, m_keyCombo);
}

bool KNVTShortcutRecorderCell::shortcutValidator(KNVTShortcutValidator *, qint64 keyCode, quint64 cocoaFlags,
                                                 QString *reason)
{
    return m_delegate != nullptr && m_delegate->shortcutRecorderCellIsKeyCodeTaken(this, keyCode, cocoaFlags, reason);
}

// The view

bool KNVTShortcutRecorderCell::isEnabled() const
{
    return m_view == nullptr || m_view->isCellEnabled();
}

QRectF KNVTShortcutRecorderCell::bounds() const
{
    return m_view != nullptr ? m_view->cellBounds() : QRectF();
}

void KNVTShortcutRecorderCell::displayNow() const
{
    if (m_view != nullptr)
        m_view->displayNow();
}

void KNVTShortcutRecorderCell::setNeedsDisplay() const
{
    if (m_view != nullptr)
        m_view->setNeedsDisplay();
}

bool KNVTShortcutRecorderCell::becomeFirstResponder()
{
    resetTrackingRects();
    displayNow();
    return true;
}

void KNVTShortcutRecorderCell::resumeRecording()
{
    if (!m_isRecording && isEnabled())
        startRecordingTransition();
}

bool KNVTShortcutRecorderCell::resignFirstResponder()
{
    if (m_isRecording || (m_isAnimatingNow && m_isAnimatingTowardsRecording))
        endRecordingTransition();
    resetTrackingRects();
    displayNow();
    return true;
}

// Keys

bool KNVTShortcutRecorderCell::performKeyEquivalent(const knvt::RecorderKeyEvent &event)
{
    const quint64 flags = filteredCocoaFlags(event.cocoaFlags);
    const bool isCancelKey = m_cancelKeys.contains(event.keyCode);
    const bool valid = validModifierFlags(isCancelKey ? event.cocoaFlags : flags);

    if (!m_isRecording && event.characters == QLatin1String(" ")) {
        startRecordingTransition();
        return true;
    }

    if (m_isRecording && (valid || isCancelKey)) {
        const bool cancels = (isCancelKey && !valid)
            || (isCancelKey && m_allowsKeyOnly && (flags & ~knvt::kFunctionKeyMask) == 0 && !m_escapeKeysRecord);
        if (!cancels) {
            const QString character = event.charactersIgnoringModifiers.toUpper();
            if (character.isEmpty()) {
                // A dead key types nothing by itself: there is no key to show.
                knvt::Beeper::shared().beep();
            } else {
                KNVTShortcutError error;
                if (m_validator->isKeyCodeTaken(event.keyCode, filteredCocoaToCarbonFlags(flags), &error)) {
                    const bool explained = !error.title.isEmpty();
                    knvt::AlertPresenter::Request request = alertWithNonRecoverableError(explained ? &error : nullptr);
                    // The alert must get the keys the recorder holds while recording.
                    if (m_capturing && m_view != nullptr)
                        m_view->setKeyboardCaptured(false);
                    m_presentingAlert = true;
                    knvt::AlertPresenter::shared().runModal(request);
                    m_presentingAlert = false;
                    if (m_capturing && m_view != nullptr)
                        m_view->setKeyboardCaptured(true);
                    flagsChanged(m_view != nullptr ? m_view->currentModifierFlags() : 0);
                    return true;
                }
                m_keyCombo = {flags, qint64(static_cast<quint16>(event.keyCode))};
                m_hasKeyChars = true;
                m_keyChars = event.characters;
                m_keyCharsIgnoringModifiers = event.charactersIgnoringModifiers;
                tellDelegate();
                saveKeyCombo();
                m_comboJustChanged = true;
            }
        }
        finishRecording();
        return true;
    }

    if (m_view != nullptr && m_view->isFirstResponder() && !event.characters.isEmpty()
        && event.characters.at(0) == QLatin1Char(' ') && isEnabled())
        startRecordingTransition();
    return false;
}

void KNVTShortcutRecorderCell::finishRecording()
{
    m_recordingFlags = 0;
    endRecordingTransition();
    resetTrackingRects();
    displayNow();
}

void KNVTShortcutRecorderCell::flagsChanged(quint64 cocoaFlags)
{
    if (!m_isRecording)
        return;
    m_recordingFlags = filteredCocoaFlags(cocoaFlags);
    displayNow();
}

// Mouse

void KNVTShortcutRecorderCell::mouseDown(const QPointF &point)
{
    const QRectF frame = bounds();
    const QRectF button = m_isRecording ? snapbackRectForFrame(frame) : removeButtonRectForFrame(frame);
    if (!button.isEmpty() && button.contains(point)) {
        m_mouseDown = true;
        setNeedsDisplay();
    }
}

void KNVTShortcutRecorderCell::mouseDragged(const QPointF &point)
{
    const QRectF frame = bounds();
    const QRectF button = m_isRecording ? snapbackRectForFrame(frame) : removeButtonRectForFrame(frame);
    m_mouseInsideTrackingArea = !button.isEmpty() && button.contains(point);
    setNeedsDisplay();
}

void KNVTShortcutRecorderCell::mouseUp(const QPointF &point)
{
    const QRectF frame = bounds();
    const QRectF button = m_isRecording ? snapbackRectForFrame(frame) : removeButtonRectForFrame(frame);
    QRectF recordArea = frame;
    if (!button.isEmpty())
        recordArea.setWidth(recordArea.width() - (button.width() + 4));

    m_mouseDown = false;
    m_mouseInsideTrackingArea = !button.isEmpty() && button.contains(point);
    if (m_mouseInsideTrackingArea) {
        if (m_isRecording)
            endRecordingTransition(); // snap back: the previous combination stays
        else
            setKeyCombo({0, -1});
    } else if (recordArea.contains(point) && !m_isRecording && isEnabled()) {
        startRecordingTransition();
    }
    if (isEnabled() && m_view != nullptr)
        m_view->makeFirstResponder();
    resetTrackingRects();
    setNeedsDisplay();
}

void KNVTShortcutRecorderCell::resetTrackingRects()
{
    if (!isEnabled()) {
        m_trackingRect = QRectF();
        return;
    }
    const QRectF frame = bounds();
    m_trackingRect = m_isRecording ? snapbackRectForFrame(frame) : removeButtonRectForFrame(frame);
    const QPointF pointer = m_view != nullptr ? m_view->currentPointerPosition() : QPointF(-1, -1);
    m_mouseInsideTrackingArea = !m_trackingRect.isEmpty() && m_trackingRect.contains(pointer);
}

void KNVTShortcutRecorderCell::pointerMoved(const QPointF &point)
{
    if (m_trackingRect.isEmpty())
        return;
    const bool inside = m_trackingRect.contains(point);
    if (inside && !m_mouseInsideTrackingArea)
        mouseEntered();
    else if (!inside && m_mouseInsideTrackingArea)
        mouseExited();
}

void KNVTShortcutRecorderCell::mouseEntered()
{
    m_mouseInsideTrackingArea = true;
    displayNow();
}

void KNVTShortcutRecorderCell::mouseExited()
{
    m_mouseInsideTrackingArea = false;
    displayNow();
}

QRectF KNVTShortcutRecorderCell::removeButtonRectForFrame(const QRectF &frame) const
{
    if (isEmpty() || !isEnabled())
        return {};
    const QSizeF size = KNVTShortcutImageProvider::sizeOfImageWithName(QStringLiteral("KNVTRemoveShortcut"));
    return {QPointF(frame.x() + frame.width() - size.width() - 4, (frame.y() + frame.height() - size.height()) * 0.5),
            size};
}

QRectF KNVTShortcutRecorderCell::snapbackRectForFrame(const QRectF &frame) const
{
    const QSizeF size = KNVTShortcutImageProvider::sizeOfImageWithName(QStringLiteral("KNVTSnapback"));
    return {
        QPointF(frame.x() + frame.width() - size.width() - 2, (frame.y() + frame.height() - size.height()) * 0.5 + 1),
        size};
}

// Transitions

void KNVTShortcutRecorderCell::startRecordingTransition()
{
    if (!(m_isAnimating && styleSupportsAnimation(m_style))) {
        startRecording();
        return;
    }
    m_isAnimatingTowardsRecording = true;
    m_isAnimatingNow = true;
    m_transitionProgress = 0;
    if (m_view != nullptr) {
        m_view->cancelTransitionTick();
        m_view->scheduleTransitionTick(kTickMilliseconds);
    }
}

void KNVTShortcutRecorderCell::endRecordingTransition()
{
    if (!(m_isAnimating && styleSupportsAnimation(m_style))) {
        endRecording();
        return;
    }
    m_isAnimatingTowardsRecording = false;
    m_isAnimatingNow = true;
    m_transitionProgress = 0;
    if (m_view != nullptr) {
        m_view->cancelTransitionTick();
        m_view->scheduleTransitionTick(kTickMilliseconds);
    }
}

void KNVTShortcutRecorderCell::transitionTick()
{
    m_transitionProgress += kTransitionStep;
    if (m_transitionProgress < 0.998) {
        setNeedsDisplay();
        if (m_view != nullptr) {
            m_view->cancelTransitionTick();
            m_view->scheduleTransitionTick(kTickMilliseconds);
        }
        return;
    }
    m_isAnimatingNow = false;
    m_transitionProgress = 0;
    if (m_isAnimatingTowardsRecording)
        startRecording();
    else
        endRecording();
}

void KNVTShortcutRecorderCell::startRecording()
{
    const bool changed = !m_isRecording;
    m_isRecording = true;
    m_recordingFlags = filteredCocoaFlags(0);
    setNeedsDisplay();
    if (m_globalHotKeys)
        setCapturing(true);
    if (changed && m_view != nullptr)
        m_view->recordingDidChange();
}

void KNVTShortcutRecorderCell::endRecording()
{
    const bool changed = m_isRecording;
    m_isRecording = false;
    m_comboJustChanged = false;
    setNeedsDisplay();
    setCapturing(false);
    if (changed && m_view != nullptr)
        m_view->recordingDidChange();
}

// Taking is idempotent, so a recording started twice (space with invalid modifiers while recording) still ends with
// one release.
void KNVTShortcutRecorderCell::setCapturing(bool capturing)
{
    if (m_capturing == capturing)
        return;
    m_capturing = capturing;
    KNVTHotKeyCenter::sharedCenter().setSuspended(capturing);
    if (m_view != nullptr)
        m_view->setKeyboardCaptured(capturing);
}

// Autosave

QString KNVTShortcutRecorderCell::autosaveKey() const
{
    return QStringLiteral("KNVTShortcuts %1").arg(m_autosaveName);
}

void KNVTShortcutRecorderCell::saveKeyCombo() const
{
    if (m_autosaveName.isEmpty())
        return;
    QVariantMap stored;
    stored.insert(QStringLiteral("keyCode"), int(static_cast<qint16>(m_keyCombo.code)));
    stored.insert(QStringLiteral("modifierFlags"), m_keyCombo.flags);
    stored.insert(QStringLiteral("modifiers"), KNVTCarbonFlagsFromCocoaFlags(m_keyCombo.flags));
    if (m_hasKeyChars) {
        stored.insert(QStringLiteral("keyChars"), m_keyChars);
        stored.insert(QStringLiteral("keyCharsIgnoringModifiers"), m_keyCharsIgnoringModifiers);
    }
    knvt::Defaults::standard().setValue(autosaveKey(), stored);
}

void KNVTShortcutRecorderCell::loadKeyCombo()
{
    if (m_autosaveName.isEmpty())
        return;
    // Missing entries read as 0, so with nothing stored the combination is key code 0 (the A key).
    const QVariantMap stored = knvt::Defaults::standard().value(autosaveKey()).toMap();
    const qint64 code = static_cast<qint16>(stored.value(QStringLiteral("keyCode")).toInt());
    quint64 flags = 0;
    if (stored.contains(QStringLiteral("modifierFlags")))
        flags = stored.value(QStringLiteral("modifierFlags")).toULongLong();
    else if (stored.contains(QStringLiteral("modifiers")))
        flags = KNVTCocoaFlagsFromCarbonFlags(stored.value(QStringLiteral("modifiers")).toULongLong());
    m_keyCombo = {filteredCocoaFlags(flags), code};
    m_hasKeyChars = stored.contains(QStringLiteral("keyChars"));
    if (m_hasKeyChars) {
        m_keyChars = stored.value(QStringLiteral("keyChars")).toString();
        m_keyCharsIgnoringModifiers = stored.value(QStringLiteral("keyCharsIgnoringModifiers")).toString();
    }
    tellDelegate();
    displayNow();
}

// Texts

QString KNVTShortcutRecorderCell::recordingText() const
{
    if (validModifierFlags(m_recordingFlags)) {
        const QString held = KNVTCocoaModifierNativeText(m_recordingFlags);
        return held.isEmpty() ? tr("Type shortcut") : held;
    }
    return m_mouseInsideTrackingArea ? tr("Use old shortcut") : tr("Type shortcut");
}

QString KNVTShortcutRecorderCell::idleText() const
{
    return isEmpty() ? tr("Click to record shortcut") : keyComboString();
}

QString KNVTShortcutRecorderCell::removeImageName() const
{
    if (m_mouseInsideTrackingArea && m_mouseDown)
        return QStringLiteral("KNVTRemoveShortcutPressed");
    if (m_mouseInsideTrackingArea || m_mouseDown)
        return QStringLiteral("KNVTRemoveShortcutRollover");
    return QStringLiteral("KNVTRemoveShortcut");
}
