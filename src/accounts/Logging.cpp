#include "accounts/Logging.h"

Q_LOGGING_CATEGORY(lcAccounts, "knvt.accounts", QtWarningMsg)
