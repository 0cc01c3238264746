#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <optional>

// The desktop's GlobalShortcuts portal as this program speaks it: names on the bus, the shortcut list's wire type and
// the forms of its texts.
namespace knvt::portal {

inline constexpr char Service[] = "org.freedesktop.portal.Desktop";
inline constexpr char Path[] = "/org/freedesktop/portal/desktop";
inline constexpr char GlobalShortcutsInterface[] = "org.freedesktop.portal.GlobalShortcuts";
inline constexpr char RequestInterface[] = "org.freedesktop.portal.Request";
inline constexpr char SessionInterface[] = "org.freedesktop.portal.Session";
// Version 1 of the interface has everything used here (sessions, BindShortcuts, Activated, Deactivated,
// ShortcutsChanged); the activation token that version 2 adds to Activated is used when it comes.
inline constexpr uint RequiredVersion = 1;

// Request answers: 0 success, 1 cancelled by the user, 2 ended otherwise.
inline constexpr uint ResponseSuccess = 0;
inline constexpr uint ResponseCancelled = 1;

// a(sa{sv}): each shortcut's id with its description, preferred_trigger or trigger_description.
using Shortcuts = QList<QPair<QString, QVariantMap>>;

// Makes the list type known to QtDBus; idempotent.
void registerTypes();
// The list in a results entry or a signal argument, as QtDBus hands it over (demarshalled or not).
Shortcuts shortcutsFrom(const QVariant &value);

// The object path a request or session of the bus connection `uniqueName` (":1.42") gets for `token`, known before
// the call so that its answer can be listened for first.
QString requestPath(const QString &uniqueName, const QString &token);
QString sessionPath(const QString &uniqueName, const QString &token);

// A stored combination in the XDG shortcuts format: CTRL, ALT, SHIFT, LOGO joined with "+", then
// the key's keysym name on the current layout ("CTRL+ALT+j"). Nothing for a key without a keysym.
std::optional<QString> triggerFor(int keyCode, quint32 carbonModifiers);

} // namespace knvt::portal
