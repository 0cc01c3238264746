#include "foundation/KNVTGenericKeychainItem.h"

// The keychain vocabulary (query keys, classes, status codes) is the backend's, in namespace knvt.
using namespace knvt;

namespace {

QVariantMap classQuery()
{
    return {{kSecClass, QString::fromLatin1(kSecClassGenericPassword)}};
}

void merge(QVariantMap *query, const QVariantMap &attributes)
{
    for (auto it = attributes.cbegin(); it != attributes.cend(); ++it)
        query->insert(it.key(), it.value());
}

} // namespace

KNVTGenericKeychainItem::KNVTGenericKeychainItem(const QString &service, const QString &account,
                                                 const QVariantMap &attributes, const QString &password)
    : KNVTKeychainItem(account, attributes, password), m_service(service)
{}

std::shared_ptr<KNVTGenericKeychainItem>
KNVTGenericKeychainItem::genericKeychainItemForService(const QString &service, const QString &account,
                                                       const QVariantMap &attributes, Error *error)
{
    QVariantMap query = classQuery();
    if (!service.isEmpty())
        query.insert(kSecAttrService, service);
    if (!account.isEmpty())
        query.insert(kSecAttrAccount, account);
    merge(&query, attributes);
    query.insert(kSecMatchLimit, QString::fromLatin1(kSecMatchLimitOne));
    query.insert(kSecReturnAttributes, true);
    query.insert(kSecReturnData, true);

    QVariant result;
    const OSStatus status = KeychainBackend::shared()->copyMatching(query, &result);
    if (status != errSecSuccess) {
        Error::report(error, errorForQuery(status, query));
        return nullptr;
    }
    const QVariantMap found = result.toMap();
    return std::make_shared<KNVTGenericKeychainItem>(service, found.value(kSecAttrAccount).toString(), found,
                                                     passwordFromData(found.value(kSecValueData).toByteArray()));
}

QList<std::shared_ptr<KNVTGenericKeychainItem>>
KNVTGenericKeychainItem::genericKeychainItemsForService(const QString &service, const QVariantMap &attributes,
                                                        Error *error)
{
    QVariantMap query = classQuery();
    if (!service.isEmpty())
        query.insert(kSecAttrService, service);
    merge(&query, attributes);
    query.insert(kSecMatchLimit, QString::fromLatin1(kSecMatchLimitAll));
    query.insert(kSecReturnAttributes, true);

    QVariant result;
    const OSStatus status = KeychainBackend::shared()->copyMatching(query, &result);
    if (status != errSecSuccess) {
        Error::report(error, errorForQuery(status, query));
        return {};
    }
    QList<std::shared_ptr<KNVTGenericKeychainItem>> items;
    for (const QVariant &entry : result.toList()) {
        const QVariantMap found = entry.toMap();
        if (auto item = genericKeychainItemForService(service, found.value(kSecAttrAccount).toString(), found, error))
            items.append(item);
    }
    return items;
}

std::shared_ptr<KNVTGenericKeychainItem>
KNVTGenericKeychainItem::genericKeychainItemWithService(const QString &service, const QString &account,
                                                        const QVariantMap &attributes, const QString &password,
                                                        Error *error)
{
    QVariantMap query = classQuery();
    query.insert(kSecAttrService, service);
    query.insert(kSecAttrAccount, account);
    merge(&query, attributes);
    query.insert(kSecValueData, password.toUtf8());

    const OSStatus status = KeychainBackend::shared()->add(query);
    if (status != errSecSuccess) {
        Error::report(error, errorForQuery(status, query));
        return nullptr;
    }
    return genericKeychainItemForService(service, account, attributes, error);
}

bool KNVTGenericKeychainItem::removeFromKeychain(Error *error) const
{
    QVariantMap query = classQuery();
    if (!m_service.isEmpty())
        query.insert(kSecAttrService, m_service);
    if (!account().isEmpty())
        query.insert(kSecAttrAccount, account());
    return removeMatching(query, !m_service.isEmpty() && !account().isEmpty(), error);
}

QString KNVTGenericKeychainItem::description() const
{
    return QStringLiteral("%1 service:%2 account:%3").arg(className(), m_service, account());
}

QString KNVTGenericKeychainItem::className() const
{
    return QStringLiteral("KNVTGenericKeychainItem");
}
