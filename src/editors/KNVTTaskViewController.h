#pragma once

#include "editors/KNVTTaskRowLayout.h"
#include "editors/KNVTTaskTableView.h"
#include "editors/KNVTTaskViewControllerDelegate.h"

#include "uikit/CommandTarget.h"
#include "uikit/KNVTViewController.h"
#include "uikit/WeakDelegate.h"

#include <QHash>
#include <QPointer>
#include <QUrl>

class KNVTCDTask;
class KNVTTaskViewModel;

namespace knvt {
class Popover;
class TaskRowDelegate;
} // namespace knvt

// One task shown read-only, as a column of painted rows (see KNVTTaskViewModel), live: every save of the task store
// changes the rows that differ in place, so that the scroll position and the keyboard's row stay, and a change of width lays them out again without rebuilding
// them. The only changes made from here are the completion check box, the Today toggle and the local user's own
// comments (Edit and Delete on their rows). The main window's right pane and the task window show it.
//
// While the keyboard is on a comment row, the window's Delete and Edit (Return) act on that comment rather than on
// the task: the hosts hand those commands here when takesCommand() says so.
class KNVTTaskViewController : public KNVTViewController, public knvt::CommandTarget
{
    Q_OBJECT

public:
    explicit KNVTTaskViewController(KNVTCDTask *task = nullptr, QObject *parent = nullptr);
    ~KNVTTaskViewController() override;

    KNVTCDTask *task() const { return m_task; }
    // Before the view is loaded only keeps the task; afterwards also rebuilds the rows.
    void setTask(KNVTCDTask *task);
    // The view has been made and the rows follow the task.
    bool isLoaded() const { return m_loaded; }
    void updateCells();

    KNVTTaskViewControllerDelegate *taskViewControllerDelegate() const { return m_delegate.get(); }
    void setTaskViewControllerDelegate(KNVTTaskViewControllerDelegate *delegate) { m_delegate.set(delegate); }

    // Both nullptr until the view is loaded.
    KNVTTaskTableView *tableView() const { return m_tableView; }
    KNVTTaskViewModel *model() const { return m_model; }
    knvt::TaskRowDelegate *rowDelegate() const { return m_rowDelegate; }

    // The width the rows are laid out for: the view's width minus 2.
    int rowWidth() const;
    KNVTTaskRowLayout::TextHeightCache &textHeightCache() { return m_textHeights; }

    // The title row's check box: an open task is completed (a repeating one also gets its next occurrence), a
    // closed one opened again; saved at once.
    void toggleStatus();
    // Today's toggle of every window (KNVTTaskStore::toggleToday); saved at once.
    void toggleToday();

    // An own comment row's Edit: opens the comment's editor in a popover next to `button` (viewport coordinates),
    // or closes it when it is open. A comment that is gone beeps.
    void editTaskComment(const QUrl &commentURI, const QRect &button);
    // An own comment row's Delete: asks, then removes the comment and saves on the next pass.
    void deleteTaskComment(const QUrl &commentURI);
    // The open editor popover of a comment, kept here rather than by the row so that it outlives every rebuild; or the
    // one a detail of the same window left open, holding typing, when it showed another task.
    knvt::Popover *taskCommentEditPopover(const QUrl &commentURI) const;

    // Whether `command` acts on the comment of the row with the keyboard: Delete and Edit while the detail has the
    // keyboard focus on a comment row.
    bool takesCommand(knvt::Command command) const;
    // Delete and Edit of that comment: enabled on any comment row, so that another person's comment beeps instead of
    // passing the key on to the task; on the own comment they do what the row's buttons do.
    void validateCommand(knvt::Command command, knvt::CommandState &state) override;
    void performCommand(knvt::Command command, QWidget *source) override;

protected:
    void loadView() override;
    void viewDidLoad() override;

private:
    void taskStoreWillChange();
    void taskStoreDidChange();

    KNVTCDTask *m_task = nullptr;
    QUrl m_taskURI;
    bool m_loaded = false;
    knvt::WeakDelegate<KNVTTaskViewControllerDelegate> m_delegate;
    QPointer<KNVTTaskTableView> m_tableView;
    KNVTTaskViewModel *m_model = nullptr;
    knvt::TaskRowDelegate *m_rowDelegate = nullptr;
    KNVTTaskRowLayout::TextHeightCache m_textHeights;
    QHash<QUrl, QPointer<knvt::Popover>> m_commentEditPopovers;
};
