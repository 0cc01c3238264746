#include "uikit/WindowAccessible.h"

#include <QWidget>

namespace knvt {

namespace {

constexpr char kReadAsWindow[] = "knvtReadAsWindow";

QAccessibleInterface *createWindowInterface(const QString &className, QObject *object)
{
    auto *widget = qobject_cast<QWidget *>(object);
    // Asked for its most derived class first, before any interface of a base class answers for it.
    if (widget == nullptr || !widget->property(kReadAsWindow).toBool()
        || className != QLatin1String(widget->metaObject()->className()))
        return nullptr;
    return new WindowAccessible(widget);
}

} // namespace

WindowAccessible::WindowAccessible(QWidget *window) : QAccessibleWidget(window, QAccessible::Window) {}

void WindowAccessible::install(QWidget *window)
{
    static const bool installed = [] {
        QAccessible::installFactory(&createWindowInterface);
        return true;
    }();
    Q_UNUSED(installed);
    if (!window->isWindow())
        window->setWindowFlag(Qt::Window);
    window->setProperty(kReadAsWindow, true);
}

} // namespace knvt
