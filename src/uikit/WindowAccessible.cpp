#include "uikit/WindowAccessible.h"

#include "uikit/AccessibleFactory.h"

#include <QWidget>

namespace knvt {

namespace {

constexpr char kReadAsWindow[] = "knvtReadAsWindow";

bool readAsWindow(const QString &className, QWidget *widget)
{
    // Asked for its most derived class first, before any interface of a base class answers for it.
    return widget->property(kReadAsWindow).toBool() && className == QLatin1String(widget->metaObject()->className());
}

} // namespace

WindowAccessible::WindowAccessible(QWidget *window) : QAccessibleWidget(window, QAccessible::Window) {}

void WindowAccessible::install(QWidget *window)
{
    installAccessibleFactory<WindowAccessible, QWidget, &readAsWindow>();
    if (!window->isWindow())
        window->setWindowFlag(Qt::Window);
    window->setProperty(kReadAsWindow, true);
}

} // namespace knvt
