#pragma once

#include <QLoggingCategory>

// The log lines of the object store engine ("knvt.objectstore"); every qCDebug/qCInfo/qCWarning of src/objectstore uses it.
Q_DECLARE_LOGGING_CATEGORY(lcObjectStore)
