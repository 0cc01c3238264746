#include "uikit/WindowSystem.h"

#include "uikit/QtWindowSystem.h"
#include "uikit/X11WindowSystem.h"

namespace knvt {

namespace {

WindowSystem *installed = nullptr;
WindowSystem::Listener *gListener = nullptr;

} // namespace

WindowSystem::Listener::~Listener() = default;

WindowSystem::~WindowSystem() = default;

WindowSystem &WindowSystem::shared()
{
    if (installed != nullptr)
        return *installed;
    // Chosen once the application runs on its platform.
    static X11WindowSystem x11;
    static QtWindowSystem plain;
    if (X11WindowSystem::available())
        return x11;
    return plain;
}

void WindowSystem::setShared(WindowSystem *system)
{
    installed = system;
}

void WindowSystem::setListener(Listener *listener)
{
    gListener = listener;
}

WindowSystem::Listener *WindowSystem::listener()
{
    return gListener;
}

} // namespace knvt
