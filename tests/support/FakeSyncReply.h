#pragma once

#include "support/FakeSyncService.h"

namespace knvt::test {

// One HTTP reply of the fake sync service, before it is written to the connection.
struct FakeSyncReply
{
    int status = 200;
    QByteArray body;
    FakeSyncService::Headers headers;
};

} // namespace knvt::test
