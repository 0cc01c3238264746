#include "foundation/Logging.h"

Q_LOGGING_CATEGORY(lcFoundation, "knvt.foundation", QtWarningMsg)
