#include "sync/Logging.h"

Q_LOGGING_CATEGORY(lcSync, "knvt.sync", QtWarningMsg)
