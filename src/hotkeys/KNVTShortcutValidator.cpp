#include "hotkeys/KNVTShortcutValidator.h"

#include "hotkeys/HotKeyBackend.h"
#include "hotkeys/KNVTHotKeyCenter.h"
#include "hotkeys/KNVTMainMenuSource.h"
#include "hotkeys/KNVTShortcutValidatorDelegate.h"
#include "hotkeys/MacKeyCodes.h"
#include "hotkeys/ShortcutStrings.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>

using namespace knvt;

namespace {

KNVTMainMenuSource *g_menuSource = nullptr;

QString tr(const char *text)
{
    return QCoreApplication::translate("KNVTShortcuts", text);
}

constexpr quint64 kCarbonModifiers = kCarbonCommand | kCarbonOption | kCarbonShift | kCarbonControl;

void fill(KNVTShortcutError *error, quint64 carbonFlags, qint64 keyCode, const QString &suggestion)
{
    if (error == nullptr)
        return;
    error->title = tr("The key combination %1 can't be used!").arg(KNVTCarbonShortcutNativeText(carbonFlags, keyCode));
    error->suggestion = suggestion;
    error->options = {tr("OK")};
}

// What the item's key reads as, in the terms of the key texts: the character for a typing key, the key's own text
// for the others.
QString keyTextOf(Qt::Key key)
{
    if (key == Qt::Key_Space || key >= Qt::Key_Escape) {
        const std::optional<int> code = macKeyCodeForQtKey(key, false);
        return code ? KNVTKeyCodeDisplayString(*code) : QString();
    }
    const char32_t character = char32_t(key);
    return QString::fromUcs4(&character, 1).toUpper();
}

QString titleOf(const QAction *action)
{
    QString title = action->text();
    title.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    title.remove(QLatin1Char('&'));
    title.replace(QStringLiteral("\x01"), QStringLiteral("&"));
    return title.section(QLatin1Char('\t'), 0, 0);
}

} // namespace

KNVTShortcutValidatorDelegate::~KNVTShortcutValidatorDelegate() = default;

bool KNVTShortcutValidatorDelegate::shortcutValidator(KNVTShortcutValidator *, qint64, quint64, QString *)
{
    return false;
}

KNVTMainMenuSource::~KNVTMainMenuSource()
{
    if (g_menuSource == this)
        g_menuSource = nullptr;
}

KNVTMainMenuSource *KNVTMainMenuSource::shared()
{
    return g_menuSource;
}

void KNVTMainMenuSource::setShared(KNVTMainMenuSource *source)
{
    g_menuSource = source;
}

knvt::AlertPresenter::Request alertWithNonRecoverableError(const KNVTShortcutError *error)
{
    // The answer to a shortcut the user typed into the recorder.
    knvt::AlertPresenter::Request request{.opener = knvt::Opener::User};
    request.critical = true;
    if (error == nullptr || error->options.isEmpty()) {
        request.title =
            error != nullptr && !error->title.isEmpty() ? error->title : tr("The key combination can't be used!");
        request.message = error != nullptr ? error->suggestion : QString();
        request.buttonTitles = {tr("OK")};
        return request;
    }
    request.title = error->title;
    request.message = error->suggestion;
    request.buttonTitles = {error->options.constFirst()};
    return request;
}

KNVTShortcutValidator::KNVTShortcutValidator(KNVTShortcutValidatorDelegate *delegate) : m_delegate(delegate) {}

bool KNVTShortcutValidator::isKeyCodeTaken(qint64 keyCode, quint64 carbonFlags, KNVTShortcutError *error)
{
    if (m_delegate != nullptr) {
        QString reason;
        if (m_delegate->shortcutValidator(this, keyCode, KNVTCocoaFlagsFromCarbonFlags(carbonFlags), &reason)) {
            if (reason.isEmpty())
                reason = tr("it's already used");
            fill(error, carbonFlags, keyCode,
                 tr("The key combination \"%1\" can't be used because %2.")
                     .arg(KNVTCarbonShortcutNativeText(carbonFlags, keyCode), reason));
            return true;
        }
    }

    // Without a display there are no system-wide shortcuts to collide with.
    HotKeyBackend *backend = KNVTHotKeyCenter::sharedCenter().backend();
    if (backend != nullptr && backend->isAvailable()) {
        // A key that cannot be shown cannot be offered as a shortcut.
        if (KNVTKeyCodeDisplayString(int(keyCode)).isEmpty())
            return true;
        if (backend->isChordHeldElsewhere(int(keyCode), quint32(carbonFlags & kCarbonModifiers))) {
            fill(error, carbonFlags, keyCode,
                 tr("The key combination \"%1\" can't be used because it's already used by a system-wide keyboard "
                    "shortcut. (If you really want to use this key combination, most shortcuts can be changed in "
                    "the keyboard settings of your desktop.)")
                     .arg(KNVTCarbonShortcutNativeText(carbonFlags, keyCode)));
            return true;
        }
    }

    const KNVTMainMenuSource *source = KNVTMainMenuSource::shared();
    const QMenuBar *menuBar = source != nullptr ? source->mainMenuBar() : nullptr;
    return menuBar != nullptr && isKeyCodeTakenInMenu(keyCode, carbonFlags, menuBar->actions(), error);
}

bool KNVTShortcutValidator::isKeyCodeTakenInMenu(qint64 keyCode, quint64 carbonFlags, const QList<QAction *> &menu,
                                                 KNVTShortcutError *error)
{
    const quint64 wanted = KNVTCocoaFlagsFromCarbonFlags(carbonFlags) & ~kFunctionKeyMask;
    QString keyText;
    bool keyTextRead = false;
    for (const QAction *action : menu) {
        if (const QMenu *submenu = action->menu()) {
            if (isKeyCodeTakenInMenu(keyCode, carbonFlags, submenu->actions(), error))
                return true;
        }
        const QKeySequence shortcut = action->shortcut();
        if (shortcut.isEmpty())
            continue;
        const QKeyCombination combination = shortcut[0];
        const quint64 itemFlags = cocoaFlagsFromQtModifiers(combination.keyboardModifiers());
        if (itemFlags != wanted)
            continue;
        if (!keyTextRead) {
            keyText = KNVTKeyCodeDisplayString(int(keyCode));
            keyTextRead = true;
        }
        if (keyText.isEmpty() || keyTextOf(combination.key()) != keyText)
            continue;
        fill(error, carbonFlags, keyCode,
             tr("The key combination \"%1\" can't be used because it's already used by the menu item \"%2\".")
                 .arg(KNVTCocoaShortcutNativeText(itemFlags, int(keyCode)), titleOf(action)));
        return true;
    }
    return false;
}
