#pragma once

#include <QLoggingCategory>

// The log lines of the general-purpose library ("knvt.foundation"); every qCDebug/qCInfo/qCWarning of src/foundation uses it.
Q_DECLARE_LOGGING_CATEGORY(lcFoundation)
