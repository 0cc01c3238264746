#include "uikit/KNVTTokenFieldDelegate.h"

QVariant KNVTTokenFieldDelegate::representedObjectForEditingString(KNVTTokenField *, const QString &)
{
    return QVariant();
}

QStringList KNVTTokenFieldDelegate::completionsForSubstring(KNVTTokenField *, const QString &)
{
    return QStringList();
}

QVariantList KNVTTokenFieldDelegate::shouldAddObjects(KNVTTokenField *, const QVariantList &objects, qsizetype)
{
    return objects;
}

bool KNVTTokenFieldDelegate::hasMenuForRepresentedObject(KNVTTokenField *, const QVariant &)
{
    return false;
}

QMenu *KNVTTokenFieldDelegate::menuForRepresentedObject(KNVTTokenField *, const QVariant &)
{
    return nullptr;
}

bool KNVTTokenFieldDelegate::writeRepresentedObjects(KNVTTokenField *, const QVariantList &, QMimeData &)
{
    return false;
}

QStringList KNVTTokenFieldDelegate::readFromPasteboard(KNVTTokenField *, const QMimeData &)
{
    return QStringList();
}
