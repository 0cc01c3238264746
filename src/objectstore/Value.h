#pragma once

#include "objectstore/ObjectID.h"

#include <QByteArray>
#include <QDateTime>
#include <QMap>
#include <QString>
#include <QTimeZone>

#include <variant>

namespace ostore {

// One property value as seen by callers. std::monostate is "none" (SQL NULL).
using Value = std::variant<std::monostate, qint64, bool, double, QString, QDateTime, QByteArray, ObjectID>;
using ValueMap = QMap<QString, Value>;

inline bool isNone(const Value &v)
{
    return std::holds_alternative<std::monostate>(v);
}

} // namespace ostore
