#pragma once

// Header-only so that knvt_test_support needs no part of the client: test executables that include it link
// knvt_service themselves.
#include "service/KNVTRequest.h"
#include "support/FakeSyncService.h"

#include <gtest/gtest.h>

namespace knvt::test {

// Points the client at `fake` for its lifetime, with a shorter wait for replies when `timeoutSeconds` is given. At
// the end it fails the test for every request the fake could not answer, stops the fake and restores the client.
// Declare it after the fake it points at.
class ScopedSyncServiceClient
{
public:
    explicit ScopedSyncServiceClient(FakeSyncService &fake, double timeoutSeconds = 0) : m_fake(fake)
    {
        KNVTSetSyncServiceAPIURLString(fake.baseURL());
        KNVTRequest::setDefaultTimeoutInterval(timeoutSeconds);
    }
    ~ScopedSyncServiceClient()
    {
        for (const FakeSyncService::Request &request : m_fake.unmatched())
            ADD_FAILURE() << "unanswered " << request.method.constData() << ' ' << request.target.constData();
        m_fake.stop();
        KNVTRequest::setDefaultTimeoutInterval(0);
        KNVTSetSyncServiceAPIURLString(QString());
    }
    ScopedSyncServiceClient(const ScopedSyncServiceClient &) = delete;
    ScopedSyncServiceClient &operator=(const ScopedSyncServiceClient &) = delete;

private:
    FakeSyncService &m_fake;
};

} // namespace knvt::test
