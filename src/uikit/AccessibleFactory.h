#pragma once

#include <QAccessible>
#include <QObject>
#include <QString>

#include <type_traits>

namespace knvt {

// Installs, once per process, the factory that gives a control its own accessible interface: `Interface`, made with
// the control. Without `Marker` it answers for objects of exactly the class `Control` (a subclass is asked about under
// its own class name first, and keeps Qt's interface for it); with one it answers for any `Control` that also is a
// `Marker` (a view of painted rows declaring what its rows offer), whatever its class.
template <class Interface, class Control, class Marker = Control>
void installAccessibleFactory()
{
    static const bool installed = [] {
        QAccessible::installFactory([](const QString &className, QObject *object) -> QAccessibleInterface * {
            if constexpr (std::is_same_v<Marker, Control>) {
                if (className != QLatin1String(Control::staticMetaObject.className()))
                    return nullptr;
            } else {
                Q_UNUSED(className);
            }
            auto *control = qobject_cast<Control *>(object);
            if (control == nullptr)
                return nullptr;
            if constexpr (!std::is_same_v<Marker, Control>) {
                if (dynamic_cast<Marker *>(control) == nullptr)
                    return nullptr;
            }
            return new Interface(control);
        });
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace knvt
