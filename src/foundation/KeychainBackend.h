#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QVariant>
#include <QVariantList>
#include <QVariantMap>

#include <cstdint>
#include <memory>
#include <optional>

namespace knvt {

// Keychain status codes keep the numbers of the platform the keychain items were designed for, so that errors read the
// same everywhere above the backend.
using OSStatus = std::int32_t;
inline constexpr OSStatus errSecSuccess = 0;
inline constexpr OSStatus errSecUserCanceled = -128;
inline constexpr OSStatus errSecParam = -50;
inline constexpr OSStatus errSecNotAvailable = -25291;
inline constexpr OSStatus errSecAuthFailed = -25293;
inline constexpr OSStatus errSecDuplicateItem = -25299;
inline constexpr OSStatus errSecItemNotFound = -25300;
inline constexpr OSStatus errSecNoDefaultKeychain = -25307;
inline constexpr OSStatus errSecInteractionNotAllowed = -25308;

// Query dictionary keys and values, under the texts of the Security framework.
inline constexpr char kSecClass[] = "class";
inline constexpr char kSecClassGenericPassword[] = "genp";
inline constexpr char kSecClassInternetPassword[] = "inet";
inline constexpr char kSecAttrLabel[] = "labl";
inline constexpr char kSecAttrService[] = "svce";
inline constexpr char kSecAttrAccount[] = "acct";
inline constexpr char kSecAttrServer[] = "srvr";
inline constexpr char kSecAttrSecurityDomain[] = "sdmn";
inline constexpr char kSecAttrPath[] = "path";
inline constexpr char kSecAttrPort[] = "port";
inline constexpr char kSecAttrProtocol[] = "ptcl";
inline constexpr char kSecAttrAuthenticationType[] = "atyp";
inline constexpr char kSecMatchLimit[] = "m_Limit";
inline constexpr char kSecMatchLimitOne[] = "m_LimitOne";
inline constexpr char kSecMatchLimitAll[] = "m_LimitAll";
inline constexpr char kSecReturnAttributes[] = "r_Attributes";
inline constexpr char kSecReturnData[] = "r_Data";
inline constexpr char kSecValueData[] = "v_Data";

inline constexpr char kSecAttrProtocolHTTP[] = "http";
inline constexpr char kSecAttrProtocolHTTPS[] = "htps";
inline constexpr char kSecAttrAuthenticationTypeDefault[] = "dflt";
inline constexpr char kSecAttrAuthenticationTypeHTTPBasic[] = "http";
inline constexpr char kSecAttrAuthenticationTypeHTMLForm[] = "form";

// The secure store under the keychain items: add, copy-matching and delete over a query dictionary, and locking of the
// default store, each answering a status code.
//
// Every query names its item class. Attribute entries match by equal value (numbers and texts compare as text, as
// the store keeps them); an attribute the query leaves out matches anything. The label ("labl") is matched too but
// is not a stored attribute. A successful copy-matching fills `result` with one value, or with a list of them when
// the match limit is not one: the attribute dictionary (with the secret under "v_Data" when data was asked for as
// well), or only the secret data. Adding an item whose identifying attributes are taken fails with
// errSecDuplicateItem and keeps the old item; nothing found is errSecItemNotFound.
class KeychainBackend
{
public:
    virtual ~KeychainBackend();

    virtual OSStatus add(const QVariantMap &query) = 0;
    virtual OSStatus copyMatching(const QVariantMap &query, QVariant *result) = 0;
    virtual OSStatus remove(const QVariantMap &query) = 0;
    virtual OSStatus lock() = 0;
    // May ask the user for the store's password.
    virtual OSStatus unlock() = 0;

    // What a status means, as a short clause that can follow "...: " in a sentence shown to the user.
    static QString statusDescription(OSStatus status);

    // The backend of every keychain item; a SecretServiceKeychain unless one was installed. Installing nullptr goes
    // back to that default.
    static std::shared_ptr<KeychainBackend> shared();
    static void setShared(std::shared_ptr<KeychainBackend> backend);

    // A query read into the terms of a Secret Service: a schema name, text attributes under the schema's attribute
    // names (without "xdg:schema"), an optional label, the secret and the search entries.
    struct Query
    {
        QString itemClass;
        QString schema;
        QMap<QString, QString> attributes;
        std::optional<QString> label;
        QByteArray data;
        int limit = 1; // 0 stands for no limit
        bool returnAttributes = false;
        bool returnData = false;
    };

protected:
    // errSecParam for a missing or unknown class, an unknown search entry or a value that cannot be stored as text.
    static OSStatus parseQuery(const QVariantMap &dictionary, Query *query);
    static QString schemaName(const QString &itemClass);
    // The attributes that make an item unique within its class, as the store keeps them: those of `query`, and an
    // empty text (or port 0) for each one the query leaves out.
    static QMap<QString, QString> identifyingAttributes(const Query &query);
    // What is stored for a new item: the identifying attributes with their defaults, then the query's other ones.
    static QMap<QString, QString> storedAttributes(const Query &query);
    // The label of a new item when the query gives none.
    static QString defaultLabel(const Query &query);
    // True when every attribute of `query` (and its label, if any) is among the stored ones.
    static bool matches(const Query &query, const QMap<QString, QString> &attributes, const QString &label);
    // One found item as copy-matching hands it back; `data` is read only when the query asks for it.
    static QVariant resultValue(const Query &query, const QMap<QString, QString> &attributes, const QString &label,
                                const QByteArray &data);
    static QVariant resultOf(const Query &query, const QVariantList &values);
};

} // namespace knvt
