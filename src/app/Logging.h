#pragma once

#include <QLoggingCategory>

// The log lines of the application shell ("knvt.app"); every qCDebug/qCInfo/qCWarning of src/app uses it.
Q_DECLARE_LOGGING_CATEGORY(lcApp)
