#include "foundation/KNVTInternetKeychainItem.h"

// The keychain vocabulary (query keys, classes, status codes) is the backend's, in namespace knvt.
using namespace knvt;

namespace {

enum class PortRule { WhenNonZero, Always };

// The class and the identifying fields, each under its rule: texts when non-empty, the constants when given.
QVariantMap identifyingQuery(const QString &server, const QString &securityDomain, const QString &account,
                             const QString &path, quint32 port, PortRule portRule, const QString &protocol,
                             const QString &authenticationType)
{
    QVariantMap query{{kSecClass, QString::fromLatin1(kSecClassInternetPassword)}};
    const auto insertText = [&](const char *key, const QString &value) {
        if (!value.isEmpty())
            query.insert(key, value);
    };
    insertText(kSecAttrServer, server);
    insertText(kSecAttrSecurityDomain, securityDomain);
    insertText(kSecAttrAccount, account);
    insertText(kSecAttrPath, path);
    if (port != 0 || portRule == PortRule::Always)
        query.insert(kSecAttrPort, port);
    insertText(kSecAttrProtocol, protocol);
    insertText(kSecAttrAuthenticationType, authenticationType);
    return query;
}

void merge(QVariantMap *query, const QVariantMap &attributes)
{
    for (auto it = attributes.cbegin(); it != attributes.cend(); ++it)
        query->insert(it.key(), it.value());
}

} // namespace

KNVTInternetKeychainItem::KNVTInternetKeychainItem(const QString &server, const QString &securityDomain,
                                                   const QString &account, const QString &path, quint32 port,
                                                   const QString &protocol, const QString &authenticationType,
                                                   const QVariantMap &attributes, const QString &password)
    : KNVTKeychainItem(account, attributes, password),
      m_server(server),
      m_securityDomain(securityDomain),
      m_path(path),
      m_port(port),
      m_protocol(protocol),
      m_authenticationType(authenticationType)
{}

std::shared_ptr<KNVTInternetKeychainItem> KNVTInternetKeychainItem::internetKeychainItemForServer(
    const QString &server, const QString &securityDomain, const QString &account, const QString &path, quint32 port,
    const QString &protocol, const QString &authenticationType, const QVariantMap &attributes, Error *error)
{
    QVariantMap query = identifyingQuery(server, securityDomain, account, path, port, PortRule::WhenNonZero, protocol,
                                         authenticationType);
    merge(&query, attributes);
    query.insert(kSecReturnAttributes, true);
    query.insert(kSecReturnData, true);

    QVariant result;
    const OSStatus status = KeychainBackend::shared()->copyMatching(query, &result);
    if (status != errSecSuccess) {
        Error::report(error, errorForQuery(status, query));
        return nullptr;
    }
    const QVariantMap found = result.toMap();
    return std::make_shared<KNVTInternetKeychainItem>(
        found.value(kSecAttrServer).toString(), found.value(kSecAttrSecurityDomain).toString(),
        found.value(kSecAttrAccount).toString(), found.value(kSecAttrPath).toString(),
        found.value(kSecAttrPort).toUInt(), found.value(kSecAttrProtocol).toString(),
        found.value(kSecAttrAuthenticationType).toString(), found,
        passwordFromData(found.value(kSecValueData).toByteArray()));
}

QList<std::shared_ptr<KNVTInternetKeychainItem>> KNVTInternetKeychainItem::internetKeychainItemsForServer(
    const QString &server, const QString &securityDomain, const QString &path, quint32 port, const QString &protocol,
    const QString &authenticationType, const QVariantMap &attributes, Error *error)
{
    QVariantMap query = identifyingQuery(server, securityDomain, QString(), path, port, PortRule::WhenNonZero, protocol,
                                         authenticationType);
    merge(&query, attributes);
    query.insert(kSecMatchLimit, QString::fromLatin1(kSecMatchLimitAll));
    query.insert(kSecReturnAttributes, true);

    QVariant result;
    const OSStatus status = KeychainBackend::shared()->copyMatching(query, &result);
    if (status != errSecSuccess) {
        Error::report(error, errorForQuery(status, query));
        return {};
    }
    QList<std::shared_ptr<KNVTInternetKeychainItem>> items;
    for (const QVariant &entry : result.toList()) {
        const QVariantMap found = entry.toMap();
        auto item = internetKeychainItemForServer(
            found.value(kSecAttrServer).toString(), found.value(kSecAttrSecurityDomain).toString(),
            found.value(kSecAttrAccount).toString(), found.value(kSecAttrPath).toString(),
            found.value(kSecAttrPort).toUInt(), found.value(kSecAttrProtocol).toString(),
            found.value(kSecAttrAuthenticationType).toString(), found, error);
        if (item)
            items.append(item);
    }
    return items;
}

std::shared_ptr<KNVTInternetKeychainItem> KNVTInternetKeychainItem::internetKeychainItemWithServer(
    const QString &server, const QString &securityDomain, const QString &account, const QString &path, quint32 port,
    const QString &protocol, const QString &authenticationType, const QVariantMap &attributes, const QString &password,
    Error *error)
{
    QVariantMap query = identifyingQuery(server, securityDomain, account, path, port, PortRule::WhenNonZero, protocol,
                                         authenticationType);
    merge(&query, attributes);
    query.insert(kSecValueData, password.toUtf8());

    const OSStatus status = KeychainBackend::shared()->add(query);
    if (status != errSecSuccess) {
        Error::report(error, errorForQuery(status, query));
        return nullptr;
    }
    return internetKeychainItemForServer(server, securityDomain, account, path, port, protocol, authenticationType,
                                         attributes, error);
}

bool KNVTInternetKeychainItem::removeFromKeychain(Error *error) const
{
    const QVariantMap query = identifyingQuery(m_server, m_securityDomain, account(), m_path, m_port, PortRule::Always,
                                               m_protocol, m_authenticationType);
    return removeMatching(query, !m_server.isEmpty() && !account().isEmpty(), error);
}

QString KNVTInternetKeychainItem::description() const
{
    return QStringLiteral("%1 server:%2 securityDomain:%3 account:%4 path:%5 port:%6")
        .arg(className(), m_server, m_securityDomain, account(), m_path, QString::number(m_port));
}

QString KNVTInternetKeychainItem::className() const
{
    return QStringLiteral("KNVTInternetKeychainItem");
}
