#include "app/KNVTHomeItem.h"

#include <QCoreApplication>

KNVTHomeItem::KNVTHomeItem(const QString &localizedDisplayName, const QIcon &icon)
    : m_localizedDisplayName(localizedDisplayName), m_icon(icon)
{}

KNVTHomeItem KNVTHomeItem::taskListsItem()
{
    KNVTHomeItem item(QCoreApplication::translate("KNVTHomeSection", "Projects/Areas"), QIcon());
    item.setIdentifier(QStringLiteral("TaskLists"));
    return item;
}

QString KNVTHomeItem::description() const
{
    return QStringLiteral("KNVTHomeItem identifier:%1 localizedDisplayName:%2")
        .arg(m_identifier, m_localizedDisplayName);
}
