#include "hotkeys/CompiledKeyboardLayout.h"

#include "hotkeys/Logging.h"

#include <QDBusMessage>
#include <QDBusVariant>

namespace knvt {

namespace {

const char *pointer(const QByteArray &name)
{
    return name.isEmpty() ? nullptr : name.constData();
}

// One of systemd-localed's properties; empty when the service or the property is not there.
QString localedProperty(const QDBusConnection &bus, const char *property)
{
    QDBusMessage get = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.locale1"), QStringLiteral("/org/freedesktop/locale1"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << QStringLiteral("org.freedesktop.locale1") << QString::fromLatin1(property);
    // Asked once at the start; a service that does not answer quickly is taken as absent.
    const QDBusMessage reply = bus.call(get, QDBus::Block, 1000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().constFirst().value<QDBusVariant>().variant().toString();
}

} // namespace

CompiledKeyboardLayout::CompiledKeyboardLayout(const QString &layouts, const QString &variants)
    : CompiledKeyboardLayout(Names{QStringLiteral("evdev"), QStringLiteral("pc105"), layouts, variants, {}})
{}

CompiledKeyboardLayout::CompiledKeyboardLayout(const Names &names)
    : m_names(names), m_context(xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES))
{
    if (m_context == nullptr) {
        qCWarning(lcHotkeys) << "CompiledKeyboardLayout: no XKB context";
        return;
    }
    const QByteArray rules = names.rules.toUtf8();
    const QByteArray model = names.model.toUtf8();
    const QByteArray layout = names.layouts.toUtf8();
    const QByteArray variant = names.variants.toUtf8();
    const QByteArray options = names.options.toUtf8();
    // A variant belongs to its layout: without a layout it would be given to the default one.
    const xkb_rule_names rmlvo{pointer(rules), pointer(model), pointer(layout),
                               layout.isEmpty() ? nullptr : pointer(variant), pointer(options)};
    m_keymap = xkb_keymap_new_from_names(m_context, &rmlvo, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (m_keymap == nullptr)
        qCWarning(lcHotkeys) << "CompiledKeyboardLayout: couldn't compile the keymap of" << names.layouts;
}

CompiledKeyboardLayout::~CompiledKeyboardLayout()
{
    xkb_keymap_unref(m_keymap);
    xkb_context_unref(m_context);
}

CompiledKeyboardLayout::Names CompiledKeyboardLayout::sessionNames(const QDBusConnection &systemBus)
{
    Names names;
    names.layouts = qEnvironmentVariable("XKB_DEFAULT_LAYOUT");
    if (!names.layouts.isEmpty()) {
        names.rules = qEnvironmentVariable("XKB_DEFAULT_RULES");
        names.model = qEnvironmentVariable("XKB_DEFAULT_MODEL");
        names.variants = qEnvironmentVariable("XKB_DEFAULT_VARIANT");
        names.options = qEnvironmentVariable("XKB_DEFAULT_OPTIONS");
        return names;
    }
    if (!systemBus.isConnected())
        return names;
    names.layouts = localedProperty(systemBus, "X11Layout");
    if (names.layouts.isEmpty())
        return names;
    names.model = localedProperty(systemBus, "X11Model");
    names.variants = localedProperty(systemBus, "X11Variant");
    names.options = localedProperty(systemBus, "X11Options");
    return names;
}

std::unique_ptr<CompiledKeyboardLayout> CompiledKeyboardLayout::ofSession(const QDBusConnection &systemBus)
{
    const Names names = sessionNames(systemBus);
    qCInfo(lcHotkeys) << "CompiledKeyboardLayout:ofSession keys named by the layout"
                      << (names.layouts.isEmpty() ? QStringLiteral("us") : names.layouts) << names.variants;
    auto layout = std::make_unique<CompiledKeyboardLayout>(names);
    if (layout->keymap() == nullptr && !names.layouts.isEmpty())
        return std::make_unique<CompiledKeyboardLayout>(Names{});
    return layout;
}

void CompiledKeyboardLayout::setLayoutIndex(xkb_layout_index_t index)
{
    if (m_keymap == nullptr || index >= xkb_keymap_num_layouts(m_keymap) || index == m_layoutIndex)
        return;
    m_layoutIndex = index;
    announceChange();
}

} // namespace knvt
