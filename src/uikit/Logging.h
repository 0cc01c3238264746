#pragma once

#include <QLoggingCategory>

// The log lines of the interface kit ("knvt.uikit"); every qCDebug/qCInfo/qCWarning of src/uikit uses it.
Q_DECLARE_LOGGING_CATEGORY(lcUikit)
