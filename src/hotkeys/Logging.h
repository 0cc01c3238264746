#pragma once

#include <QLoggingCategory>

// The log lines of the hot keys and the shortcut recorder ("knvt.hotkeys"); every qCDebug/qCInfo/qCWarning of
// src/hotkeys uses it.
Q_DECLARE_LOGGING_CATEGORY(lcHotkeys)
