#include "foundation/KNVTKeychainItem.h"

#include <QStringDecoder>

// The keychain vocabulary (query keys, classes, status codes) is the backend's, in namespace knvt.
using namespace knvt;

KNVTKeychainItem::KNVTKeychainItem(const QString &account, const QVariantMap &attributes, const QString &password)
    : m_account(account), m_attributes(attributes), m_password(password)
{}

KNVTKeychainItem::~KNVTKeychainItem() = default;

void KNVTKeychainItem::lockKeychain()
{
    KeychainBackend::shared()->lock();
}

void KNVTKeychainItem::unlockKeychain()
{
    KeychainBackend::shared()->unlock();
}

bool KNVTKeychainItem::removeFromKeychain(Error *error) const
{
    const QVariantMap query{{kSecClass, QString::fromLatin1(kSecClassGenericPassword)}, {kSecAttrAccount, m_account}};
    return removeMatching(query, !m_account.isEmpty(), error);
}

QString KNVTKeychainItem::description() const
{
    return QStringLiteral("%1 account:%2").arg(className(), m_account);
}

QString KNVTKeychainItem::className() const
{
    return QStringLiteral("KNVTKeychainItem");
}

Error KNVTKeychainItem::errorForQuery(OSStatus status, QVariantMap query)
{
    query.remove(QLatin1String(kSecValueData));
    return Error(QLatin1String(NSOSStatusErrorDomain), status, {{KNVTKeychainItemQueryKey, query}});
}

bool KNVTKeychainItem::removeMatching(const QVariantMap &query, bool identified, Error *error)
{
    const OSStatus status = identified ? KeychainBackend::shared()->remove(query) : errSecParam;
    if (status != errSecSuccess) {
        Error::report(error, errorForQuery(status, query));
        return false;
    }
    return true;
}

QString KNVTKeychainItem::passwordFromData(const QByteArray &data)
{
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder(data);
    if (decoder.hasError())
        return {};
    // An empty secret is still a password, unlike undecodable bytes.
    return text.isNull() ? QStringLiteral("") : text;
}
