#include "foundation/KeychainBackend.h"

#include "foundation/SecretServiceKeychain.h"

#include <QCoreApplication>
#include <QMutex>
#include <QMutexLocker>
#include <QStringDecoder>

#include <array>
#include <utility>

namespace knvt {

namespace {

struct AttributeName
{
    const char *key;   // the Security key text used in queries
    const char *name;  // the attribute name kept by the Secret Service
    const char *empty; // what an item stores when it was added without the attribute
};

// The identifying attributes of each class; for the generic class they are the two string attributes of the
// "com.hollowpine.GenericPassword" schema that other tools (secret-tool) search by.
constexpr std::array<AttributeName, 2> genericAttributes{{
    {kSecAttrService, "service", ""},
    {kSecAttrAccount, "account", ""},
}};
constexpr std::array<AttributeName, 7> internetAttributes{{
    {kSecAttrServer, "server", ""},
    {kSecAttrSecurityDomain, "domain", ""},
    {kSecAttrAccount, "account", ""},
    {kSecAttrPath, "path", ""},
    {kSecAttrPort, "port", "0"},
    {kSecAttrProtocol, "protocol", ""},
    {kSecAttrAuthenticationType, "authtype", ""},
}};

constexpr char schemaAttribute[] = "xdg:schema";

template <typename Fn>
void forEachIdentifying(const QString &itemClass, Fn &&fn)
{
    if (itemClass == QLatin1String(kSecClassGenericPassword)) {
        for (const AttributeName &attribute : genericAttributes)
            fn(attribute);
    } else {
        for (const AttributeName &attribute : internetAttributes)
            fn(attribute);
    }
}

const AttributeName *byKey(const QString &itemClass, const QString &key)
{
    const AttributeName *found = nullptr;
    forEachIdentifying(itemClass, [&](const AttributeName &attribute) {
        if (key == QLatin1String(attribute.key))
            found = &attribute;
    });
    return found;
}

const AttributeName *byName(const QString &itemClass, const QString &name)
{
    const AttributeName *found = nullptr;
    forEachIdentifying(itemClass, [&](const AttributeName &attribute) {
        if (name == QLatin1String(attribute.name))
            found = &attribute;
    });
    return found;
}

std::optional<QString> strictUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

// A Secret Service keeps attributes as text; numbers and flags are written the way they are read back.
std::optional<QString> attributeText(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QString: return value.toString();
    case QMetaType::QByteArray: return strictUtf8(value.toByteArray());
    case QMetaType::Bool: return QString::number(value.toBool() ? 1 : 0);
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort: return QString::number(value.toLongLong());
    case QMetaType::ULongLong: return QString::number(value.toULongLong());
    default: return std::nullopt;
    }
}

bool isSearchOrValueKey(const QString &key)
{
    return key.startsWith(QLatin1String("m_")) || key.startsWith(QLatin1String("r_"))
        || key.startsWith(QLatin1String("v_")) || key.startsWith(QLatin1String("u_"));
}

QMutex sharedMutex;
std::shared_ptr<KeychainBackend> sharedBackend;

} // namespace

KeychainBackend::~KeychainBackend() = default;

std::shared_ptr<KeychainBackend> KeychainBackend::shared()
{
    QMutexLocker locker(&sharedMutex);
    if (!sharedBackend)
        sharedBackend = std::make_shared<SecretServiceKeychain>();
    return sharedBackend;
}

void KeychainBackend::setShared(std::shared_ptr<KeychainBackend> backend)
{
    QMutexLocker locker(&sharedMutex);
    sharedBackend = std::move(backend);
}

QString KeychainBackend::statusDescription(OSStatus status)
{
    const auto text = [](const char *english) { return QCoreApplication::translate("KeychainBackend", english); };
    switch (status) {
    case errSecSuccess: return text("no error");
    case errSecNotAvailable: return text("no Secret Service (keyring) is available");
    case errSecInteractionNotAllowed: return text("the keyring is locked");
    case errSecNoDefaultKeychain: return text("there is no default keyring");
    case errSecAuthFailed: return text("the keyring refused access");
    case errSecUserCanceled: return text("the request was cancelled");
    case errSecDuplicateItem: return text("the keyring already holds an item for this account");
    case errSecItemNotFound: return text("the keyring holds no such item");
    case errSecParam: return text("the item could not be described to the keyring");
    default: return QCoreApplication::translate("KeychainBackend", "the keyring failed with status %1").arg(status);
    }
}

QString KeychainBackend::schemaName(const QString &itemClass)
{
    if (itemClass == QLatin1String(kSecClassGenericPassword))
        return QStringLiteral("com.hollowpine.GenericPassword");
    if (itemClass == QLatin1String(kSecClassInternetPassword))
        return QStringLiteral("com.hollowpine.InternetPassword");
    return {};
}

OSStatus KeychainBackend::parseQuery(const QVariantMap &dictionary, Query *query)
{
    *query = Query();
    query->itemClass = dictionary.value(QLatin1String(kSecClass)).toString();
    query->schema = schemaName(query->itemClass);
    if (query->schema.isEmpty())
        return errSecParam;

    for (auto it = dictionary.cbegin(); it != dictionary.cend(); ++it) {
        const QString &key = it.key();
        const QVariant &value = it.value();
        if (key == QLatin1String(kSecClass))
            continue;
        if (key == QLatin1String(kSecMatchLimit)) {
            const QString text = value.toString();
            bool isNumber = false;
            const int count = value.toInt(&isNumber);
            if (text == QLatin1String(kSecMatchLimitOne))
                query->limit = 1;
            else if (text == QLatin1String(kSecMatchLimitAll))
                query->limit = 0;
            else if (isNumber && count > 0)
                query->limit = count;
            else
                return errSecParam;
        } else if (key == QLatin1String(kSecReturnAttributes)) {
            query->returnAttributes = value.toBool();
        } else if (key == QLatin1String(kSecReturnData)) {
            query->returnData = value.toBool();
        } else if (key == QLatin1String(kSecValueData)) {
            query->data = value.typeId() == QMetaType::QString ? value.toString().toUtf8() : value.toByteArray();
        } else if (isSearchOrValueKey(key)) {
            return errSecParam;
        } else if (key == QLatin1String(kSecAttrLabel)) {
            const std::optional<QString> text = attributeText(value);
            if (!text)
                return errSecParam;
            query->label = *text;
        } else if (const AttributeName *known = byKey(query->itemClass, key)) {
            const std::optional<QString> text = attributeText(value);
            if (!text)
                return errSecParam;
            if (key == QLatin1String(kSecAttrPort)) {
                bool isNumber = false;
                const qulonglong port = text->toULongLong(&isNumber);
                if (!isNumber)
                    return errSecParam;
                query->attributes.insert(QLatin1String(known->name), QString::number(port));
            } else {
                query->attributes.insert(QLatin1String(known->name), *text);
            }
        } else {
            // Any other attribute is kept under its own key text; it must not pose as one of the schema's names.
            if (byName(query->itemClass, key) || key == QLatin1String(schemaAttribute))
                return errSecParam;
            const std::optional<QString> text = attributeText(value);
            if (!text)
                return errSecParam;
            query->attributes.insert(key, *text);
        }
    }
    return errSecSuccess;
}

QMap<QString, QString> KeychainBackend::identifyingAttributes(const Query &query)
{
    QMap<QString, QString> result;
    forEachIdentifying(query.itemClass, [&](const AttributeName &attribute) {
        const QString name = QLatin1String(attribute.name);
        result.insert(name, query.attributes.value(name, QLatin1String(attribute.empty)));
    });
    return result;
}

QMap<QString, QString> KeychainBackend::storedAttributes(const Query &query)
{
    QMap<QString, QString> result = query.attributes;
    result.insert(identifyingAttributes(query));
    return result;
}

QString KeychainBackend::defaultLabel(const Query &query)
{
    const QString primary =
        query.attributes.value(query.itemClass == QLatin1String(kSecClassGenericPassword) ? QStringLiteral("service")
                                                                                          : QStringLiteral("server"));
    return primary.isEmpty() ? query.attributes.value(QStringLiteral("account")) : primary;
}

bool KeychainBackend::matches(const Query &query, const QMap<QString, QString> &attributes, const QString &label)
{
    if (query.label && *query.label != label)
        return false;
    for (auto it = query.attributes.cbegin(); it != query.attributes.cend(); ++it) {
        const auto stored = attributes.constFind(it.key());
        if (stored == attributes.cend() || *stored != it.value())
            return false;
    }
    return true;
}

QVariant KeychainBackend::resultValue(const Query &query, const QMap<QString, QString> &attributes,
                                      const QString &label, const QByteArray &data)
{
    if (!query.returnAttributes)
        return query.returnData ? QVariant(data) : QVariant();

    QVariantMap dictionary;
    dictionary.insert(QLatin1String(kSecClass), query.itemClass);
    dictionary.insert(QLatin1String(kSecAttrLabel), label);
    for (auto it = attributes.cbegin(); it != attributes.cend(); ++it) {
        if (it.key() == QLatin1String(schemaAttribute))
            continue;
        if (const AttributeName *known = byName(query.itemClass, it.key())) {
            if (it.key() == QLatin1String("port"))
                dictionary.insert(QLatin1String(known->key), it.value().toLongLong());
            else
                dictionary.insert(QLatin1String(known->key), it.value());
        } else {
            dictionary.insert(it.key(), it.value());
        }
    }
    if (query.returnData)
        dictionary.insert(QLatin1String(kSecValueData), data);
    return dictionary;
}

QVariant KeychainBackend::resultOf(const Query &query, const QVariantList &values)
{
    if (!query.returnAttributes && !query.returnData)
        return {};
    if (query.limit == 1)
        return values.value(0);
    return values;
}

} // namespace knvt
