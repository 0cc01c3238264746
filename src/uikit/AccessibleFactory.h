#pragma once

#include <QAccessible>
#include <QObject>
#include <QString>

namespace knvt {

// Qt asks the factories about an object once for each class of its ancestry, its own first. This answers for an
// object of exactly the class `Control`: a subclass is asked about under its own name first and keeps Qt's interface.
template <class Control>
bool isExactly(const QString &className, Control *)
{
    return className == QLatin1String(Control::staticMetaObject.className());
}

// Answers for any `Control` that also is a `Marker` (a view of painted rows declaring what its rows offer), whatever
// its class.
template <class Marker, class Control>
bool declares(const QString &, Control *control)
{
    return dynamic_cast<Marker *>(control) != nullptr;
}

// Installs, once per process, the factory that gives a control its own accessible interface: `Interface`, made with
// the control, for every `Control` that `Accepts` takes.
template <class Interface, class Control, bool (*Accepts)(const QString &, Control *) = &isExactly<Control>>
void installAccessibleFactory()
{
    static const bool installed = [] {
        QAccessible::installFactory([](const QString &className, QObject *object) -> QAccessibleInterface * {
            auto *control = qobject_cast<Control *>(object);
            return control != nullptr && Accepts(className, control) ? new Interface(control) : nullptr;
        });
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace knvt
