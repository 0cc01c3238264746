#include "support/FakePortalSession.h"

namespace knvt::test {

FakePortalSession::FakePortalSession(std::function<void()> closed, QObject *parent)
    : QObject(parent), m_closed(std::move(closed))
{}

void FakePortalSession::Close()
{
    if (m_closed)
        m_closed();
}

} // namespace knvt::test
