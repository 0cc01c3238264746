#pragma once

#include <QtGlobal>

#include <memory_resource>
#include <vector>

namespace ostore {

class Object;

// Index of an entity in its model; stable for the life of the model.
using EntityId = quint16;
inline constexpr EntityId kNoEntity = 0xFFFF;

// Stored kinds of a property. ToOne columns hold the target's Z_ID.
enum class Type : quint8 { Int64, Bool, Double, String, Date, Blob, ToOne };

// What happens to the rows that point at a removed target.
enum class OnTargetDelete : quint8 { Nullify, Cascade };

enum class ChangeOrigin { Merge, External };

enum class Mutation { Insert, Remove };

enum class Fold { None, CaseDiacritic };

enum class Collation { Binary, Localized };

// The unsaved objects a context indexes under one value (see Context::EntityState).
using PendingObjects = std::pmr::vector<Object *>;

} // namespace ostore
