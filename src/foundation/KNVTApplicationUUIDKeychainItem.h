#pragma once

#include "foundation/KNVTGenericKeychainItem.h"

#include <memory>

// A per-installation identifier for this application, kept in the keychain so that it outlives reinstalls: a generic
// item of the service "com.hollowpine.opensource.keychain.uuid.application" and the application's identifier as
// account, whose password is an upper-case UUID string of 36 characters.
class KNVTApplicationUUIDKeychainItem : public KNVTGenericKeychainItem
{
public:
    static std::shared_ptr<KNVTApplicationUUIDKeychainItem> applicationUUIDKeychainItem();
    static std::shared_ptr<KNVTApplicationUUIDKeychainItem> generateApplicationUUIDKeychainItem();
    // The stored identifier, made and stored on first use; the same on every later call while the item stays in the
    // keychain. Null when the keychain can be neither read nor written.
    static QString applicationUUID();

    const QString &UUID() const { return password(); }

    QString description() const override;

protected:
    QString className() const override;

private:
    explicit KNVTApplicationUUIDKeychainItem(const KNVTGenericKeychainItem &item);
    static std::shared_ptr<KNVTApplicationUUIDKeychainItem> from(const std::shared_ptr<KNVTGenericKeychainItem> &item);
};
