#pragma once

#include "foundation/KeychainBackend.h"

#include <QList>
#include <QMutex>

namespace knvt {

// A keychain held in memory that answers like the Secret Service one: the same matching, the same refusal to add an
// item whose identifying attributes are taken, and the same status codes. While locked it still lists attributes
// but hands out no secrets, stores nothing and deletes nothing. Safe to use from several threads.
class InMemoryKeychain : public KeychainBackend
{
public:
    OSStatus add(const QVariantMap &query) override;
    OSStatus copyMatching(const QVariantMap &query, QVariant *result) override;
    OSStatus remove(const QVariantMap &query) override;
    OSStatus lock() override;
    OSStatus unlock() override;

private:
    struct Entry
    {
        QString schema;
        QMap<QString, QString> attributes;
        QString label;
        QByteArray data;
    };

    bool entryMatches(const Query &query, const Entry &entry) const;

    mutable QMutex m_mutex;
    QList<Entry> m_entries;
    bool m_locked = false;
};

} // namespace knvt
