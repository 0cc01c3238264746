#pragma once

#include <QLoggingCategory>

// The task store's log lines ("knvt.store").
Q_DECLARE_LOGGING_CATEGORY(lcTaskStore)
