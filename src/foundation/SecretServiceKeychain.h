#pragma once

#include "foundation/KeychainBackend.h"

namespace knvt {

// The keychain on the desktop's Secret Service (gnome-keyring, KWallet) through libsecret, in its default collection.
// Generic items use the schema "com.hollowpine.GenericPassword" with the attributes "service" and "account", the
// same that `secret-tool lookup service <service> account <account>` reads.
//
// No call starts a Secret Service or asks for a password, except unlock: when no service runs on the session bus
// every call answers errSecNotAvailable at once, and a locked or missing default collection gives
// errSecInteractionNotAllowed or errSecNoDefaultKeychain instead of a prompt.
class SecretServiceKeychain : public KeychainBackend
{
public:
    OSStatus add(const QVariantMap &query) override;
    OSStatus copyMatching(const QVariantMap &query, QVariant *result) override;
    OSStatus remove(const QVariantMap &query) override;
    OSStatus lock() override;
    OSStatus unlock() override;
};

} // namespace knvt
