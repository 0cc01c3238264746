#pragma once

#include "foundation/Error.h"
#include "foundation/KeychainBackend.h"

#include <QString>
#include <QVariant>
#include <QVariantMap>

inline constexpr char KNVTKeychainItemQueryKey[] = "KNVTKeychainItemQueryKey";

// A snapshot of one keychain entry: made by a class operation that adds or finds the entry, never changed afterwards,
// and safe to hand to another thread. Every operation talks to KeychainBackend::shared().
class KNVTKeychainItem
{
public:
    KNVTKeychainItem(const QString &account, const QVariantMap &attributes, const QString &password);
    virtual ~KNVTKeychainItem();

    // Both ignore the outcome; unlocking may ask the user for the keychain's password.
    static void lockKeychain();
    static void unlockKeychain();

    const QString &account() const { return m_account; }
    // For an item read from the keychain: every attribute the keychain returned, and the secret under "v_Data".
    const QVariantMap &attributes() const { return m_attributes; }
    // The secret as UTF-8 text; null when the stored bytes are not UTF-8.
    const QString &password() const { return m_password; }
    QVariant operator[](const QString &key) const { return m_attributes.value(key); }

    // Deletes every keychain entry matching this item. An entry whose identifying fields are not all filled in is
    // refused with errSecParam: the store would read the missing field as "any" and delete other entries too.
    virtual bool removeFromKeychain(knvt::Error *error = nullptr) const;
    virtual QString description() const;

protected:
    virtual QString className() const;

    // The error of a failed keychain call: the status, and the query without the secret, which has no place in an
    // error that may be logged or shown.
    static knvt::Error errorForQuery(knvt::OSStatus status, QVariantMap query);
    static bool removeMatching(const QVariantMap &query, bool identified, knvt::Error *error);
    // The secret bytes as text, or a null string when they are not valid UTF-8.
    static QString passwordFromData(const QByteArray &data);

private:
    QString m_account;
    QVariantMap m_attributes;
    QString m_password;
};
