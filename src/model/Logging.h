#pragma once

#include <QLoggingCategory>

// The log lines of the task store entities ("knvt.model"); every qCDebug/qCInfo/qCWarning of src/model uses it.
Q_DECLARE_LOGGING_CATEGORY(lcModel)
