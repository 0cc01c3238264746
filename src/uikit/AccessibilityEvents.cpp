#include "uikit/AccessibilityEvents.h"

#include <QAccessible>

namespace knvt {

namespace {

class PlatformAccessibilityEvents final : public AccessibilityEvents
{
public:
    bool isListening() const override { return QAccessible::isActive(); }
    void post(QAccessibleEvent *event) override { QAccessible::updateAccessibility(event); }
};

AccessibilityEvents *installed = nullptr;

} // namespace

AccessibilityEvents::~AccessibilityEvents() = default;

AccessibilityEvents &AccessibilityEvents::shared()
{
    static PlatformAccessibilityEvents platform;
    return installed != nullptr ? *installed : platform;
}

void AccessibilityEvents::setShared(AccessibilityEvents *events)
{
    installed = events;
}

} // namespace knvt
