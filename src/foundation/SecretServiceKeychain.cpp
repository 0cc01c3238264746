#include "foundation/SecretServiceKeychain.h"

// GLib's D-Bus headers use "signals" as a member name, which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <libsecret/secret.h>
#pragma pop_macro("signals")

#include <QStringDecoder>

#include <functional>
#include <memory>
#include <vector>

namespace knvt {

namespace {

struct GObjectUnref
{
    void operator()(gpointer object) const { g_object_unref(object); }
};
struct HashTableUnref
{
    void operator()(GHashTable *table) const { g_hash_table_unref(table); }
};
struct SecretValueUnref
{
    void operator()(SecretValue *value) const { secret_value_unref(value); }
};
struct ErrorFree
{
    void operator()(GError *error) const { g_error_free(error); }
};

template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;
using HashTablePtr = std::unique_ptr<GHashTable, HashTableUnref>;
using SecretValuePtr = std::unique_ptr<SecretValue, SecretValueUnref>;
using ErrorPtr = std::unique_ptr<GError, ErrorFree>;

const char secretsBusName[] = "org.freedesktop.secrets";
const char schemaAttribute[] = "xdg:schema";

const SecretSchema *genericSchema()
{
    static const SecretSchema schema = [] {
        SecretSchema value{};
        value.name = "com.hollowpine.GenericPassword";
        value.flags = SECRET_SCHEMA_NONE;
        value.attributes[0] = {"service", SECRET_SCHEMA_ATTRIBUTE_STRING};
        value.attributes[1] = {"account", SECRET_SCHEMA_ATTRIBUTE_STRING};
        return value;
    }();
    return &schema;
}

OSStatus statusFromError(const GError *error)
{
    if (error->domain == SECRET_ERROR) {
        switch (error->code) {
        case SECRET_ERROR_IS_LOCKED: return errSecInteractionNotAllowed;
        case SECRET_ERROR_NO_SUCH_OBJECT: return errSecItemNotFound;
        case SECRET_ERROR_ALREADY_EXISTS: return errSecDuplicateItem;
        default: return errSecNotAvailable;
        }
    }
    if (g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED))
        return errSecUserCanceled;
    if (g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_ACCESS_DENIED)
        || g_error_matches(error, G_DBUS_ERROR, G_DBUS_ERROR_AUTH_FAILED))
        return errSecAuthFailed;
    return errSecNotAvailable;
}

// Asking libsecret for the service while nobody owns its bus name would have D-Bus start a keyring daemon, which
// then wants to prompt for a password; without a display that prompt only hangs. So a missing owner is "no service".
bool secretServiceRunning()
{
    GError *rawError = nullptr;
    GObjectPtr<GDBusConnection> bus(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &rawError));
    ErrorPtr error(rawError);
    if (!bus)
        return false;
    GVariant *reply =
        g_dbus_connection_call_sync(bus.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                    "NameHasOwner", g_variant_new("(s)", secretsBusName), G_VARIANT_TYPE("(b)"),
                                    G_DBUS_CALL_FLAGS_NO_AUTO_START, 5000, nullptr, &rawError);
    error.reset(rawError);
    if (!reply)
        return false;
    gboolean owned = FALSE;
    g_variant_get(reply, "(b)", &owned);
    g_variant_unref(reply);
    return owned;
}

HashTablePtr hashTable(const QMap<QString, QString> &attributes)
{
    HashTablePtr table(g_hash_table_new_full(g_str_hash, g_str_equal, g_free, g_free));
    for (auto it = attributes.cbegin(); it != attributes.cend(); ++it)
        g_hash_table_insert(table.get(), g_strdup(it.key().toUtf8().constData()),
                            g_strdup(it.value().toUtf8().constData()));
    return table;
}

QMap<QString, QString> attributeMap(GHashTable *table)
{
    QMap<QString, QString> result;
    GHashTableIter iter;
    gpointer key = nullptr;
    gpointer value = nullptr;
    g_hash_table_iter_init(&iter, table);
    while (g_hash_table_iter_next(&iter, &key, &value))
        result.insert(QString::fromUtf8(static_cast<const char *>(key)),
                      QString::fromUtf8(static_cast<const char *>(value)));
    return result;
}

bool isValidUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    [[maybe_unused]] const QString text = decoder(bytes);
    return !decoder.hasError();
}

struct Found
{
    GObjectPtr<SecretRetrievable> item;
    QMap<QString, QString> attributes;
    QString label;
};

class Session
{
public:
    // errSecNotAvailable when no Secret Service runs or it cannot be reached.
    OSStatus open()
    {
        if (!secretServiceRunning())
            return errSecNotAvailable;
        GError *rawError = nullptr;
        m_service.reset(secret_service_get_sync(SECRET_SERVICE_OPEN_SESSION, nullptr, &rawError));
        if (!m_service) {
            ErrorPtr error(rawError);
            return error ? statusFromError(error.get()) : errSecNotAvailable;
        }
        return errSecSuccess;
    }

    SecretService *service() const { return m_service.get(); }

    // The collection behind the "default" alias; making one would need the user, so a missing one is an error.
    OSStatus defaultCollection(GObjectPtr<SecretCollection> *collection)
    {
        GError *rawError = nullptr;
        collection->reset(secret_collection_for_alias_sync(m_service.get(), SECRET_COLLECTION_DEFAULT,
                                                           SECRET_COLLECTION_NONE, nullptr, &rawError));
        ErrorPtr error(rawError);
        if (error)
            return statusFromError(error.get());
        if (!*collection)
            return errSecNoDefaultKeychain;
        return errSecSuccess;
    }

private:
    GObjectPtr<SecretService> m_service;
};

// Queries on the generic schema's own two attributes go through libsecret's password calls, which is how other
// tools see these items; anything else is searched and created with the schema attribute written by hand.
bool isPlainPasswordQuery(const KeychainBackend::Query &query)
{
    if (query.schema != QLatin1String(genericSchema()->name) || query.label)
        return false;
    for (auto it = query.attributes.cbegin(); it != query.attributes.cend(); ++it) {
        if (it.key() != QLatin1String("service") && it.key() != QLatin1String("account"))
            return false;
    }
    return true;
}

// Every item of the query's schema whose attributes match; the label, which is no attribute, is left to `accept`.
OSStatus search(const Session &session, const KeychainBackend::Query &query,
                const std::function<bool(const QMap<QString, QString> &, const QString &)> &accept,
                std::vector<Found> *found)
{
    GError *rawError = nullptr;
    GList *items = nullptr;
    if (isPlainPasswordQuery(query)) {
        HashTablePtr attributes = hashTable(query.attributes);
        items = secret_password_searchv_sync(genericSchema(), attributes.get(), SECRET_SEARCH_ALL, nullptr, &rawError);
    } else {
        QMap<QString, QString> withSchema = query.attributes;
        withSchema.insert(QLatin1String(schemaAttribute), query.schema);
        HashTablePtr attributes = hashTable(withSchema);
        items = secret_service_search_sync(session.service(), nullptr, attributes.get(), SECRET_SEARCH_ALL, nullptr,
                                           &rawError);
    }
    ErrorPtr error(rawError);
    for (GList *node = items; node; node = node->next) {
        GObjectPtr<SecretRetrievable> item(SECRET_RETRIEVABLE(node->data));
        HashTablePtr table(secret_retrievable_get_attributes(item.get()));
        gchar *rawLabel = secret_retrievable_get_label(item.get());
        Found entry{std::move(item), attributeMap(table.get()), QString::fromUtf8(rawLabel)};
        g_free(rawLabel);
        if (!error && accept(entry.attributes, entry.label))
            found->push_back(std::move(entry));
    }
    g_list_free(items);
    return error ? statusFromError(error.get()) : errSecSuccess;
}

OSStatus readSecret(SecretRetrievable *item, QByteArray *data)
{
    GError *rawError = nullptr;
    SecretValuePtr value(secret_retrievable_retrieve_secret_sync(item, nullptr, &rawError));
    ErrorPtr error(rawError);
    if (error)
        return statusFromError(error.get());
    if (!value)
        return errSecInteractionNotAllowed; // a locked item yields no secret
    gsize length = 0;
    const gchar *bytes = secret_value_get(value.get(), &length);
    *data = QByteArray(bytes, qsizetype(length));
    return errSecSuccess;
}

OSStatus lockDefaultCollection(bool unlock)
{
    Session session;
    if (const OSStatus status = session.open(); status != errSecSuccess)
        return status;
    GObjectPtr<SecretCollection> collection;
    if (const OSStatus status = session.defaultCollection(&collection); status != errSecSuccess)
        return status;

    GList objects{collection.get(), nullptr, nullptr};
    GList *changed = nullptr;
    GError *rawError = nullptr;
    const gint count = unlock ? secret_service_unlock_sync(session.service(), &objects, nullptr, &changed, &rawError)
                              : secret_service_lock_sync(session.service(), &objects, nullptr, &changed, &rawError);
    ErrorPtr error(rawError);
    g_list_free_full(changed, g_object_unref);
    if (error)
        return statusFromError(error.get());
    // A dismissed unlock prompt is no error to libsecret; it just unlocks nothing.
    if (unlock && count == 0)
        return errSecUserCanceled;
    return errSecSuccess;
}

} // namespace

OSStatus SecretServiceKeychain::add(const QVariantMap &dictionary)
{
    Query query;
    if (const OSStatus status = parseQuery(dictionary, &query); status != errSecSuccess)
        return status;
    Session session;
    if (const OSStatus status = session.open(); status != errSecSuccess)
        return status;

    // The service would silently replace an item stored under the same attributes; an existing item wins instead.
    Query identity = query;
    identity.attributes = identifyingAttributes(query);
    identity.label.reset();
    std::vector<Found> existing;
    const auto any = [](const QMap<QString, QString> &, const QString &) { return true; };
    if (const OSStatus status = search(session, identity, any, &existing); status != errSecSuccess)
        return status;
    if (!existing.empty())
        return errSecDuplicateItem;

    GObjectPtr<SecretCollection> collection;
    if (const OSStatus status = session.defaultCollection(&collection); status != errSecSuccess)
        return status;
    if (secret_collection_get_locked(collection.get()))
        return errSecInteractionNotAllowed;

    const char *contentType = isValidUtf8(query.data) ? "text/plain" : "application/octet-stream";
    SecretValuePtr value(secret_value_new(query.data.constData(), query.data.size(), contentType));
    const QByteArray label = query.label.value_or(defaultLabel(query)).toUtf8();
    GError *rawError = nullptr;
    if (isPlainPasswordQuery(query)) {
        HashTablePtr attributes = hashTable(storedAttributes(query));
        secret_password_storev_binary_sync(genericSchema(), attributes.get(), SECRET_COLLECTION_DEFAULT,
                                           label.constData(), value.get(), nullptr, &rawError);
    } else {
        QMap<QString, QString> stored = storedAttributes(query);
        stored.insert(QLatin1String(schemaAttribute), query.schema);
        HashTablePtr attributes = hashTable(stored);
        GObjectPtr<SecretItem> item(secret_item_create_sync(collection.get(), nullptr, attributes.get(),
                                                            label.constData(), value.get(), SECRET_ITEM_CREATE_NONE,
                                                            nullptr, &rawError));
    }
    ErrorPtr error(rawError);
    return error ? statusFromError(error.get()) : errSecSuccess;
}

OSStatus SecretServiceKeychain::copyMatching(const QVariantMap &dictionary, QVariant *result)
{
    Query query;
    if (const OSStatus status = parseQuery(dictionary, &query); status != errSecSuccess)
        return status;
    Session session;
    if (const OSStatus status = session.open(); status != errSecSuccess)
        return status;

    std::vector<Found> found;
    const auto accept = [&](const QMap<QString, QString> &attributes, const QString &label) {
        return matches(query, attributes, label);
    };
    if (const OSStatus status = search(session, query, accept, &found); status != errSecSuccess)
        return status;
    if (found.empty())
        return errSecItemNotFound;
    if (query.limit != 0 && found.size() > size_t(query.limit))
        found.resize(size_t(query.limit));

    QVariantList values;
    for (const Found &entry : found) {
        QByteArray data;
        if (query.returnData) {
            if (const OSStatus status = readSecret(entry.item.get(), &data); status != errSecSuccess)
                return status;
        }
        values.append(resultValue(query, entry.attributes, entry.label, data));
    }
    if (result)
        *result = resultOf(query, values);
    return errSecSuccess;
}

OSStatus SecretServiceKeychain::remove(const QVariantMap &dictionary)
{
    Query query;
    if (const OSStatus status = parseQuery(dictionary, &query); status != errSecSuccess)
        return status;
    Session session;
    if (const OSStatus status = session.open(); status != errSecSuccess)
        return status;

    std::vector<Found> found;
    const auto accept = [&](const QMap<QString, QString> &attributes, const QString &label) {
        return matches(query, attributes, label);
    };
    GError *rawError = nullptr;
    if (isPlainPasswordQuery(query)) {
        HashTablePtr attributes = hashTable(query.attributes);
        const gboolean removed = secret_password_clearv_sync(genericSchema(), attributes.get(), nullptr, &rawError);
        ErrorPtr error(rawError);
        if (error)
            return statusFromError(error.get());
        if (removed)
            return errSecSuccess;
        // The clear passes over locked items in silence; they are there, only out of reach.
        if (const OSStatus status = search(session, query, accept, &found); status != errSecSuccess)
            return status;
        return found.empty() ? errSecItemNotFound : errSecInteractionNotAllowed;
    }

    if (const OSStatus status = search(session, query, accept, &found); status != errSecSuccess)
        return status;
    if (found.empty())
        return errSecItemNotFound;
    for (const Found &entry : found) {
        secret_item_delete_sync(SECRET_ITEM(entry.item.get()), nullptr, &rawError);
        ErrorPtr error(rawError);
        rawError = nullptr;
        if (error)
            return statusFromError(error.get());
    }
    return errSecSuccess;
}

OSStatus SecretServiceKeychain::lock()
{
    return lockDefaultCollection(false);
}

OSStatus SecretServiceKeychain::unlock()
{
    return lockDefaultCollection(true);
}

} // namespace knvt
