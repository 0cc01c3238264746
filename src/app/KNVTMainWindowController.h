#pragma once

#include "app/KNVTHomeViewControllerDelegate.h"
#include "app/KNVTNoTaskViewController.h"
#include "app/MenuBarItems.h"

#include "lists/KNVTMainWindowServices.h"
#include "lists/KNVTTaskStoreItemsViewControllerDelegate.h"

#include "uikit/Popover.h"

#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <QUrl>

#include <memory>
#include <optional>

class KNVTHomeViewController;
class KNVTMainWindowControllerDelegate;

class KNVTTaskStoreItemsNavigationController;
class KNVTTaskStoreItemsViewController;
class QDialog;
class QLineEdit;
class QSplitter;
class QToolBar;
class QToolButton;

namespace knvt {
class TaskDetail;
class TaskNewForm;
class TaskNewWindow;
struct NewTaskValues;
} // namespace knvt

// The main window: the home list on the left, the list of the home selection (or of the search) in the centre,
// the one selected task or a placeholder on the right, a toolbar and the menu bar that follow the selection, and
// the popovers and sheets opened from them. Closing it keeps the controller (the application holds it).
class KNVTMainWindowController : public QMainWindow,
                                 public KNVTHomeViewControllerDelegate,
                                 public KNVTTaskStoreItemsViewControllerDelegate,
                                 public KNVTMainWindowServices
{
    Q_OBJECT

public:
    // `menuBarItems` (may be null) are the application's; the window puts their menus into its menu bar.
    explicit KNVTMainWindowController(KNVTMainWindowControllerDelegate *delegate = nullptr,
                                      knvt::MenuBarItems *menuBarItems = nullptr);
    ~KNVTMainWindowController() override;

    KNVTMainWindowControllerDelegate *mainWindowControllerDelegate() const { return m_delegate; }
    void setMainWindowControllerDelegate(KNVTMainWindowControllerDelegate *delegate) { m_delegate = delegate; }

    KNVTHomeViewController *homeViewController() const { return m_homeViewController.get(); }
    KNVTTaskStoreItemsNavigationController *itemsNavigationController() const
    {
        return m_itemsNavigationController.get();
    }
    // The top of the centre stack, or nullptr while it is empty.
    KNVTTaskStoreItemsViewController *currentTasksViewController() const;
    knvt::TaskDetail *taskViewController() const { return m_taskViewController.get(); }
    KNVTNoTaskViewController *noTaskViewController() const { return m_noTaskViewController; }
    QSplitter *splitView() const { return m_splitView; }
    QLineEdit *searchField() const { return m_searchField; }
    QToolBar *toolbar() const { return m_toolbar; }
    QToolButton *toolbarButton(const QString &objectName) const;
    bool isFullScreen() const;
    knvt::Popover *createTaskPopover() const { return m_createTaskPopover; }

    // ---- Home list delegate ------------------------------------------------------------------------------------
    void homeViewControllerDidSelectItems(KNVTHomeViewController *controller,
                                          const std::vector<knvt::HomeEntry> &items) override;
    bool homeViewControllerShouldInsertTab(KNVTHomeViewController *controller) override;
    bool homeViewControllerShouldInsertBacktab(KNVTHomeViewController *controller) override;

    // ---- Item list delegate ------------------------------------------------------------------------------------
    void taskStoreItemsViewControllerSelectionDidChange(KNVTTaskStoreItemsViewController *controller) override;
    void taskStoreItemsViewControllerItemWasDoubleClicked(KNVTTaskStoreItemsViewController *controller,
                                                          KNVTCDTaskList *taskList) override;
    bool taskStoreItemsViewControllerShouldInsertTab(KNVTTaskStoreItemsViewController *controller) override;
    bool taskStoreItemsViewControllerShouldInsertBacktab(KNVTTaskStoreItemsViewController *controller) override;

    // ---- Popovers, sheets and actions --------------------------------------------------------------------------
    void newTaskPopover(QObject *sender) override;
    void newProjectSheet(QObject *sender) override;
    void newAreaSheet(QObject *sender) override;
    void newTagSheet(QObject *sender) override;
    void notificationsSheet(QObject *sender);
    void commentOnSelectedTask(QObject *sender);
    void assignSelectedTasks(QObject *sender);
    void presentScheduleTasksSheetForTasks(const std::vector<KNVTCDTask *> &tasks) override;
    void presentAssignTasksSheetForTasks(const std::vector<KNVTCDTask *> &tasks) override;
    void viewTaskList(KNVTCDTaskList *taskList) override;
    void editTaskList(KNVTCDTaskList *taskList) override;
    void editSelectedItems(QObject *sender) override;
    void viewSelectedItems(QObject *sender) override;
    void sync();
    void toggleTodayForSelectedItems();
    void scheduleSelectedItems();
    // Unschedule is not offered; the command does nothing.
    void unscheduleSelectedItems() {}
    void toggleFullScreen();

    // The presets of a new task from the home selection: a project or area, Today's and Scheduled's start dates,
    // Someday's status. Without `withDates` only the list and the tags.
    knvt::NewTaskValues newTaskValuesForHomeSelection(bool withDates) const;

    // ---- Validation --------------------------------------------------------------------------------------------
    void validateToolbarButtons();
    void validateMenuBarItems();
    // Both validations, once the lists have answered a store change.
    void validateAfterListsReselect();
    // The Move button's menu as last built.
    QMenu *moveMenu() const { return m_moveMenu; }

    // ---- Focus cycle -------------------------------------------------------------------------------------------
    QWidget *currentListView() const;
    QWidget *taskTableView() const;

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    struct Route
    {
        enum class Kind { None, FocusList, TaskList, Tags, TaskLists, Search } kind = Kind::None;
        KNVTFocusType focusType = KNVTFocusTypeInbox;
        QUrl taskList;
        QList<QUrl> tags;
        QString searchString;
    };

    void buildWindow();
    void buildToolbar();
    void installList(const std::shared_ptr<KNVTTaskStoreItemsViewController> &list, const Route &route);
    void searchTextDidChange(const QString &text);
    void showPlaceholder(const QString &text);
    void openSheet(QPointer<QDialog> &slot, QDialog *sheet);
    bool togglePopover(QPointer<knvt::Popover> &slot);
    knvt::Popover *openPopover(QPointer<knvt::Popover> &slot, QWidget *content, QWidget *anchor);
    void focus(QWidget *widget);
    // The anchor of a popover opened by `sender`, or nullptr when the sender is no widget.
    static QWidget *anchorFor(QObject *sender);

    KNVTMainWindowControllerDelegate *m_delegate;
    knvt::MenuBarItems *m_menuBarItems;
    std::unique_ptr<KNVTHomeViewController> m_homeViewController;
    std::unique_ptr<KNVTTaskStoreItemsNavigationController> m_itemsNavigationController;
    std::unique_ptr<knvt::TaskDetail> m_taskViewController;
    QPointer<KNVTNoTaskViewController> m_noTaskViewController;
    Route m_route;

    QSplitter *m_splitView = nullptr;
    QWidget *m_leftSplitContainerView = nullptr;
    QWidget *m_centerContainerView = nullptr;
    QWidget *m_rightSplitContainerView = nullptr;
    QToolBar *m_toolbar = nullptr;
    QLineEdit *m_searchField = nullptr;
    QPointer<QMenu> m_moveMenu;
    bool m_validationPending = false;

    QPointer<knvt::Popover> m_createTaskPopover;
    QPointer<knvt::Popover> m_notificationsPopover;
    QPointer<knvt::Popover> m_composeTaskCommentPopover;
    QPointer<knvt::Popover> m_assignTaskPopover;
    QPointer<knvt::Popover> m_taskEditPopover;
    std::unique_ptr<knvt::TaskNewForm> m_createTaskForm;

    QPointer<QDialog> m_projectNewWindowController;
    QPointer<QDialog> m_areaNewWindowController;
    QPointer<QDialog> m_tagNewWindowController;
    QPointer<QDialog> m_scheduleTasksWindowController;
    QPointer<QDialog> m_assignTasksWindowController;
    QPointer<QDialog> m_taskEditWindowController;
    QPointer<QDialog> m_taskSheetWindowController;
    QPointer<QDialog> m_projectWindowController;
    QPointer<QDialog> m_areaWindowController;
    QPointer<QDialog> m_editProjectWindowController;
    QPointer<QDialog> m_editAreaWindowController;
};
