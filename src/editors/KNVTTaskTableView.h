#pragma once

#include <QListView>
#include <QPointer>

class KNVTTaskViewController;

// The single column of the task detail: rows painted by the detail's delegate, never selected. Tab and Back-Tab go
// to the view controller's delegate instead of moving the focus inside the window, and a change of width lays the
// rows out again at once, since their heights follow the width.
class KNVTTaskTableView : public QListView
{
    Q_OBJECT

public:
    explicit KNVTTaskTableView(QWidget *parent = nullptr);

    KNVTTaskViewController *taskViewController() const { return m_taskViewController; }
    void setTaskViewController(KNVTTaskViewController *controller) { m_taskViewController = controller; }

protected:
    bool focusNextPrevChild(bool next) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QPointer<KNVTTaskViewController> m_taskViewController;
};
