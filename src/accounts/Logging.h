#pragma once

#include <QLoggingCategory>

// The account windows' log lines ("knvt.accounts").
Q_DECLARE_LOGGING_CATEGORY(lcAccounts)
