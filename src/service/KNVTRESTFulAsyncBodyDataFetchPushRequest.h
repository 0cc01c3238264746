#pragma once

#include "service/KNVTRESTFulPushRequest.h"

#include <functional>

// A push request whose body is produced at the moment of sending, on the worker thread, by a block.
class KNVTRESTFulAsyncBodyDataFetchPushRequest : public KNVTRESTFulPushRequest
{
public:
    using KNVTRESTFulPushRequest::KNVTRESTFulPushRequest;

    using BodyDataFetchBlock = std::function<QByteArray()>;

    BodyDataFetchBlock bodyDataFetchBlock() const;
    void setBodyDataFetchBlock(BodyDataFetchBlock block);

    // When the block is set, its result replaces the body (a null result removes it) before the request is built.
    knvt::URLRequest signedURLRequest() override;

protected:
    const char *archiveClassName() const override;

private:
    mutable std::mutex m_blockMutex;
    BodyDataFetchBlock m_bodyDataFetchBlock;
};
