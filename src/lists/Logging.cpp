#include "lists/Logging.h"

Q_LOGGING_CATEGORY(lcLists, "knvt.lists", QtWarningMsg)
