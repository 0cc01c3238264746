#pragma once

#include "foundation/KNVTKeychainItem.h"

#include <QList>

#include <memory>

// A generic-password entry, identified by its service and account.
class KNVTGenericKeychainItem : public KNVTKeychainItem
{
public:
    KNVTGenericKeychainItem(const QString &service, const QString &account, const QVariantMap &attributes,
                            const QString &password);

    // One entry and its password. An empty service or account matches any; the item's service is the one asked for.
    static std::shared_ptr<KNVTGenericKeychainItem> genericKeychainItemForService(const QString &service,
                                                                                  const QString &account,
                                                                                  const QVariantMap &attributes,
                                                                                  knvt::Error *error = nullptr);
    // Every entry of the service, in the keychain's order; an entry that cannot be read back is left out and its
    // error reported. Nothing found is a failure (empty list and an error).
    static QList<std::shared_ptr<KNVTGenericKeychainItem>>
    genericKeychainItemsForService(const QString &service, const QVariantMap &attributes, knvt::Error *error = nullptr);
    // Adds a new entry and returns it as read back; an existing entry for the service and account is kept and the
    // add fails with errSecDuplicateItem.
    static std::shared_ptr<KNVTGenericKeychainItem>
    genericKeychainItemWithService(const QString &service, const QString &account, const QVariantMap &attributes,
                                   const QString &password, knvt::Error *error = nullptr);

    const QString &service() const { return m_service; }

    bool removeFromKeychain(knvt::Error *error = nullptr) const override;
    QString description() const override;

protected:
    QString className() const override;

private:
    QString m_service;
};
