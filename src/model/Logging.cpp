#include "model/Logging.h"

Q_LOGGING_CATEGORY(lcModel, "knvt.model", QtWarningMsg)
