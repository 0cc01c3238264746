#include "hotkeys/KNVTShortcutRecorderControl.h"

#include "hotkeys/KNVTShortcutRecorderCell.h"
#include "hotkeys/KNVTShortcutRecorderDelegate.h"
#include "hotkeys/KeyboardLayoutSource.h"
#include "hotkeys/Logging.h"
#include "hotkeys/MacKeyCodes.h"
#include "hotkeys/ShortcutRecorderAccessible.h"
#include "hotkeys/ShortcutStrings.h"
#include "uikit/AccessibilityEvents.h"
#include "uikit/Beeper.h"

#include <QAccessible>
#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>

#include <utility>

using knvt::RecorderKeyCombo;
using knvt::RecorderKeyEvent;

namespace {

constexpr int kHeight = 22;
constexpr int kMinimumWidth = 50;
constexpr char kPushOperation[] = "-[KNVTShortcutRecorderControl shortcutRecorderCell:keyComboDidChange:]";

bool isDeadKeysym(xkb_keysym_t keysym)
{
    return keysym >= 0xfe50 && keysym <= 0xfe93;
}

// What the key types; keys that type no character (F5, the arrows) read as their key text, as their characters
// would otherwise be empty and the recorder would take them for dead keys.
QString typedCharacters(int keyCode, bool shift, bool levelThree)
{
    const knvt::KeyboardLayoutSource &layout = knvt::KeyboardLayoutSource::current();
    const QString typed = layout.characters(keyCode, shift, levelThree);
    if (!typed.isEmpty())
        return typed;
    if (isDeadKeysym(layout.keysym(keyCode, shift, levelThree)))
        return {};
    return KNVTKeyCodeDisplayString(keyCode);
}

Qt::KeyboardModifier modifierOfKey(int key)
{
    switch (key) {
    case Qt::Key_Shift: return Qt::ShiftModifier;
    case Qt::Key_Control: return Qt::ControlModifier;
    case Qt::Key_Alt:
    case Qt::Key_AltGr: return Qt::AltModifier;
    case Qt::Key_Meta:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R: return Qt::MetaModifier;
    default: return Qt::NoModifier;
    }
}

bool isModifierKey(int key)
{
    return modifierOfKey(key) != Qt::NoModifier || key == Qt::Key_CapsLock || key == Qt::Key_NumLock;
}

} // namespace

KNVTShortcutRecorderDelegate::~KNVTShortcutRecorderDelegate() = default;

bool KNVTShortcutRecorderDelegate::shortcutRecorderIsKeyCodeTaken(KNVTShortcutRecorderControl *, qint64, quint64,
                                                                  QString *)
{
    return false;
}

void KNVTShortcutRecorderDelegate::shortcutRecorderKeyComboDidChange(KNVTShortcutRecorderControl *, RecorderKeyCombo) {}

KNVTShortcutRecorderControl::KNVTShortcutRecorderControl(QWidget *parent)
    : QWidget(parent), m_cell(std::make_unique<KNVTShortcutRecorderCell>())
{
    setUp();
}

KNVTShortcutRecorderControl::KNVTShortcutRecorderControl(const QVariantMap &archive, QWidget *parent)
    : QWidget(parent), m_cell(std::make_unique<KNVTShortcutRecorderCell>(archive))
{
    setUp();
}

void KNVTShortcutRecorderControl::setUp()
{
    knvt::ShortcutRecorderAccessible::install();
    m_cell->setView(this);
    m_cell->setDelegate(this);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setMinimumWidth(kMinimumWidth);
    setFixedHeight(kHeight);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    m_tickTimer.setSingleShot(true);
    connect(&m_tickTimer, &QTimer::timeout, this, [this] { m_cell->transitionTick(); });
}

KNVTShortcutRecorderControl::~KNVTShortcutRecorderControl()
{
    // The cell lets go of the keyboard and the suspended hot keys as it goes, but must not call back into a
    // half-destroyed widget.
    if (m_keyboardCaptured)
        releaseKeyboard();
    m_cell->setView(nullptr);
    m_cell->setDelegate(nullptr);
}

QVariantMap KNVTShortcutRecorderControl::archive() const
{
    return m_cell->archive();
}

// Forwarded settings

bool KNVTShortcutRecorderControl::animates() const
{
    return m_cell->animates();
}

void KNVTShortcutRecorderControl::setAnimates(bool animates)
{
    m_cell->setAnimates(animates);
}

int KNVTShortcutRecorderControl::style() const
{
    return m_cell->style();
}

void KNVTShortcutRecorderControl::setStyle(int style)
{
    m_cell->setStyle(style);
    update();
}

quint64 KNVTShortcutRecorderControl::allowedFlags() const
{
    return m_cell->allowedFlags();
}

void KNVTShortcutRecorderControl::setAllowedFlags(quint64 flags)
{
    m_cell->setAllowedFlags(flags);
}

quint64 KNVTShortcutRecorderControl::requiredFlags() const
{
    return m_cell->requiredFlags();
}

void KNVTShortcutRecorderControl::setRequiredFlags(quint64 flags)
{
    m_cell->setRequiredFlags(flags);
}

bool KNVTShortcutRecorderControl::allowsKeyOnly() const
{
    return m_cell->allowsKeyOnly();
}

bool KNVTShortcutRecorderControl::escapeKeysRecord() const
{
    return m_cell->escapeKeysRecord();
}

void KNVTShortcutRecorderControl::setAllowsKeyOnly(bool allowsKeyOnly, bool escapeKeysRecord)
{
    m_cell->setAllowsKeyOnly(allowsKeyOnly, escapeKeysRecord);
}

bool KNVTShortcutRecorderControl::canCaptureGlobalHotKeys() const
{
    return m_cell->canCaptureGlobalHotKeys();
}

void KNVTShortcutRecorderControl::setCanCaptureGlobalHotKeys(bool capture)
{
    m_cell->setCanCaptureGlobalHotKeys(capture);
}

RecorderKeyCombo KNVTShortcutRecorderControl::keyCombo() const
{
    return m_cell->keyCombo();
}

void KNVTShortcutRecorderControl::setKeyCombo(RecorderKeyCombo combo)
{
    m_cell->setKeyCombo(combo);
}

QString KNVTShortcutRecorderControl::autosaveName() const
{
    return m_cell->autosaveName();
}

void KNVTShortcutRecorderControl::setAutosaveName(const QString &name)
{
    m_cell->setAutosaveName(name);
}

QString KNVTShortcutRecorderControl::keyComboString() const
{
    return m_cell->keyComboString();
}

QString KNVTShortcutRecorderControl::keyChars() const
{
    return m_cell->keyChars();
}

QString KNVTShortcutRecorderControl::keyCharsIgnoringModifiers() const
{
    return m_cell->keyCharsIgnoringModifiers();
}

bool KNVTShortcutRecorderControl::isRecording() const
{
    return m_cell->isRecording();
}

QString KNVTShortcutRecorderControl::faceText() const
{
    return m_cell->isRecording() ? m_cell->recordingText() : m_cell->idleText();
}

QString KNVTShortcutRecorderControl::holding() const
{
    if (!m_cell->isRecording())
        return QString();
    const QString name = accessibleName().isEmpty() ? tr("Shortcut") : accessibleName();
    //: A recording left unfinished, as the question before it is dropped names it: "Quick Entry shortcut: being
    //: recorded".
    return tr("%1: being recorded").arg(name);
}

quint64 KNVTShortcutRecorderControl::cocoaToCarbonFlags(quint64 cocoaFlags)
{
    return KNVTCarbonFlagsFromCocoaFlags(cocoaFlags);
}

quint64 KNVTShortcutRecorderControl::carbonToCocoaFlags(quint64 carbonFlags)
{
    return KNVTCocoaFlagsFromCarbonFlags(carbonFlags);
}

// Object value and binding

QVariantMap KNVTShortcutRecorderControl::objectValue() const
{
    const RecorderKeyCombo combo = m_cell->keyCombo();
    if (combo.code == -1 || combo.flags == 0)
        return {};
    return {{QStringLiteral("characters"), m_cell->keyCharsIgnoringModifiers()},
            {QStringLiteral("keyCode"), combo.code},
            {QStringLiteral("modifierFlags"), combo.flags}};
}

void KNVTShortcutRecorderControl::setObjectValue(const QVariantMap &value)
{
    auto isNumber = [](const QVariant &entry) {
        switch (entry.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Double: return true;
        default: return false;
        }
    };
    const QVariant keyCode = value.value(QStringLiteral("keyCode"));
    const QVariant flags = value.value(QStringLiteral("modifierFlags"));
    if (isNumber(keyCode) && isNumber(flags))
        m_cell->setKeyCombo({flags.toULongLong(), keyCode.toLongLong()});
    else
        m_cell->setKeyCombo({0, -1});
}

void KNVTShortcutRecorderControl::bindValue(QObject *observed, const QByteArray &property,
                                            std::function<QVariant(QVariant)> reverse)
{
    m_bound = true;
    m_observed = observed;
    m_observedProperty = property;
    m_reverse = std::move(reverse);
}

void KNVTShortcutRecorderControl::unbindValue()
{
    m_bound = false;
    m_observed = nullptr;
    m_observedProperty.clear();
    m_reverse = {};
}

bool KNVTShortcutRecorderControl::shortcutRecorderCellIsKeyCodeTaken(KNVTShortcutRecorderCell *, qint64 keyCode,
                                                                     quint64 flags, QString *reason)
{
    return m_delegate != nullptr && m_delegate->shortcutRecorderIsKeyCodeTaken(this, keyCode, flags, reason);
}

void KNVTShortcutRecorderControl::shortcutRecorderCellKeyComboDidChange(KNVTShortcutRecorderCell *,
                                                                        RecorderKeyCombo combo)
{
    if (m_delegate != nullptr)
        m_delegate->shortcutRecorderKeyComboDidChange(this, combo);
    if (knvt::AccessibilityEvents &events = knvt::AccessibilityEvents::shared(); events.isListening()) {
        QAccessibleValueChangeEvent accessibleChange(this, keyComboString());
        events.post(&accessibleChange);
        QAccessibleEvent describedAnew(this, QAccessible::DescriptionChanged);
        events.post(&describedAnew);
    }
    const QVariantMap value = objectValue();
    emit objectValueChanged(value);
    if (!m_bound)
        return;
    QVariant pushed = value.isEmpty() ? QVariant() : QVariant(value);
    if (m_reverse)
        pushed = m_reverse(pushed);
    if (m_observed.isNull()) {
        qCWarning(lcHotkeys, "ERROR: NSObservedObjectKey was nil for value binding in %s", kPushOperation);
        return;
    }
    if (m_observedProperty.isEmpty()) {
        qCWarning(lcHotkeys, "ERROR: NSObservedKeyPathKey was nil for value binding in %s", kPushOperation);
        return;
    }
    m_observed->setProperty(m_observedProperty.constData(), pushed);
}

// Key events

RecorderKeyEvent KNVTShortcutRecorderControl::recorderKeyEvent(const QKeyEvent *event)
{
    const knvt::KeyboardLayoutSource &layout = knvt::KeyboardLayoutSource::current();
    std::optional<int> code;
    if (event->nativeScanCode() != 0)
        code = layout.macKeyCodeForKeycode(event->nativeScanCode());
    else
        code = knvt::macKeyCodeForQtKey(event->key(), event->modifiers() & Qt::KeypadModifier);

    RecorderKeyEvent converted;
    converted.cocoaFlags = knvt::cocoaFlagsFromQtModifiers(event->modifiers());
    if (!code) {
        converted.characters = event->text();
        converted.charactersIgnoringModifiers = event->text();
        return converted;
    }
    converted.keyCode = *code;
    if (knvt::macKeyCodeCarriesFunctionBit(*code))
        converted.cocoaFlags |= knvt::kFunctionKeyMask;
    const bool shift = converted.cocoaFlags & knvt::kCocoaShift;
    converted.characters = typedCharacters(*code, shift, converted.cocoaFlags & knvt::kCocoaOption);
    converted.charactersIgnoringModifiers = typedCharacters(*code, shift, false);
    return converted;
}

bool KNVTShortcutRecorderControl::event(QEvent *event)
{
    // While recording, every chord belongs to the recorder, menu shortcuts of the window included.
    if (event->type() == QEvent::ShortcutOverride && m_cell->isRecording()) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

bool KNVTShortcutRecorderControl::handleModifierKey(QKeyEvent *event, bool pressed)
{
    if (!isModifierKey(event->key()))
        return false;
    Qt::KeyboardModifiers modifiers = event->modifiers();
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        modifiers = QGuiApplication::queryKeyboardModifiers();
    } else {
        // The event tells the state before the key; apply the key itself.
        const Qt::KeyboardModifier own = modifierOfKey(event->key());
        if (pressed)
            modifiers |= own;
        else
            modifiers &= ~own;
    }
    m_cell->flagsChanged(knvt::cocoaFlagsFromQtModifiers(modifiers));
    event->accept();
    return true;
}

void KNVTShortcutRecorderControl::keyPressEvent(QKeyEvent *event)
{
    if (handleModifierKey(event, true))
        return;
    const RecorderKeyEvent converted = recorderKeyEvent(event);
    if (converted.keyCode < 0 && m_cell->isRecording()) {
        // A key the stored form has no code for cannot be recorded.
        knvt::Beeper::shared().beep();
        event->accept();
        return;
    }
    if (m_cell->performKeyEquivalent(converted))
        event->accept();
    else
        event->ignore();
}

void KNVTShortcutRecorderControl::keyReleaseEvent(QKeyEvent *event)
{
    if (!handleModifierKey(event, false))
        QWidget::keyReleaseEvent(event);
}

// Mouse and focus

void KNVTShortcutRecorderControl::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_cell->mouseDown(event->position());
}

void KNVTShortcutRecorderControl::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() & Qt::LeftButton)
        m_cell->mouseDragged(event->position());
    else
        m_cell->pointerMoved(event->position());
}

void KNVTShortcutRecorderControl::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    m_cell->mouseUp(event->position());
}

void KNVTShortcutRecorderControl::leaveEvent(QEvent *event)
{
    m_cell->pointerMoved(QPointF(-1, -1));
    QWidget::leaveEvent(event);
}

void KNVTShortcutRecorderControl::focusInEvent(QFocusEvent *event)
{
    m_cell->becomeFirstResponder();
    // The keyboard is given back after the question that took it (Cancel in "Discard What You Typed?"): the recording
    // goes on as the typing goes on in a field. A Tab or a click that comes back later starts afresh.
    const bool given = event->reason() != Qt::TabFocusReason && event->reason() != Qt::BacktabFocusReason
        && event->reason() != Qt::MouseFocusReason;
    if (std::exchange(m_resumeRecording, false) && given && QApplication::activeModalWidget() == nullptr)
        m_cell->resumeRecording();
    QWidget::focusInEvent(event);
}

void KNVTShortcutRecorderControl::focusOutEvent(QFocusEvent *event)
{
    endRecordingOnLostFocus();
    QWidget::focusOutEvent(event);
}

void KNVTShortcutRecorderControl::endRecordingOnLostFocus()
{
    // While recording, the recorder holds the whole keyboard: a recording left running after the user went to
    // another window or program would swallow what is typed there and store its first chord. Only the cell's own
    // "can't be used" alert takes the focus without ending the recording.
    if (m_cell->isPresentingAlert())
        return;
    const QWidget *modal = QApplication::activeModalWidget();
    // A question can take the keyboard a moment before Qt counts it as modal (its modality takes effect as it maps,
    // later on a busy machine): the window that took it says so as well.
    if (const QWidget *taker = QApplication::activeWindow();
        modal == nullptr && taker != nullptr && taker->windowModality() != Qt::NonModal)
        modal = taker;
    m_resumeRecording = m_cell->isRecording() && modal != nullptr && modal != window();
    m_cell->resignFirstResponder();
}

void KNVTShortcutRecorderControl::resizeEvent(QResizeEvent *event)
{
    m_cell->resetTrackingRects();
    QWidget::resizeEvent(event);
}

void KNVTShortcutRecorderControl::showEvent(QShowEvent *event)
{
    m_cell->resetTrackingRects();
    QWidget::showEvent(event);
}

void KNVTShortcutRecorderControl::hideEvent(QHideEvent *event)
{
    // A recorder that goes out of sight (its window closed) would otherwise keep the keyboard and the hot keys.
    m_resumeRecording = false;
    if (m_cell->isRecording() || m_cell->isAnimatingNow())
        m_cell->resignFirstResponder();
    QWidget::hideEvent(event);
}

void KNVTShortcutRecorderControl::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange)
        update();
    if (event->type() == QEvent::EnabledChange) {
        m_cell->resetTrackingRects();
        update();
    }
    if (event->type() == QEvent::ActivationChange && !isActiveWindow()
        && (m_cell->isRecording() || m_cell->isAnimatingNow()))
        endRecordingOnLostFocus();
    QWidget::changeEvent(event);
}

void KNVTShortcutRecorderControl::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    m_cell->draw(painter, QRectF(rect()), palette(), font());
    if (hasFocus() && !m_cell->isRecording()) {
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath ring;
        const QRectF bounds = QRectF(rect()).adjusted(1, 1, -1, -1);
        ring.addRoundedRect(bounds, bounds.height() * 0.5, bounds.height() * 0.5);
        QColor colour = palette().color(QPalette::Highlight);
        colour.setAlphaF(0.6);
        painter.strokePath(ring, QPen(colour, 2));
    }
}

QSize KNVTShortcutRecorderControl::sizeHint() const
{
    return {160, kHeight};
}

QSize KNVTShortcutRecorderControl::minimumSizeHint() const
{
    return {kMinimumWidth, kHeight};
}

// The cell's view

QRectF KNVTShortcutRecorderControl::cellBounds() const
{
    return QRectF(rect());
}

bool KNVTShortcutRecorderControl::isCellEnabled() const
{
    return isEnabled();
}

void KNVTShortcutRecorderControl::displayNow()
{
    if (isVisible())
        repaint();
}

void KNVTShortcutRecorderControl::setNeedsDisplay()
{
    update();
}

bool KNVTShortcutRecorderControl::isFirstResponder() const
{
    return hasFocus();
}

void KNVTShortcutRecorderControl::makeFirstResponder()
{
    setFocus(Qt::MouseFocusReason);
}

quint64 KNVTShortcutRecorderControl::currentModifierFlags() const
{
    return knvt::cocoaFlagsFromQtModifiers(QGuiApplication::queryKeyboardModifiers());
}

QPointF KNVTShortcutRecorderControl::currentPointerPosition() const
{
    return mapFromGlobal(QCursor::pos());
}

void KNVTShortcutRecorderControl::setKeyboardCaptured(bool captured)
{
    if (captured == m_keyboardCaptured)
        return;
    m_keyboardCaptured = captured;
    if (captured)
        grabKeyboard();
    else
        releaseKeyboard();
}

void KNVTShortcutRecorderControl::scheduleTransitionTick(int milliseconds)
{
    m_tickTimer.start(milliseconds);
}

void KNVTShortcutRecorderControl::cancelTransitionTick()
{
    m_tickTimer.stop();
}

void KNVTShortcutRecorderControl::recordingDidChange()
{
    knvt::AccessibilityEvents &events = knvt::AccessibilityEvents::shared();
    if (!events.isListening())
        return;
    QAccessible::State states;
    states.checked = true;
    QAccessibleStateChangeEvent changed(this, states);
    events.post(&changed);
    QAccessibleEvent describedAnew(this, QAccessible::DescriptionChanged);
    events.post(&describedAnew);
}
