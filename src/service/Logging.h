#pragma once

#include <QLoggingCategory>

// The log lines of the sync service requests and transport ("knvt.service"); every qCDebug/qCInfo/qCWarning of src/service uses it.
Q_DECLARE_LOGGING_CATEGORY(lcService)
