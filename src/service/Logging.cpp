#include "service/Logging.h"

Q_LOGGING_CATEGORY(lcService, "knvt.service", QtWarningMsg)
