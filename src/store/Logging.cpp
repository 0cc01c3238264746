#include "store/Logging.h"

Q_LOGGING_CATEGORY(lcStore, "knvt.store", QtWarningMsg)
