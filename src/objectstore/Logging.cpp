#include "objectstore/Logging.h"

Q_LOGGING_CATEGORY(lcObjectStore, "knvt.objectstore", QtWarningMsg)
