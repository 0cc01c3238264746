#include "hotkeys/Logging.h"

Q_LOGGING_CATEGORY(lcHotkeys, "knvt.hotkeys", QtWarningMsg)
