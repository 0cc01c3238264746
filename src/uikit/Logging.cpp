#include "uikit/Logging.h"

Q_LOGGING_CATEGORY(lcUikit, "knvt.uikit", QtWarningMsg)
