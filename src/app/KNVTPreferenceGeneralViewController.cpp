#include "app/KNVTPreferenceGeneralViewController.h"

#include "accounts/ApplicationBadgeValuePopUp.h"

#include "hotkeys/HotKeyBackend.h"
#include "hotkeys/KNVTHotKey.h"
#include "hotkeys/KNVTHotKeyCenter.h"
#include "hotkeys/KNVTKeyboardShortcutManager.h"
#include "hotkeys/KNVTShortcutRecorderControl.h"

#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

KNVTPreferenceGeneralViewController::KNVTPreferenceGeneralViewController(QObject *parent)
    : KNVTPreferenceViewController(parent)
{
    setTitle(tr("General"));
}

KNVTPreferenceGeneralViewController::~KNVTPreferenceGeneralViewController()
{
    if (m_quickTaskEntryRecorderControl)
        m_quickTaskEntryRecorderControl->setDelegate(nullptr);
}

KNVTShortcutRecorderControl *KNVTPreferenceGeneralViewController::quickTaskEntryRecorderControl()
{
    view();
    return m_quickTaskEntryRecorderControl;
}

QLabel *KNVTPreferenceGeneralViewController::globalShortcutsUnavailableLabel()
{
    view();
    return m_globalShortcutsUnavailableLabel;
}

QLabel *KNVTPreferenceGeneralViewController::desktopShortcutLabel()
{
    view();
    return m_desktopShortcutLabel;
}

knvt::ApplicationBadgeValuePopUp *KNVTPreferenceGeneralViewController::applicationBadgeValuePopUpButton()
{
    view();
    return m_applicationBadgeValuePopUpButton;
}

void KNVTPreferenceGeneralViewController::loadView()
{
    auto *pane = new QWidget;
    pane->setObjectName(QStringLiteral("KNVTPreferenceGeneralViewController"));
    pane->setAccessibleName(tr("General"));
    auto *form = new QFormLayout(pane);
    form->setContentsMargins(20, 20, 20, 20);
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto *shortcut = new QWidget(pane);
    auto *column = new QVBoxLayout(shortcut);
    column->setContentsMargins(0, 0, 0, 0);
    m_quickTaskEntryRecorderControl = new KNVTShortcutRecorderControl(shortcut);
    m_quickTaskEntryRecorderControl->setObjectName(QStringLiteral("quickTaskEntryRecorderControl"));
    m_quickTaskEntryRecorderControl->setMinimumWidth(180);
    m_quickTaskEntryRecorderControl->setAccessibleName(tr("Quick Entry shortcut"));
    // Recording takes the keyboard, so the chord that is live now can be recorded again instead of firing.
    m_quickTaskEntryRecorderControl->setCanCaptureGlobalHotKeys(true);
    column->addWidget(m_quickTaskEntryRecorderControl);
    // The lines under the recorder quote the desktop's own words: plain text, wrapped.
    auto makeLine = [shortcut, column](const QString &name) {
        auto *line = new QLabel(shortcut);
        line->setObjectName(name);
        line->setTextFormat(Qt::PlainText);
        line->setWordWrap(true);
        QFont small = line->font();
        small.setPointSizeF(small.pointSizeF() * 0.9);
        line->setFont(small);
        line->setForegroundRole(QPalette::PlaceholderText);
        column->addWidget(line);
        return line;
    };
    m_globalShortcutsUnavailableLabel = makeLine(QStringLiteral("globalShortcutsUnavailableLabel"));
    m_globalShortcutsUnavailableLabel->setText(tr("Global shortcuts need an X11 display."));
    m_desktopShortcutLabel = makeLine(QStringLiteral("desktopShortcutLabel"));
    m_desktopShortcutLabel->hide();
    form->addRow(tr("Quick Entry shortcut:"), shortcut);
    m_applicationBadgeValuePopUpButton = new knvt::ApplicationBadgeValuePopUp(pane);
    form->addRow(tr("Badge counts:"), m_applicationBadgeValuePopUpButton);
    setView(pane);
}

void KNVTPreferenceGeneralViewController::showGlobalShortcutStatus()
{
    if (!m_globalShortcutsUnavailableLabel || !m_desktopShortcutLabel)
        return;
    const knvt::HotKeyBackend *backend = KNVTHotKeyCenter::sharedCenter().backend();
    const QString status = backend != nullptr ? backend->statusText() : QString();
    const bool available = backend != nullptr && backend->isAvailable();
    m_globalShortcutsUnavailableLabel->setText(
        status.isEmpty() || available ? tr("Global shortcuts need an X11 display.") : status);
    m_globalShortcutsUnavailableLabel->setVisible(!available);
    m_desktopShortcutLabel->setText(available ? status : QString());
    m_desktopShortcutLabel->setVisible(available && !status.isEmpty());
}

void KNVTPreferenceGeneralViewController::viewDidLoad()
{
    showGlobalShortcutStatus();
    // The desktop answers a binding while the pane is open, and may change or drop the shortcut at any time.
    if (knvt::HotKeyBackend *backend = KNVTHotKeyCenter::sharedCenter().backend())
        connect(backend, &knvt::HotKeyBackend::statusChanged, this, [this] { showGlobalShortcutStatus(); });

    // Showing the stored combination is no change: it is set before the pane listens, and the clear combination
    // shows as an empty recorder, so opening the pane neither registers nor saves anything.
    const KNVTKeyCombo combo = KNVTKeyboardShortcutManager::sharedManager().quickTaskEntryHotKey()->keyCombo();
    if (combo.isClearCombo() || combo.keyCode() < 0) {
        m_quickTaskEntryRecorderControl->setKeyCombo({0, -1});
    } else {
        const quint64 flags =
            KNVTShortcutRecorderControl::carbonToCocoaFlags(quint64(qMax<qint64>(combo.modifiers(), 0)));
        m_quickTaskEntryRecorderControl->setKeyCombo({flags, combo.keyCode()});
    }
    m_quickTaskEntryRecorderControl->setDelegate(this);
}

void KNVTPreferenceGeneralViewController::shortcutRecorderKeyComboDidChange(KNVTShortcutRecorderControl *recorder,
                                                                            knvt::RecorderKeyCombo combo)
{
    const KNVTKeyCombo keyCombo = KNVTKeyCombo::keyComboWithKeyCode(
        combo.code, qint64(KNVTShortcutRecorderControl::cocoaToCarbonFlags(combo.flags)));
    if (recorder != m_quickTaskEntryRecorderControl)
        return;
    KNVTKeyboardShortcutManager &manager = KNVTKeyboardShortcutManager::sharedManager();
    const std::shared_ptr<KNVTHotKey> hotKey = manager.quickTaskEntryHotKey();
    hotKey->setKeyCombo(keyCombo);
    manager.setQuickTaskEntryHotKey(hotKey);
}
