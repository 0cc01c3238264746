#include "service/KNVTRESTFulAsyncBodyDataFetchPushRequest.h"

KNVTRESTFulAsyncBodyDataFetchPushRequest::BodyDataFetchBlock
KNVTRESTFulAsyncBodyDataFetchPushRequest::bodyDataFetchBlock() const
{
    std::lock_guard lock(m_blockMutex);
    return m_bodyDataFetchBlock;
}

void KNVTRESTFulAsyncBodyDataFetchPushRequest::setBodyDataFetchBlock(BodyDataFetchBlock block)
{
    std::lock_guard lock(m_blockMutex);
    m_bodyDataFetchBlock = std::move(block);
}

knvt::URLRequest KNVTRESTFulAsyncBodyDataFetchPushRequest::signedURLRequest()
{
    if (const BodyDataFetchBlock block = bodyDataFetchBlock())
        setBodyData(block());
    return KNVTRESTFulPushRequest::signedURLRequest();
}

const char *KNVTRESTFulAsyncBodyDataFetchPushRequest::archiveClassName() const
{
    return "KNVTRESTFulAsyncBodyDataFetchPushRequest";
}
