#pragma once

#include "app/KNVTHomeViewControllerDelegate.h"
#include "app/KNVTNoTaskViewController.h"

#include "lists/KNVTMainWindowServices.h"
#include "lists/KNVTTaskStoreItemsViewControllerDelegate.h"

#include "uikit/CommandTarget.h"
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
class QLabel;
class QLineEdit;
class QSplitter;
class QToolBar;
class QToolButton;
class QWindow;

namespace knvt {
class ActionSet;
class TaskDetail;
class TaskNewForm;
class TaskNewWindow;
struct NewTaskValues;
} // namespace knvt

// The main window: the home list on the left, the list of the home selection (or of the search) in the centre,
// the one selected task or a placeholder on the right, a toolbar and the menu bar that follow the selection, and
// the popovers and sheets opened from them. Closing it keeps the controller (the application holds it).
//
// Every command of the window is one action of its action set, shown by the menu bar, the toolbar, the context menus
// of the home list and of the centre list, and triggered by its keys. The commands on a selection act on the pane
// with the keyboard focus: the home list's project, area or tag while the home list has it, else the centre list's
// selection; the menu bar's titles and enabled states follow that pane.
class KNVTMainWindowController : public QMainWindow,
                                 public KNVTHomeViewControllerDelegate,
                                 public KNVTTaskStoreItemsViewControllerDelegate,
                                 public KNVTMainWindowServices,
                                 public knvt::CommandTarget
{
    Q_OBJECT

public:
    explicit KNVTMainWindowController(KNVTMainWindowControllerDelegate *delegate = nullptr);
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
    // The heading above a list opened from another list (a project double-clicked in Projects/Areas); hidden
    // otherwise.
    QLabel *listHeadingTextField() const { return m_listHeadingTextField; }
    QToolBar *toolbar() const { return m_toolbar; }
    QToolButton *toolbarButton(const QString &objectName) const;
    bool isFullScreen() const;
    knvt::Popover *createTaskPopover() const { return m_createTaskPopover; }

    // ---- Commands ----------------------------------------------------------------------------------------------
    knvt::ActionSet *actions() override { return m_actions; }
    // A pass reads the centre list's selection once, for the list's commands and the window's own alike.
    void beginValidation() override;
    void endValidation() override;
    void validateCommand(knvt::Command command, knvt::CommandState &state) override;
    void performCommand(knvt::Command command, QWidget *source) override;
    // The target of the selection's commands: the home list while it has the keyboard focus, else the centre list.
    knvt::CommandTarget *commandPane() const;

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
    // A task made in a new-task form: the centre list selects it, and the right pane shows it, once the save placed it
    // there; a list that does not show it keeps its selection.
    void selectNewTask(const QUrl &uri);
    // Ends the search under way, with a word, when it does not find the task made at `uri`: the list shown before it
    // is where the task shows and is selected.
    void endSearchNotFinding(const QUrl &uri);
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
    void toggleFullScreen();

    // The presets of a new task from the home selection: a project or area, Today's and Scheduled's start dates,
    // Someday's status. Without `withDates` only the list and the tags.
    knvt::NewTaskValues newTaskValuesForHomeSelection(bool withDates) const;

    // ---- Validation --------------------------------------------------------------------------------------------
    // Brings the actions, and with them the menu bar and the toolbar, up to date.
    void validateActions();
    // The same, once the lists have answered a store change.
    void validateAfterListsReselect();
    // The Move button's menu (the Move To command's).
    QMenu *moveMenu() const;

    // ---- Focus cycle -------------------------------------------------------------------------------------------
    QWidget *currentListView() const;
    QWidget *taskTableView() const;
    // The controls Tab visits, in the order they stand in the window: the toolbar's buttons that can be used now and
    // its search field, the home list and the button under it, the centre list, and the shown task. Back-tab visits
    // them the other way round; both wrap around.
    QList<QWidget *> focusChain() const;
    // The panes F6 visits (Shift+F6 the other way round), each by the control that takes the focus: the search field,
    // the home list, the centre list and the shown task.
    QList<QWidget *> focusPanes() const;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

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
    void buildMenuBar();
    // The Window menu's entries for the windows that wait after the oldest, which the menu's own command names.
    void listWaitingWindows(QMenu *menu);
    void buildToolbar();
    void presentNotificationsCount();
    void installList(const std::shared_ptr<KNVTTaskStoreItemsViewController> &list, const Route &route);
    // Back to the home selection's list from the lists opened above it.
    void popToRootList();
    // Gives the keyboard to the centre list shown now when the one that had it went away for it.
    void keyboardToTheListShown();
    void updateListHeading();
    void searchTextDidChange(const QString &text);
    // Shows the list of the home list's selection (`items`).
    void showHomeSelection(const std::vector<knvt::HomeEntry> &items);
    // Empties the search field without starting or ending a search.
    void clearSearchFieldQuietly();
    // Leaves the search field's undo only what a search begun now typed.
    void forgetEarlierSearchesTyping();
    // Keeps the home selection's list aside for when the search is cleared.
    void rememberListBeforeSearch();
    void showPlaceholder(const QString &text);
    void openSheet(QPointer<QDialog> &slot, QDialog *sheet);
    bool togglePopover(QPointer<knvt::Popover> &slot);
    // Opens `content` in a popover at `rect` of `anchor` (its whole rect when empty).
    knvt::Popover *openPopover(QPointer<knvt::Popover> &slot, QWidget *content, QWidget *anchor,
                               const QRect &rect = QRect());
    // Where the edit popover of the shown task stands: next to `source` (a toolbar button), else at the selected row
    // of the centre list while it shows, else at the toolbar's Edit button. nullptr: no place for a popover.
    QWidget *editAnchor(QWidget *source, QRect *rect) const;
    void focus(QWidget *widget, Qt::FocusReason reason = Qt::TabFocusReason);
    // Tab (`next`) or Back-tab from `from`: the neighbour in the focus chain.
    void moveFocus(QWidget *from, bool next);
    // F6 or Shift+F6: the first control of the neighbouring pane.
    void moveFocusToPane(bool next);
    // The anchor of a popover opened by `sender`, or nullptr when the sender is no widget.
    static QWidget *anchorFor(QObject *sender);

    KNVTMainWindowControllerDelegate *m_delegate;
    knvt::ActionSet *m_actions = nullptr;
    std::unique_ptr<KNVTHomeViewController> m_homeViewController;
    std::unique_ptr<KNVTTaskStoreItemsNavigationController> m_itemsNavigationController;
    std::unique_ptr<knvt::TaskDetail> m_taskViewController;
    QPointer<KNVTNoTaskViewController> m_noTaskViewController;
    Route m_route;
    bool m_clearingSearchField = false;
    // A centre list takes the place of another now; the one with the keyboard went away for it, and the list that shows
    // in its place takes the keyboard.
    bool m_replacingList = false;
    bool m_keyboardToTheNextList = false;
    // The home selection's list the search took the place of, following the store meanwhile: clearing the search
    // shows it again rather than making it afresh, which for a large list held the window for a frame and more.
    std::shared_ptr<KNVTTaskStoreItemsViewController> m_listBeforeSearch;
    Route m_routeBeforeSearch;

    QSplitter *m_splitView = nullptr;
    QWidget *m_leftSplitContainerView = nullptr;
    QWidget *m_centerContainerView = nullptr;
    QWidget *m_rightSplitContainerView = nullptr;
    QToolBar *m_toolbar = nullptr;
    QLineEdit *m_searchField = nullptr;
    QLabel *m_listHeadingTextField = nullptr;
    bool m_validationPending = false;
    // The native window whose changes of the control with the keyboard the commands follow.
    QPointer<QWindow> m_watchedHandle;
    // The centre list of the validation pass under way, told of the pass's end.
    QPointer<KNVTTaskStoreItemsViewController> m_validatingList;

    QPointer<knvt::Popover> m_createTaskPopover;
    QPointer<knvt::Popover> m_notificationsPopover;
    QPointer<knvt::Popover> m_composeTaskCommentPopover;
    QPointer<knvt::Popover> m_assignTaskPopover;
    QPointer<knvt::Popover> m_taskEditPopover;
    std::unique_ptr<knvt::TaskNewForm> m_createTaskForm;
    // The task the new-task popover's form saved, which the list selects as the popover closes.
    QUrl m_taskMadeInPopover;

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
