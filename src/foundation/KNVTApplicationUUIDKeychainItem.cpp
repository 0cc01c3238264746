#include "foundation/KNVTApplicationUUIDKeychainItem.h"

#include <QUuid>

// The keychain vocabulary (query keys, classes, status codes) is the backend's, in namespace knvt.
using namespace knvt;

namespace {

const QString &uuidService()
{
    static const QString service = QStringLiteral("com.hollowpine.opensource.keychain.uuid.application");
    return service;
}

const QString &uuidAccount()
{
    static const QString account = QStringLiteral(KNVT_APP_ID);
    return account;
}

} // namespace

KNVTApplicationUUIDKeychainItem::KNVTApplicationUUIDKeychainItem(const KNVTGenericKeychainItem &item)
    : KNVTGenericKeychainItem(item.service(), item.account(), item.attributes(), item.password())
{}

std::shared_ptr<KNVTApplicationUUIDKeychainItem>
KNVTApplicationUUIDKeychainItem::from(const std::shared_ptr<KNVTGenericKeychainItem> &item)
{
    if (!item)
        return nullptr;
    return std::shared_ptr<KNVTApplicationUUIDKeychainItem>(new KNVTApplicationUUIDKeychainItem(*item));
}

std::shared_ptr<KNVTApplicationUUIDKeychainItem> KNVTApplicationUUIDKeychainItem::applicationUUIDKeychainItem()
{
    return from(genericKeychainItemForService(uuidService(), uuidAccount(), {}));
}

std::shared_ptr<KNVTApplicationUUIDKeychainItem> KNVTApplicationUUIDKeychainItem::generateApplicationUUIDKeychainItem()
{
    const QString uuid = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
    return from(genericKeychainItemWithService(uuidService(), uuidAccount(), {}, uuid));
}

QString KNVTApplicationUUIDKeychainItem::applicationUUID()
{
    auto item = applicationUUIDKeychainItem();
    if (!item)
        item = generateApplicationUUIDKeychainItem();
    return item ? item->UUID() : QString();
}

QString KNVTApplicationUUIDKeychainItem::description() const
{
    return QStringLiteral("%1 service:%2 account:%3 uuid:%4").arg(className(), service(), account(), UUID());
}

QString KNVTApplicationUUIDKeychainItem::className() const
{
    return QStringLiteral("KNVTApplicationUUIDKeychainItem");
}
