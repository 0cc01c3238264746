#pragma once

#include "foundation/KeychainBackend.h"

namespace knvt::test {

// A keyring that answers every request with a refusal of access, as one whose owner declined the program does.
class RefusingKeychain final : public knvt::KeychainBackend
{
public:
    knvt::OSStatus add(const QVariantMap &) override { return knvt::errSecAuthFailed; }
    knvt::OSStatus copyMatching(const QVariantMap &, QVariant *) override { return knvt::errSecAuthFailed; }
    knvt::OSStatus remove(const QVariantMap &) override { return knvt::errSecAuthFailed; }
    knvt::OSStatus lock() override { return knvt::errSecAuthFailed; }
    knvt::OSStatus unlock() override { return knvt::errSecAuthFailed; }
};

} // namespace knvt::test
