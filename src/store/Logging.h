#pragma once

#include <QLoggingCategory>

// The log lines of the task store ("knvt.store"); every qCDebug/qCInfo/qCWarning of src/store uses it.
Q_DECLARE_LOGGING_CATEGORY(lcStore)
