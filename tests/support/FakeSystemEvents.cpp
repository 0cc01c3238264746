#include "support/FakeSystemEvents.h"

namespace knvt {

FakeSystemEvents::FakeSystemEvents(QObject *parent) : SystemEvents(parent) {}

} // namespace knvt
