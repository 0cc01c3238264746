#pragma once

#include "store/KNVTTaskStoreCapabilities.h"

#include "objectstore/ChangeSet.h"

#include "uikit/CommandTarget.h"
#include "uikit/KNVTViewController.h"

#include <QList>
#include <QModelIndex>
#include <QPointer>
#include <QUrl>

#include <memory>
#include <optional>
#include <vector>

class KNVTCDTask;
class KNVTCDTaskList;
class KNVTCDUser;
class KNVTMainWindowServices;
class KNVTTaskStore;
class KNVTTaskStoreItemsViewControllerDelegate;
class QMenu;
class QWidget;

namespace knvt {
class ActionSet;
class ListRows;
struct ItemRow;
} // namespace knvt

// The base of every list of tasks, projects and areas. It owns no rows: subclasses say what they show and what is
// selected through the six array accessors, and get from here the store's change hooks, the commands on the
// selection, the rules that allow them and the context menu built from both.
//
// The commands reach a list through the actions of its window (the main window's, or the list's own where it stands
// alone): the list is their target while it has the keyboard focus, and its context menu shows those actions.
//
// Every command acts on the selection as the accessors give it at the moment of the call and ends with one save of
// the store on a later pass of the event loop; the list itself redraws from the store's change notifications. The
// rules ask the store's capability rules about the current selection on every call, except within a validation pass
// of the actions, which answers from one reading of the selection. The list keeps that reading from pass to pass
// until the selection, the rows, the store (a change it posts) or any object (the context's change count) changes.
class KNVTTaskStoreItemsViewController : public KNVTViewController, public knvt::CommandTarget
{
    Q_OBJECT

public:
    using Items = KNVTTaskStoreCapabilities::Items;
    using Tasks = KNVTTaskStoreCapabilities::Tasks;
    using TaskLists = KNVTTaskStoreCapabilities::TaskLists;
    using Selection = KNVTTaskStoreCapabilities::Selection;

    explicit KNVTTaskStoreItemsViewController(KNVTTaskStoreItemsViewControllerDelegate *delegate,
                                              QObject *parent = nullptr);
    ~KNVTTaskStoreItemsViewController() override;

    KNVTTaskStoreItemsViewControllerDelegate *taskStoreItemsViewControllerDelegate() const { return m_delegate; }
    void setTaskStoreItemsViewControllerDelegate(KNVTTaskStoreItemsViewControllerDelegate *delegate);

    // The main window's services; a list is in the main window exactly when it has them. Not owned.
    KNVTMainWindowServices *mainWindowServices() const { return m_mainWindowServices; }
    void setMainWindowServices(KNVTMainWindowServices *services) { m_mainWindowServices = services; }

    // ---- Content (empty in the base) ---------------------------------------------------------------------------
    virtual Items items() const { return {}; }
    virtual Items selectedItems() const { return {}; }
    virtual Tasks tasks() const { return {}; }
    virtual Tasks selectedTasks() const { return {}; }
    virtual TaskLists taskLists() const { return {}; }
    virtual TaskLists selectedTaskLists() const { return {}; }

    // ---- Rows as shown: section rows and item rows, counted from the top (none in the base) -----------------------
    virtual int numberOfRows() const { return 0; }
    // The row's contents; nullptr past the end.
    virtual const knvt::ItemRow *rowAt(int) const { return nullptr; }
    // The row of the object with `uri`; nullopt when no row shows it.
    virtual std::optional<int> cellIndexForObjectValue(const QUrl &) const { return std::nullopt; }
    // The rows the list shows, as its model holds them; nullptr in the base.
    virtual const knvt::ListRows *listRows() const { return nullptr; }
    // The view's model index of the row; invalid past the end.
    virtual QModelIndex indexForRow(int) const { return {}; }
    // The selected item rows, ascending.
    virtual QList<int> selectedRows() const { return {}; }
    // Selects exactly the item rows among `rows`.
    virtual void selectRows(const QList<int> &) {}

    // The view that takes the keyboard focus when the host tabs into the list; nullptr when the list has none.
    virtual QWidget *focusView() { return nullptr; }
    // What the list shows, as a screen reader names the list: the focus list's, project's or tags' name.
    virtual QString listTitle() const { return title(); }
    // Item rows are this high: 90 while notes are previewed, else 50.
    static int itemRowHeight();

    // Selects the row of the object with `uri`, scrolled into view, and gives the list the keyboard once a change of the
    // store has placed it in the list (a new task is shown after its save). Forgotten at the first change after the object was saved, whether
    // the list shows it or not.
    void selectObjectOnceShown(const QUrl &uri);
    // Selects the row of the object with `uri` now, scrolled into view, and gives the list the keyboard; false, and
    // nothing changes, when no row shows it.
    bool selectObjectIfShown(const QUrl &uri);

    // ---- Hooks -------------------------------------------------------------------------------------------------
    virtual void taskStoreWillChangeNotification() {}
    // `changes`: what the store's change touched; nullopt when it cannot tell (the rows must be computed again).
    virtual void taskStoreDidChangeNotification(const std::optional<ostore::ChangeSet> &changes) { (void)changes; }
    virtual void numberOfPreviewLinesForTaskNotesDidChangeNotification() {}
    // Shows the rows as the store has them now, keeping the selection; the base has none.
    virtual void reloadData() {}

    // Prints the list; the base only beeps.
    virtual void print();
    // The context menu for the current selection, made of the window's actions, owned by the caller. The list takes
    // the keyboard focus first, so that the actions act on it. `parent` parents the menu.
    QMenu *menuForEvent(QWidget *parent = nullptr);

    // The actions of the list's window: the main window's, or the list's own while it stands alone.
    knvt::ActionSet *actions();
    // ---- The commands of the actions: what the selection allows, and carrying them out ----------------------------
    // Every rule asked within a validation pass answers for one reading of the selection: the last pass's while nothing
    // has changed since, else one made when the pass begins.
    void beginValidation() override;
    void endValidation() override;
    void validateCommand(knvt::Command command, knvt::CommandState &state) override;
    void performCommand(knvt::Command command, QWidget *source) override;

    // ---- Selection commands (the base: nothing, or a beep) -----------------------------------------------------
    virtual void selectAllItems() {}
    virtual void deselectAllItems() {}
    virtual void selectNextItem();
    virtual void selectPreviousItem();

    // ---- Item actions ------------------------------------------------------------------------------------------
    // A double click on a row: selected tasks are shown in the main window when they may be edited there, else each
    // in its own window; otherwise the first selected project or area goes to the host.
    void doubleAction();
    void viewSelectedItems(QObject *sender = nullptr);
    void editSelectedItems(QObject *sender = nullptr);
    void moveSelectedItemsToInbox();
    void moveSelectedItemsToToday();
    void removeSelectedItemsFromToday();
    void moveSelectedItemsToNext();
    void moveSelectedItemsToSomeday();
    void removeSelectedItemsFromSomeday();
    void scheduleSelectedItems();
    void markSelectedItemsAsCompleted();
    void markSelectedItemsAsUncompleted();
    void markSelectedItemsAsCancelled();
    void startWatchingSelectedItems();
    void stopWatchingSelectedItems();
    void archiveSelectedItems();
    void unarchiveSelectedItems();
    void deleteSelectedItems();
    void duplicateSelectedItems();
    void moveSelectedItemsToTaskList(KNVTCDTaskList *destination);
    void detachSelectedItemsFromTaskList();
    void assignSelectedItemsToUser(KNVTCDUser *user);

    // ---- Row buttons -------------------------------------------------------------------------------------------
    // The completion box of the object with `uri`: a task is completed or reopened at once; an open project or area
    // is completed after the model's question, a closed one reopened. Beeps, changing nothing, when the object may
    // not be marked.
    void toggleStatus(const QUrl &uri);
    // Today's toggle of every window (KNVTTaskStore::toggleToday) for the row's task or list.
    void toggleToday(const QUrl &uri);
    // Archives a project or area, after the model's question when it has open tasks.
    void toggleArchive(const QUrl &uri);

    // ---- Rules -------------------------------------------------------------------------------------------------
    bool canEditSelectedItems();
    bool canDeleteSelectedItems();
    bool canMoveSelectedItemsToInbox();
    bool canMoveSelectedItemsToToday();
    bool canRemoveSelectedItemsFromToday();
    bool canMoveSelectedItemsToNext();
    bool canRemoveSelectedItemsFromNext();
    bool canMoveSelectedItemsToSomeday();
    bool canRemoveSelectedItemsFromSomeday();
    bool canScheduleSelectedItems();
    bool canMarkSelectedItems();
    bool canMarkSelectedItemsAsCompleted();
    bool canMarkSelectedItemsAsUncompleted();
    bool canMarkSelectedItemsAsCancelled();
    bool canAssignSelectedItems();
    bool canStartWatchingSelectedItems();
    bool canStopWatchingSelectedItems();
    bool canArchiveSelectedItems();
    bool canUnarchiveSelectedItems();
    bool canDuplicateSelectedItems();
    bool canMoveSelectedItemsToTaskList();
    bool canDetachSelectedItemsFromTaskList();
    bool shouldDisplayRemoveSelectedItemsFromToday();
    bool shouldDisplayRemoveSelectedItemsFromSomeday();
    bool shouldDisplayRemoveSelectedTasksFromSomeday();
    bool shouldDisplayMarkSelectedItemsAsCompleted();
    bool shouldDisplayMarkSelectedItemsAsUncompleted();
    bool shouldDisplayMarkSelectedItemsAsCancelled();

    // The common task list of `tasks` whose tasks I may edit, written to `taskList`; NO leaves it as it was.
    static bool canAssignTasks(const Tasks &tasks, KNVTCDTaskList **taskList);

    // The store every list works on: the shared task store.
    static KNVTTaskStore &taskStore();

protected:
    // The selection as the rules see it: the validation pass's reading while one is under way, else read now and handed
    // to `rule`.
    template <class Rule>
    bool askAboutSelection(Rule rule)
    {
        if (m_validating && m_selectionReading)
            return rule(*m_selectionReading);
        const Selection selection(selectedItems());
        return rule(selection);
    }
    // The selected rows or the rows themselves changed: the next validation pass reads the selection again.
    void forgetSelectionReading() { m_selectionReading.reset(); }
    // The selected rows changed: the next validation pass reads the selection again, and the host hears of it.
    void selectionDidChange();
    bool isInMainWindow() const { return m_mainWindowServices != nullptr; }

private:
    // Task and task-list layers of the actions.
    void viewSelectedTasks();
    void editSelectedTasks(QObject *sender);
    void viewSelectedTaskLists();
    void editSelectedTaskLists();
    void deleteSelectedTasks(const Tasks &tasks);
    void deleteSelectedTaskLists(const TaskLists &lists);
    static void save();

    void fillAssignMenu(QMenu &menu);

    // After the subclass applied a change of the store: the new object to select, the selection kept in view.
    void didApplyStoreChange();
    // Before a command: remembers whether the current row is in view.
    void keepCurrentRowInViewAfterCommand();

    KNVTTaskStoreItemsViewControllerDelegate *m_delegate = nullptr;
    QUrl m_objectToSelect;
    // A command on the selection began with its current row in view: the change it makes keeps that row in view.
    bool m_keepCurrentRowInView = false;
    KNVTMainWindowServices *m_mainWindowServices = nullptr;
    QPointer<knvt::ActionSet> m_ownActions;
    // The selection as the last validation pass read it, with the rules' answers, kept for the next pass until the
    // selection, the rows, the store (a change it posts, the clock's included) or any object (the context's change
    // count) may have changed: the window validates again on every key press, and reading thousands of selected
    // objects each time is what the user would wait for.
    std::optional<Selection> m_selectionReading;
    quint64 m_selectionReadingChangeCount = 0;
    bool m_validating = false;
};
