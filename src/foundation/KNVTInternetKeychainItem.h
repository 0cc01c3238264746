#pragma once

#include "foundation/KNVTKeychainItem.h"

#include <QList>

#include <memory>

// An internet-password entry. `protocol` and `authenticationType` are the keychain's constants (kSecAttrProtocolHTTPS,
// kSecAttrAuthenticationTypeDefault, ...); an entry read back without them gives empty texts.
class KNVTInternetKeychainItem : public KNVTKeychainItem
{
public:
    KNVTInternetKeychainItem(const QString &server, const QString &securityDomain, const QString &account,
                             const QString &path, quint32 port, const QString &protocol,
                             const QString &authenticationType, const QVariantMap &attributes, const QString &password);

    // Empty texts, port 0 and empty constants are left out of the search and so match any value.
    static std::shared_ptr<KNVTInternetKeychainItem>
    internetKeychainItemForServer(const QString &server, const QString &securityDomain, const QString &account,
                                  const QString &path, quint32 port, const QString &protocol,
                                  const QString &authenticationType, const QVariantMap &attributes,
                                  knvt::Error *error = nullptr);
    static QList<std::shared_ptr<KNVTInternetKeychainItem>>
    internetKeychainItemsForServer(const QString &server, const QString &securityDomain, const QString &path,
                                   quint32 port, const QString &protocol, const QString &authenticationType,
                                   const QVariantMap &attributes, knvt::Error *error = nullptr);
    static std::shared_ptr<KNVTInternetKeychainItem>
    internetKeychainItemWithServer(const QString &server, const QString &securityDomain, const QString &account,
                                   const QString &path, quint32 port, const QString &protocol,
                                   const QString &authenticationType, const QVariantMap &attributes,
                                   const QString &password, knvt::Error *error = nullptr);

    const QString &server() const { return m_server; }
    const QString &securityDomain() const { return m_securityDomain; }
    const QString &path() const { return m_path; }
    quint32 port() const { return m_port; }
    const QString &protocol() const { return m_protocol; }
    const QString &authenticationType() const { return m_authenticationType; }

    bool removeFromKeychain(knvt::Error *error = nullptr) const override;
    QString description() const override;

protected:
    QString className() const override;

private:
    QString m_server;
    QString m_securityDomain;
    QString m_path;
    quint32 m_port;
    QString m_protocol;
    QString m_authenticationType;
};
