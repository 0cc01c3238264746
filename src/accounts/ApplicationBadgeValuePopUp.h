#pragma once

#include "uikit/KNVTDockIconBadgeValueType.h"

#include <QComboBox>

namespace knvt {

// The General pane's choice of what the launcher badge counts. Each item carries a KNVTDockIconBadgeValueType; the
// choice is stored under KNVTDockIconBadgeValueTypePreference at once, and the application, told by the
// notification, shows the new badge.
class ApplicationBadgeValuePopUp : public QComboBox
{
    Q_OBJECT

public:
    explicit ApplicationBadgeValuePopUp(QWidget *parent = nullptr);

    // The stored value shown: the item at that position when there is one, then the first item carrying it.
    void reload();
    KNVTDockIconBadgeValueType selectedValue() const;

public slots:
    void changeApplicationBadgeValueType();
};

} // namespace knvt
