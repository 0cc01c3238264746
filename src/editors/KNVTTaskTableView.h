#pragma once

#include "uikit/AccessibleRowActions.h"
#include "uikit/SelectionAfterRemoval.h"

#include <QListView>
#include <QPointer>

class KNVTTaskViewController;

// The single column of the task detail: rows painted by the detail's delegate, never selected. Tab and Back-Tab go
// to the view controller's delegate instead of moving the focus inside the window (without one, as in the task
// window, they move it as in any window), and a change of width lays the rows out again at once, since their heights
// follow the width. Screen readers read it as the list "Task", whose rows offer the painted check box and an own
// comment's Edit and Delete as actions.
class KNVTTaskTableView : public QListView, public knvt::AccessibleRowActions
{
    Q_OBJECT

public:
    explicit KNVTTaskTableView(QWidget *parent = nullptr);

    QStringList accessibleActionNames(const QModelIndex &row) const override;
    // Runs once the screen reader's request has returned, as a click runs once the view is done with it: the action
    // may ask a question or save, and the save rebuilds every row.
    void performAccessibleAction(const QModelIndex &row, const QString &name) override;

    // The width the vertical scroll bar will take from the rows once it shows: 0 while it shows already, or when it
    // never takes any (always off, always on, or laid over the rows).
    int scrollBarWidthToCome() const;

    KNVTTaskViewController *taskViewController() const { return m_taskViewController; }
    void setTaskViewController(KNVTTaskViewController *controller) { m_taskViewController = controller; }

protected:
    void rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end) override;
    bool focusNextPrevChild(bool next) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    knvt::SelectionAfterRemoval m_selectionAfterRemoval;
    QPointer<KNVTTaskViewController> m_taskViewController;
};
