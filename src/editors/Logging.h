#pragma once

#include <QLoggingCategory>

// The editors' log lines ("knvt.editors").
Q_DECLARE_LOGGING_CATEGORY(lcEditors)
