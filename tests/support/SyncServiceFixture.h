#pragma once

// Header-only so that knvt_test_support needs no part of the client: test executables that include it link
// knvt_service themselves.
#include "service/KNVTRequest.h"
#include "support/FakeSyncService.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace knvt::test {

// A test that talks to a fresh fake sync service. The client is pointed at it through the in-process base-URL
// override; KNVT_SYNC_API_URL is set as well, for child processes started by the test (in this process the
// variable is read only once, so it cannot follow the fake's port from test to test). A test ends with every request
// answered by a route or the fake's store.
class SyncServiceFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fake = std::make_unique<FakeSyncService>();
        setenv("KNVT_SYNC_API_URL", fake->baseURL().toUtf8().constData(), 1);
        KNVTSetSyncServiceAPIURLString(fake->baseURL());
    }

    void TearDown() override
    {
        for (const FakeSyncService::Request &request : fake->unmatched())
            ADD_FAILURE() << "Unanswered request: " << request.method.constData() << ' ' << request.target.constData();
        fake->stop();
        KNVTSetSyncServiceAPIURLString(QString());
        unsetenv("KNVT_SYNC_API_URL");
    }

    std::unique_ptr<FakeSyncService> fake;
};

} // namespace knvt::test
