#pragma once

#include "foundation/KeychainBackend.h"
#include "support/InMemoryKeychain.h"

#include <memory>

namespace knvt::test {

// Keychain items live in memory for its lifetime, so tests never touch the user's keyring; the previous backend
// comes back at the end.
class ScopedInMemoryKeychain
{
public:
    ScopedInMemoryKeychain() : m_previous(knvt::KeychainBackend::shared())
    {
        knvt::KeychainBackend::setShared(std::make_shared<knvt::InMemoryKeychain>());
    }
    ~ScopedInMemoryKeychain() { knvt::KeychainBackend::setShared(m_previous); }
    ScopedInMemoryKeychain(const ScopedInMemoryKeychain &) = delete;
    ScopedInMemoryKeychain &operator=(const ScopedInMemoryKeychain &) = delete;

private:
    std::shared_ptr<knvt::KeychainBackend> m_previous;
};

} // namespace knvt::test
