#pragma once

#include "foundation/SystemEvents.h"

namespace knvt {

// System events that happen when a test says so.
class FakeSystemEvents final : public SystemEvents
{
    Q_OBJECT

public:
    explicit FakeSystemEvents(QObject *parent = nullptr);

    void changeClock() { emit clockChanged(); }
    void changeTimeZone() { emit timeZoneChanged(); }
    void wake() { emit didWake(); }
};

} // namespace knvt
