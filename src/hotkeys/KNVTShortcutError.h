#pragma once

#include "uikit/AlertPresenter.h"

#include <QString>
#include <QStringList>

// Why a key combination cannot be used: the title, the explanation and the one button of the alert that says so.
struct KNVTShortcutError
{
    QString title;
    QString suggestion;
    QStringList options;
};

// The critical alert for `error` with its first option as the only button; without an error (a refusal that came
// with no explanation), "The key combination can't be used!" with "OK".
knvt::AlertPresenter::Request alertWithNonRecoverableError(const KNVTShortcutError *error);
