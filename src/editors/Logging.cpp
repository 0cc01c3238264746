#include "editors/Logging.h"

Q_LOGGING_CATEGORY(lcEditors, "knvt.editors", QtWarningMsg)
