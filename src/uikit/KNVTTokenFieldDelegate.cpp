#include "uikit/KNVTTokenFieldDelegate.h"

QVariant KNVTTokenFieldDelegate::representedObjectForEditingString(KNVTTokenField *, const QString &)
{
    return QVariant();
}

QStringList KNVTTokenFieldDelegate::completionsForSubstring(KNVTTokenField *, const QString &)
{
    return QStringList();
}
