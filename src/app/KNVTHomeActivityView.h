#pragma once

#include "uikit/KNVTActivityView.h"

// The sync status line under the home list: "Syncing" with a spinner while a session runs, when the last session
// failed and why until one succeeds, "Synced" and the day of the last successful sync otherwise, that sync is paused
// and where to sign in again while the refused password waits to be typed again, nothing while automatic sync is off.
// A failure names what the service refused or what could not be read, cut so that the line takes three lines at most,
// with the whole text in its tooltip. It follows the store's sync notifications.
class KNVTHomeActivityView : public KNVTActivityView
{
    Q_OBJECT

public:
    explicit KNVTHomeActivityView(QWidget *parent = nullptr);
    ~KNVTHomeActivityView() override;

    void reloadData();

protected:
    void resizeEvent(QResizeEvent *event) override;
};
