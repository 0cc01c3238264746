#pragma once

#include <QLoggingCategory>

// The log lines of sync sessions and the coordinator ("knvt.sync"); every qCDebug/qCInfo/qCWarning of src/sync uses it.
Q_DECLARE_LOGGING_CATEGORY(lcSync)
