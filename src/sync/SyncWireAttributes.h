#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

namespace ostore {
class Object;
}

// The entities' wire mapping reached through one base pointer: each entity declares attributesForKeys() on its own
// class, and the sync needs it for objects of any of them.
namespace knvt {

// The wire attributes of `keys` for any synced entity; empty for an entity without a push mapping.
QJsonObject syncWireAttributesForKeys(const ostore::Object &object, const QStringList &keys);

// Per key, the wire attributes of that key alone; keys without a wire form are left out.
QVariantMap syncWireAttributesByKey(const ostore::Object &object, const QStringList &keys);

// Whether the wire form of `key` is still `sent` (a value recorded by syncWireAttributesByKey()).
bool syncWireAttributesUnchanged(const ostore::Object &object, const QString &key, const QVariant &sent);

} // namespace knvt
