#include "support/InMemoryKeychain.h"

#include <QMutexLocker>

#include <algorithm>

namespace knvt {

bool InMemoryKeychain::entryMatches(const Query &query, const Entry &entry) const
{
    return entry.schema == query.schema && KeychainBackend::matches(query, entry.attributes, entry.label);
}

OSStatus InMemoryKeychain::add(const QVariantMap &dictionary)
{
    Query query;
    if (const OSStatus status = parseQuery(dictionary, &query); status != errSecSuccess)
        return status;

    QMutexLocker locker(&m_mutex);
    // As the Secret Service one: the attributes of a locked keyring are still searched, so an item in the way is
    // found before the lock is.
    Query identity = query;
    identity.attributes = identifyingAttributes(query);
    identity.label.reset();
    if (std::any_of(m_entries.cbegin(), m_entries.cend(),
                    [&](const Entry &entry) { return entryMatches(identity, entry); }))
        return errSecDuplicateItem;
    if (m_locked)
        return errSecInteractionNotAllowed;
    m_entries.append({query.schema, storedAttributes(query), query.label.value_or(defaultLabel(query)), query.data});
    return errSecSuccess;
}

OSStatus InMemoryKeychain::copyMatching(const QVariantMap &dictionary, QVariant *result)
{
    Query query;
    if (const OSStatus status = parseQuery(dictionary, &query); status != errSecSuccess)
        return status;

    QMutexLocker locker(&m_mutex);
    QVariantList values;
    for (const Entry &entry : std::as_const(m_entries)) {
        if (!entryMatches(query, entry))
            continue;
        if (query.returnData && m_locked)
            return errSecInteractionNotAllowed;
        values.append(resultValue(query, entry.attributes, entry.label, entry.data));
        if (query.limit != 0 && values.size() == query.limit)
            break;
    }
    if (values.isEmpty())
        return errSecItemNotFound;
    if (result)
        *result = resultOf(query, values);
    return errSecSuccess;
}

OSStatus InMemoryKeychain::remove(const QVariantMap &dictionary)
{
    Query query;
    if (const OSStatus status = parseQuery(dictionary, &query); status != errSecSuccess)
        return status;

    QMutexLocker locker(&m_mutex);
    const auto matching = [&](const Entry &entry) { return entryMatches(query, entry); };
    if (std::none_of(m_entries.cbegin(), m_entries.cend(), matching))
        return errSecItemNotFound;
    if (m_locked)
        return errSecInteractionNotAllowed;
    m_entries.removeIf(matching);
    return errSecSuccess;
}

OSStatus InMemoryKeychain::lock()
{
    QMutexLocker locker(&m_mutex);
    m_locked = true;
    return errSecSuccess;
}

OSStatus InMemoryKeychain::unlock()
{
    QMutexLocker locker(&m_mutex);
    m_locked = false;
    return errSecSuccess;
}

} // namespace knvt
