#include "accounts/ApplicationBadgeValuePopUp.h"

#include "uikit/KNVTPreferenceKeys.h"
#include "uikit/UnsavedTyping.h"

#include "foundation/Defaults.h"
#include "foundation/NotificationCenter.h"

#include <QCoreApplication>

namespace knvt {

namespace {

struct BadgeItem
{
    KNVTDockIconBadgeValueType value;
    const char *title;
};

constexpr BadgeItem kItems[] = {
    {KNVTDockIconBadgeValueTypeNone, QT_TRANSLATE_NOOP("ApplicationBadgeValuePopUp", "None")},
    {KNVTDockIconBadgeValueTypeUncompletedDueTasks, QT_TRANSLATE_NOOP("ApplicationBadgeValuePopUp", "Due")},
    {KNVTDockIconBadgeValueTypeUncompletedDueAndTodayTasks,
     QT_TRANSLATE_NOOP("ApplicationBadgeValuePopUp", "Due and Today")},
    {KNVTDockIconBadgeValueTypeUncompletedDueTodayAndInboxTasks,
     QT_TRANSLATE_NOOP("ApplicationBadgeValuePopUp", "Due, Today and Inbox")},
    {KNVTDockIconBadgeValueTypeNotifications, QT_TRANSLATE_NOOP("ApplicationBadgeValuePopUp", "Notifications")},
    {KNVTDockIconBadgeValueTypeNotificationsAndUncompletedDueTasks,
     QT_TRANSLATE_NOOP("ApplicationBadgeValuePopUp", "Notifications and Due")},
    {KNVTDockIconBadgeValueTypeNotificationsAndUncompletedDueAndTodayTasks,
     QT_TRANSLATE_NOOP("ApplicationBadgeValuePopUp", "Notifications and Due and Today")},
    {KNVTDockIconBadgeValueTypeNotificationsAndUncompletedDueTodayAndInboxTasks,
     QT_TRANSLATE_NOOP("ApplicationBadgeValuePopUp", "Notifications and Due, Today and Inbox")},
};

} // namespace

ApplicationBadgeValuePopUp::ApplicationBadgeValuePopUp(QWidget *parent) : QComboBox(parent)
{
    setObjectName(QStringLiteral("applicationBadgeValuePopUpButton"));
    for (const BadgeItem &item : kItems)
        addItem(QCoreApplication::translate("ApplicationBadgeValuePopUp", item.title), uint(item.value));
    reload();
    // A choice takes effect as it is made: closing the preferences drops nothing.
    UnsavedTyping::markNotKept(this);
    connect(this, &QComboBox::activated, this, &ApplicationBadgeValuePopUp::changeApplicationBadgeValueType);
}

void ApplicationBadgeValuePopUp::reload()
{
    const int value = Defaults::standard().value(QString::fromLatin1(KNVTDockIconBadgeValueTypePreference)).toInt();
    if (value >= 0 && value < count())
        setCurrentIndex(value);
    const int tagged = findData(uint(value));
    if (tagged >= 0)
        setCurrentIndex(tagged);
}

KNVTDockIconBadgeValueType ApplicationBadgeValuePopUp::selectedValue() const
{
    return KNVTDockIconBadgeValueType(currentData().toUInt());
}

void ApplicationBadgeValuePopUp::changeApplicationBadgeValueType()
{
    Defaults &defaults = Defaults::standard();
    defaults.setValue(QString::fromLatin1(KNVTDockIconBadgeValueTypePreference), int(selectedValue()));
    defaults.synchronize();
    NotificationCenter::defaultCenter().post(
        QString::fromLatin1(KNVTDockIconBadgeValueTypePreferenceDidChangeNotification));
}

} // namespace knvt
