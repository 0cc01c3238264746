#include "hotkeys/GlobalShortcutsPortal.h"

#include "hotkeys/KeyboardLayoutSource.h"
#include "hotkeys/MacKeyCodes.h"

#include <QDBusArgument>
#include <QDBusMetaType>

namespace knvt::portal {

namespace {

QString pathFor(const char *kind, const QString &uniqueName, const QString &token)
{
    QString sender = uniqueName;
    if (sender.startsWith(QLatin1Char(':')))
        sender.remove(0, 1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return QStringLiteral("%1/%2/%3/%4").arg(QLatin1String(Path), QLatin1String(kind), sender, token);
}

} // namespace

void registerTypes()
{
    static const bool registered = [] {
        qDBusRegisterMetaType<QPair<QString, QVariantMap>>();
        qDBusRegisterMetaType<Shortcuts>();
        return true;
    }();
    Q_UNUSED(registered);
}

Shortcuts shortcutsFrom(const QVariant &value)
{
    if (value.canConvert<QDBusArgument>())
        return qdbus_cast<Shortcuts>(value.value<QDBusArgument>());
    return value.value<Shortcuts>();
}

QString requestPath(const QString &uniqueName, const QString &token)
{
    return pathFor("request", uniqueName, token);
}

QString sessionPath(const QString &uniqueName, const QString &token)
{
    return pathFor("session", uniqueName, token);
}

std::optional<QString> triggerFor(int keyCode, quint32 carbonModifiers)
{
    const xkb_keysym_t keysym = KeyboardLayoutSource::current().keysym(keyCode, false, false);
    if (keysym == XKB_KEY_NoSymbol)
        return std::nullopt;
    char name[64] = {};
    if (xkb_keysym_get_name(keysym, name, sizeof name) <= 0)
        return std::nullopt;
    QStringList parts;
    if (carbonModifiers & kCarbonCommand)
        parts << QStringLiteral("CTRL");
    if (carbonModifiers & kCarbonOption)
        parts << QStringLiteral("ALT");
    if (carbonModifiers & kCarbonShift)
        parts << QStringLiteral("SHIFT");
    if (carbonModifiers & kCarbonControl)
        parts << QStringLiteral("LOGO");
    parts << QString::fromLatin1(name);
    return parts.join(QLatin1Char('+'));
}

} // namespace knvt::portal
