#pragma once

#include "app/ApplicationWindowFactory.h"
#include "app/BadgeSink.h"
#include "app/TrayIcon.h"

#include "support/ChosenFileImagePicker.h"
#include "support/CountingBeeper.h"
#include "support/FakeClock.h"
#include "support/FakeHotKeyBackend.h"
#include "support/FakeReachability.h"
#include "support/FakeSaveScheduler.h"
#include "support/FakeSyncService.h"
#include "support/LibraryBuilder.h"
#include "support/RecordingUrlOpener.h"
#include "support/ScopedInMemoryKeychain.h"
#include "support/ScriptedAlertPresenter.h"

#include <QDateTime>
#include <QPointer>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>

class KNVTCDTask;
class KNVTCDTaskStoreObject;
class KNVTCDTaskList;
class KNVTKeyboardShortcutManager;
class KNVTShortcutRecorderControl;
class KNVTCDUser;
class KNVTMainWindowController;
class KNVTTaskStore;
class KNVTTaskStoreItemsTableViewController;
class KNVTTaskStoreItemsViewController;
class KNVTTasksAppDelegate;
class QAbstractItemModel;
class QAbstractItemView;
class QAbstractScrollArea;
class QMenu;
class QMimeData;
class QWidget;

namespace knvt {
class HotKeyBackendSelector;
class X11HotKeyBackend;
class X11KeyboardLayout;
namespace test {
class FakeGlobalShortcutsPortal;
class NotificationRecorder;
class OtherXClient;
} // namespace test
} // namespace knvt

namespace knvt::features {

// The launcher badge as the application last set it.
class RecordingBadgeSink : public BadgeSink
{
public:
    void setBadgeCount(qint64 count) override { counts.append(count); }
    QList<qint64> counts;
};

// The application's windows, each opening recorded as "<controller>: <arguments>".
class RecordingWindowFactory : public ApplicationWindowFactory
{
public:
    QStringList opened;

    std::unique_ptr<TaskNewForm> taskNewViewController(const NewTaskValues &values, Popover *popover) override;
    std::unique_ptr<TaskNewWindow> taskNewWindowController(const NewTaskValues &values) override;
    std::unique_ptr<TaskWindow> taskWindowController(KNVTCDTask *task) override;
    QDialog *scheduleTasksWindowController(const std::vector<KNVTCDTask *> &tasks, QWidget *parent) override;
    QDialog *tasksAssignWindowController(const std::vector<KNVTCDTask *> &tasks, QWidget *parent) override;
    QDialog *projectNewWindowController(QWidget *parent) override;
    QDialog *areaNewWindowController(QWidget *parent) override;
    QDialog *projectWindowController(KNVTCDTaskList *project, QWidget *parent) override;
    QDialog *areaWindowController(KNVTCDTaskList *area, QWidget *parent) override;
    QDialog *projectEditWindowController(KNVTCDTaskList *project, QWidget *parent) override;
    QDialog *areaEditWindowController(KNVTCDTaskList *area, QWidget *parent) override;
    QDialog *tagEditWindowController(KNVTCDTag *tag, QWidget *parent) override;
    QDialog *taskListSharingSettingsWindowController(KNVTCDTaskList *taskList, QWidget *parent) override;
    QWidget *taskEditViewController(KNVTCDTask *task, Popover *popover) override;
    QDialog *taskEditWindowController(KNVTCDTask *task, QWidget *parent) override;
    std::unique_ptr<AuthenticationFailureWindow> authenticationFailureWindowController() override;
};

// What a task is given with.
struct TaskGiven
{
    QDateTime due{};
    QDateTime start{};
    QString list{};
    qint64 status = 2;
    QString notes{};
    bool archived = false;
    // A user's name; empty: me.
    QString assignee{};
    bool unassigned = false;
    bool completed = false;
    bool synced = false;
    // Tags by title, made when the library has none of that title yet.
    QStringList tags{};
    std::optional<qint64> orderIndex{};
    // A recurrence rule ("RRULE:FREQ=DAILY"); empty: the task does not repeat.
    QString repeats{};
};
struct ListGiven
{
    qint64 status = 2;
    bool archived = false;
    // Someone else's list: the owner's name, and my role (2 editor, knvt::test::NoRole none).
    QString owner{};
    qint64 myRole = 2;
    QStringList members{};
    bool synced = false;
};

struct AlertAnswer
{
    bool suppress = false;
    // Runs while the alert is up, after the event loop has run under it as it does under a real modal alert (what
    // the step queued before asking, its own save, has happened); the answer is given afterwards.
    std::function<void()> whileShown{};
    // Script: answered without an alert on screen; Pointer, Return, Escape: the real alert opens, modal, and the
    // user answers it with a click on the button, with Return or with Escape.
    knvt::ScriptedAlertPresenter::Input input = knvt::ScriptedAlertPresenter::Input::Script;
};

// A tray that is always there and is activated by the test.
class FakeTrayIcon : public TrayIcon
{
public:
    bool isAvailable() const override { return available; }
    void show(std::function<void()> activated, std::function<void()> newTask, std::function<void()>) override
    {
        m_activated = std::move(activated);
        m_newTask = std::move(newTask);
    }
    void hide() override {}
    void activate()
    {
        if (m_activated)
            m_activated();
    }
    // The tray menu's New Task.
    void chooseNewTask()
    {
        if (m_newTask)
            m_newTask();
    }
    bool available = true;

private:
    std::function<void()> m_activated;
    std::function<void()> m_newTask;
};

// The application as its user meets it: the real application delegate and main window over a library in the test
// process's own data folder, a clock that stands still, alerts answered from the script, and the beeper, badge,
// browser, tray and the editors' windows recorded. Steps read as the user would say them:
//   given...  what the library holds and what the defaults say (before or after the start);
//   do...     what the user does, by the names the user sees (rows by title, home entries by name), through the
//             input a user has: clicks at the rows the lists paint, keys sent to the focused widget, menus opened
//             from the menu bar or by a right click and their entries clicked (the application validates them as
//             they open), the toolbar's buttons clicked;
//   see...    what the user sees: rows as text lines, menus as lines, alerts asked, beeps, the badge.
// The application starts at the first step that needs it.
class AppDriver
{
public:
    AppDriver();
    ~AppDriver();
    AppDriver(const AppDriver &) = delete;
    AppDriver &operator=(const AppDriver &) = delete;

    // Wednesday 4 March 2015, noon, New York.
    static QDateTime defaultNow();

    // ---- given ---------------------------------------------------------------------------------------------------
    using TaskGiven = knvt::features::TaskGiven;
    using ListGiven = knvt::features::ListGiven;
    KNVTCDTask *givenTask(const QString &title, const TaskGiven &given = {});
    KNVTCDTaskList *givenProject(const QString &title, const ListGiven &given = {});
    KNVTCDTaskList *givenArea(const QString &title, const ListGiven &given = {});
    KNVTCDTaskList *givenSharedProject(const QString &title, const ListGiven &given);
    KNVTCDUser *givenUser(const QString &name);
    void givenDefault(const QString &key, const QVariant &value);
    void givenNow(const QDateTime &now);
    // The running application's clock moves on to `time`: the store's alarm rings when it was set for then or before,
    // as the real one does.
    void givenTheClockReaches(const QDateTime &time);
    // A sync removes the object: it goes in another context of the library, and the application takes the change in.
    void givenRemovedBySync(KNVTCDTaskStoreObject *object);
    // Starts the application (the first do or see step does it too).
    void launch();
    // Quits through the normal path and starts again on the same library.
    void relaunch();
    // Quits through the normal path and lets the library go, as the end of the process does; another process may open
    // it meanwhile. The next step that needs the application starts it again on the same library.
    void endProcess();

    // ---- do ------------------------------------------------------------------------------------------------------
    // A click on the home entry, which takes the keyboard focus with it.
    void selectHome(const QString &name);
    // Several entries of the home list at once (tags): a click on the first, Control-clicks on the others.
    void selectHomeEntries(std::initializer_list<QString> names);
    // A mouse click on a home entry, with Control or Shift held where given.
    void clickHomeEntry(const QString &name, Qt::KeyboardModifiers modifiers = {});
    // The names of the home entries selected, top to bottom.
    QStringList selectedHomeEntries();
    // Clicks the first row and Control-clicks the others, each wheeled into view first; the centre list takes the
    // keyboard focus. No titles: Tab to the list, then Ctrl+Shift+A, which selects nothing.
    void selectRows(std::initializer_list<QString> titles);
    // Clicks the row of that title that says `words` above its title, where rows of one title stand side by side.
    void selectRowSaying(const QString &title, const QString &words);
    // A click in the centre list below its last row, where no row is painted.
    void clickBelowTheRows();
    // Clicks the selected home entry: the home list takes the keyboard focus and keeps its selection.
    void clickIntoHomeList();
    // Double-clicks the home entry.
    void doubleClickHomeEntry(const QString &name);
    // Clicks the disclosure control of a home section ("AREAS"), which collapses or expands it.
    void clickHomeDisclosure(const QString &section);
    void clickCheckBox(const QString &title);
    // Two clicks on the row's box in quick succession, which the application takes as a double click.
    void doubleClickCheckBox(const QString &title);
    // A key sequence ("Ctrl+T") pressed in the focused widget of the main window.
    void press(const QString &keys);
    // The same, without a pass of the event loop first: what the previous step left for a later pass (a save) is
    // still waiting when the keys arrive, as when they follow each other quickly.
    void pressAtOnce(const QString &keys);
    void typeInSearch(const QString &text);
    void clickToolbar(const QString &name);
    // The toolbar button's press action, as a screen reader carries it out: no key and no click.
    void pressToolbarAsAReaderDoes(const QString &name);
    void doubleClickToolbar(const QString &name);
    // Selects the row (clicking it) and right-clicks it: the centre list's context menu opens.
    void openContextMenu(const QString &title);
    // The same for a selection of several rows, right-clicking the first.
    void openContextMenu(std::initializer_list<QString> titles);
    // Right-clicks the home entry: its context menu opens (or none).
    void openHomeContextMenu(const QString &name);
    // Clicks an entry of the menu open now ("Mark", "As Completed": a submenu's entry opens it first); the menu closes.
    // A disabled entry does nothing, and the menus are closed by a click beside them.
    void choose(std::initializer_list<QString> path);
    // Opens the menu bar's menu and clicks the item (found in the menu or in one of its submenus).
    void chooseMenu(const QString &menu, const QString &item);
    // Closes every open menu with a click beside it.
    void closeMenus();
    // Escape in the sheet in front of the main window, which closes it without saving.
    void dismissSheet();
    // The tray menu's New Task.
    void chooseNewTaskFromTray();
    // Clicks the home list's add button and the entry of its menu ("New Tag").
    void chooseFromAddButton(const QString &item);
    // Minimises the main window.
    void minimiseMainWindow();
    // What a drag carries is what the dragged view writes for its rows; the drop is handed to the target view's
    // drop handling at the row or header it lands on. (Offscreen, Qt cannot run a drag of its own; the x11 scenarios
    // drag with the real mouse.)
    struct Drag
    {
        AppDriver &driver;
        std::shared_ptr<QMimeData> mime;
        bool fromThisProcess = true;
        // Drops onto the home entry of that name, or the section header of that text ("PROJECTS"); answers whether
        // the drop was taken.
        bool onto(const QString &homeName);
        // Drops between the rows of the home section of that header ("PROJECTS"), before its row `position`.
        bool intoHomeSection(const QString &section, int position);
        // Drops into the centre outline list's section at `position` (-1: onto the section itself), as the list
        // validates and retargets it; answers whether the drop was taken.
        bool ontoSection(const QString &section, int position = -1);
        // Drops onto the centre list's row of that title.
        bool ontoRow(const QString &title);
    };
    Drag dragRows(std::initializer_list<QString> titles);
    // Drags entries of the home list (projects, areas) by their names.
    Drag dragHomeEntries(std::initializer_list<QString> names);
    using AlertAnswer = knvt::features::AlertAnswer;
    void answerAlert(const QString &button, const AlertAnswer &answer = {});
    void closeMainWindow();
    // Alt+F4, or the close button of the title bar: the window manager closes the window in front.
    void closeFrontWindow();
    // A click on the window's title bar: it comes to the front, the keyboard where it was in it.
    void bringToFront(QWidget *window);
    // The window manager's close button of the shown window of that title ("New Task", a task's title), which brings
    // the window forward as it is pressed.
    void closeByTheWindowButton(const QString &title);
    void activateTray();
    void quit();
    // Lets deferred work (saves, reselection) run.
    void settle();
    // Deletes what the application let go of with deleteLater(), as the running event loop does once an input is
    // handled: settle() outside a running loop never does.
    void deleteWhatWasLetGo();
    // The sync sessions that ended (finished, failed or cancelled) since the driver was made. A step that starts a
    // sync waits for this count to pass what it was before, an outcome that lasts, and never for isSyncing(): the
    // session turns it on and off again, possibly between two looks, and only after a moment's delay.
    int syncsEnded() const;

    // ---- hot keys and the shortcut recorder ---------------------------------------------------------------------
    // Before the start: global hot keys on the X server the test runs under, with another program (a plain X
    // client) holding the focus, instead of the recorded stand-in.
    void useTheXServer();
    // Before the start: a Wayland session, whose desktop binds global shortcuts through its GlobalShortcuts portal.
    // The fake portal on the private session bus (tests inside scripts/with-keyring) stands for the desktop;
    // `withPortal` false: a desktop without one.
    void useTheDesktopPortal(bool withPortal = true);
    knvt::test::FakeGlobalShortcutsPortal &desktop();
    // Waits until the desktop has answered what it was asked (the portal's version, a binding).
    void waitForTheDesktop();
    // A chord ("Ctrl+Shift+O") pressed while another program has the focus; with `holdMilliseconds` held down.
    void pressAnywhere(const QString &chord, int holdMilliseconds = 0);
    // Another program takes the chord for itself.
    void givenAnotherProgramHolds(const QString &chord);
    // Switches the X server's keyboard layout (setxkbmap).
    void switchKeyboardLayout(const QString &layout);
    void openPreferences();
    void closePreferences();
    void clickShortcutRecorder();
    // A chord typed while the recorder has the focus: on the X server as keys of the keyboard, else as Qt events.
    void typeInRecorder(const QString &chord);
    void clickRecorderRemoveButton();
    // Another program takes the focus, as when the user clicks into it; the application sees the change.
    void focusAnotherProgram();
    // Types the chord into the program that has the focus; true when that program received the keys.
    bool typeInAnotherProgram(const QString &chord);
    // Keys typed on the keyboard one after another ("Shift+B", "U", "SPCE"), reaching whichever window the X server
    // gives them to.
    void typeOnTheKeyboard(const QStringList &keys);
    // A click of the pointer at the middle of `widget` on the X server, which the window manager sees as well.
    void clickOnTheScreen(QWidget *widget);
    // `clicks` clicks in a row (2: a double click) at `point` of `widget` on the X server.
    void clickOnTheScreen(QWidget *widget, const QPoint &point, int clicks);
    // Alt+Tab typed on the keyboard, which the window manager takes: its switcher goes to the window that had the
    // keyboard before the one that has it.
    void switchWindowsOnTheKeyboard();

    // ---- see -----------------------------------------------------------------------------------------------------
    // "# Header", "[ ] Open", "[x] Completed", "[-] Cancelled".
    QStringList centreRows();
    // How many centre rows say `words` above their title.
    qsizetype centreRowsSaying(const QString &words);
    bool checkBoxEnabled(const QString &title);
    // The height of the centre list's row of that title.
    int centreRowHeight(const QString &title);
    // "FOCUS", "  Inbox (3)", "  Garden [shared]".
    QStringList homeRows();
    QString homeBadge(const QString &name);
    QString selectedHome();
    // The shown task's title, or the placeholder's text.
    QString rightPane();
    // Where the keyboard focus is: "home", "add" (the button under the home list), "list", "task", "search", "toolbar
    // <button>" ("toolbar New Task"), or "" for anywhere else.
    QString focusedPane();
    // The sync status line under the home list: "Syncing", "Synced <date>" or "" when it shows nothing.
    QString syncStatus();
    // The line under the home list about a window that waits for the user: its text and its button in brackets
    // ("“Incorrect Password” is waiting: [Answer]"), "" while it is hidden.
    QString waitingLine();
    // How many lines the sync status line's text takes as it is laid out under the home list, and whether all of them
    // lie inside the line; the line's tooltip, where a pointer resting on it shows the whole text.
    int syncStatusLines();
    bool syncStatusShowsWhole();
    QString syncStatusToolTip();
    bool toolbarEnabled(const QString &name);
    // The toolbar button's tooltip, then what a screen reader reads as its description.
    QStringList toolbarHelp(const QString &name);
    struct MenuItemState
    {
        QString title;
        QString shortcut;
        bool enabled = false;
        bool visible = false;
    };
    // The item as the menu bar's menu shows it when opened (and closed again).
    MenuItemState menuItem(const QString &menu, const QString &item);
    // The context menu open now as lines, each submenu opened to be read; empty when none is open.
    QStringList contextMenu();
    // The menu of the toolbar's Move button, opened with a click on the button, as lines like the context menu's;
    // `whileOpen` sees the menu before it closes again. Empty when the button is disabled.
    QStringList toolbarMoveMenu(const std::function<void(QMenu &)> &whileOpen = {});
    // ---- What a screen reader reads (QAccessible) ----
    // The centre list: "<name>" and, when it has one, ": <description>" ("Today: No Tasks").
    QString centreListAsRead();
    // Its rows top to bottom, a line a row: the row's name, "(checked)", "(not checked)" or "(mixed)" for its box,
    // " - <description>" when it has one, its actions in brackets.
    QStringList centreAsRead();
    // Does the action of that name of the centre row whose name begins with `row`, as a screen reader does.
    void doCentreRowAction(const QString &row, const QString &action);
    // The home list: "<name>" and its entries a line each, as the centre list's rows.
    QStringList homeAsRead();
    // The menu bar's menus as a screen reader finds them, a line a menu: "File: New Task, New Project, ..." (the
    // entries it can read: valid and named).
    QStringList menuBarAsRead();
    // The menu open now as a screen reader finds it: "<menu name>: <entry>, <entry>" with "(hidden)" after entries
    // it is told are not shown; empty when none is open.
    QString openMenuAsRead();
    // What a screen reader cannot read in the main window (knvt::test::AccessibleTreeAudit), a line a problem.
    QStringList mainWindowUnreadable();
    // "<title> / <message> [<buttons>]" of every alert asked so far.
    QStringList alertsShown();
    int beeps() const;
    // The last badge count set, or -1 before any.
    qint64 badge() const;
    // The object names of the visible top-level windows, sorted.
    QStringList openWindows();
    QString windowTitle();
    QString printedPdfText();
    QVariant defaults(const QString &key);
    // The new-task windows the application keeps open.
    int newTaskWindows();
    // The newest new-task window is the active window and its title field has the keyboard focus.
    bool newTaskWindowHasTitleFocus();
    QString recorderFace();
    bool preferencesSayGlobalShortcutsNeedX11();
    // The line under the recorder about the global key, as shown: why there is none, or what the desktop made of the
    // recorded shortcut; "" when none shows.
    QString preferencesGlobalShortcutLine();
    // No program holds the chord: nothing of this one is left on the key.
    bool chordIsFree(const QString &chord);
    // The number the quick-entry hot key is registered under now.
    quint32 quickEntryHotKeyNumber();
    KNVTShortcutRecorderControl *shortcutRecorder();
    knvt::test::FakeHotKeyBackend *fakeHotKeys() { return m_fakeHotKeys.get(); }
    // What the editors' and account windows were opened with.
    QStringList windowsOpened() const { return m_windows.opened; }

    // ---- Editors: the task detail, task windows, forms, sheets and popovers ----------------------------------------
    // Every step acts on the front editor: the innermost open popover, else the open sheet, else the active window.
    // The editors' delayed saves wait for wait(): it moves the clock and runs the saves that come due.
    void wait(double seconds);
    // The rows of the task detail in the right pane, or in the window of the task `inTaskWindow`, one line each:
    // "title [ ] Renew passport (tint red)", "list Travel", "header Dates", "due Tue, Mar 03, 2015 (red)",
    // "notes ...", "people Maria Mendes (me), Ann Lee", "comment Ann Lee: ...", "my comment Maria Mendes: ...".
    QStringList detailRows(const QString &inTaskWindow = QString());
    void clickDetailCheckBox(const QString &inTaskWindow = QString());
    // The Edit or Delete button of my comment with that text in the detail of the right pane.
    void clickDetailCommentButton(const QString &comment, const QString &button);
    // The same button double-clicked: a click, then the second click of a double click at the same place.
    void doubleClickDetailCommentButton(const QString &comment, const QString &button);
    // The rows' model of the detail in the right pane: a rebuild resets it.
    QAbstractItemModel *detailModel();
    // Narrows or widens the main window, so that the detail lays its rows out again.
    void resizeMainWindow(int width, int height);
    // The detail's scroll position, and scrolling it by the wheel to `position` or the first notch past it.
    int detailScrollPosition();
    void scrollDetailTo(int position);
    int detailRowHeight(const QString &kind);
    void doubleClickRow(const QString &title);
    // ---- Lists that keep their place (list models) ----
    // A click on the centre row of `title`, clear of its box (Ctrl or Shift to add to the selection).
    void clickRow(const QString &title, Qt::KeyboardModifiers modifiers = {});
    // The titles of the selected centre rows, in row order.
    QStringList selectedRowTitles();
    // The selected row the keyboard is on lies wholly inside the centre list's visible part.
    bool selectedRowIsInView();
    // The centre list's scroll position, and scrolling it by the wheel to `position` or the first notch past it.
    int centreScrollPosition();
    void scrollCentreTo(int position);
    // The heading shown above a list opened from another list; empty while none shows.
    QString listHeading();
    // The toolbar button of the task's window ("Today", "Assign", "Comment", "Edit", "Done").
    void pressInTaskWindow(const QString &task, const QString &button);
    // The Edit command of the main window (Return on the task's row) while the task's window is open: the task's
    // window comes to the front with its edit sheet.
    void editFromMainWindowWhileTaskWindowIsOpen(const QString &task);
    // A key sequence ("Ctrl+Backspace") pressed in the window of the task.
    void pressKeysInTaskWindow(const QString &task, const QString &keys);
    // In the front editor, by the fields' names ("titleTextField", "statusPopUpButton", "dueDateCheckBoxButton").
    // Text goes into a field after a click into it (unless it has the keyboard) and End, after what it holds; a
    // pop-up and a calendar take the keyboard by Tab.
    void typeIn(const QString &field, const QString &text);
    // Replaces what the field holds: a click into it, Ctrl+A and the text typed (nothing: the field emptied).
    void typeOver(const QString &field, const QString &text);
    void choosePopUp(const QString &popUp, const QString &item);
    void tick(const QString &checkBox, bool on = true);
    void setPriority(int level);
    void addToken(const QString &field, const QString &text);
    // A click into the token field where its typing shows, then Backspace, which takes its last token away.
    void removeLastToken(const QString &field);
    // The names a screen reader reads for the tokens of the field, in order.
    QStringList tokensAsRead(const QString &field);
    void pressReturn(const QString &field = QStringLiteral("titleTextField"));
    void pressCtrlReturn(const QString &field = QStringLiteral("commentTextView"));
    void clickButton(const QString &name);
    // Picks a day in the open calendar popover: Tab to the calendar, then the arrow keys.
    void pickDay(const QDate &day);
    // A click with the mouse on `day` in the front calendar, which shows its month.
    void clickDay(const QDate &day);
    void detachPopover();
    // Closes the front popover, as Escape does.
    void closePopover();
    // Return (Edit) and Ctrl+I (Get Info) on the home entry chosen with a click: its sheet over the main window.
    void editHomeEntry(const QString &name);
    void viewHomeEntry(const QString &name);
    // File > New Tag.
    void openNewTagSheet();
    // The rename sheet of a tag: Return on the tag in the home list.
    void openRenameTagSheet(const QString &tag);
    // A sync pull changes the object: `change` edits it in another context of the library, which is saved there, and
    // the application takes the change in, as a merge of the sync does.
    void givenChangedBySync(KNVTCDTaskStoreObject *object, const std::function<void(KNVTCDTaskStoreObject &)> &change);
    // Text typed as keys into whatever widget has the keyboard focus.
    void typeWhereTheFocusIs(const QString &text);
    // Keys ("G", "Down", "Ctrl+Alt+E") typed one after another, each going where the application's keyboard is when
    // it comes (a keyboard grab, an open pop-up, the control with the focus in the active window, nothing when the
    // application has none), as a window system delivers them to a fast typist: the application handles its events
    // once they are all in, and a window the window system activated between two keys gets the next one.
    void typeKeyByKey(const QStringList &keys);
    // The letters of `text` as keys for typeKeyByKey().
    static QStringList keysOf(const QString &text);
    // What dragging rows of the open information window's table carries.
    std::shared_ptr<QMimeData> dragInfoRows(const QList<int> &rows);
    // Every open popover, sheet and editor window: "<name> '<title>' <width>x<height>", the popover by its content.
    QStringList openEditors();
    // The text of a named field (a date field as "2015-03-04T00:00:00"), the selected item of a pop-up, what a
    // shortcut recorder's face reads, "ticked" or "not ticked" for a check box, what a control that says itself what it
    // holds holds (the people chosen in the sharing settings), or the items of a pop-up of the front editor.
    QString fieldText(const QString &field);
    QStringList popUpItems(const QString &popUp);
    // The text a field shows, as typed or as the field wrote it (a date field's day in the locale's short format).
    QString shownText(const QString &field);
    // What a screen reader says of a control besides its name (a refused date's reason), "" when nothing.
    QString descriptionAsRead(const QString &control);
    bool isEnabled(const QString &control);
    bool isChecked(const QString &checkBox);
    bool hasFocus(const QString &control);
    QWidget *frontEditor();
    knvt::test::FakeSaveScheduler &saves() { return m_saves; }

    // ---- Editors by keyboard and screen reader -------------------------------------------------------------------
    // Keys ("Tab", "Shift+Tab", "Space", "Escape") pressed where the keyboard focus is, in whatever window has it.
    void pressWhereTheFocusIs(const QString &keys);
    // Tab until the screen reader reads `control` in the front editor, as a user listens for it; false after a round
    // without it.
    bool tabTo(const QString &control);
    // F6 until the keyboard is in the pane (as focusedPane() names it); false after a round without it.
    bool paneTo(const QString &pane);
    // The object name of the control with the keyboard focus (a token field's and a calendar's own name for their
    // inner parts), "" when nothing has it.
    QString focusedControl();
    // What a screen reader reads of the front editor's window and of the control with the focus: "<role> <name>".
    QString focusAsRead();
    // The detail of the right pane as a screen reader reads it, a line a row: its name, then "(checked)",
    // "(not checked)" or "(mixed)" for a check box, then its actions in brackets.
    QStringList detailAsRead();
    // Does the action of that name of the detail row whose name begins with `row`, as a screen reader does.
    void doDetailRowAction(const QString &row, const QString &action);
    // The action ("Toggle", "Press") of a control of the front editor, and text put at the end of a field, through its
    // accessible interface, as a screen reader or a voice control does: no key and no click.
    void doActionAsAReaderDoes(const QString &control, const QString &action);
    void insertTextAsAReaderDoes(const QString &field, const QString &text);

    // ---- Accounts, people, sharing and preferences --------------------------------------------------------------------
    // The sync service, a fake started on first use; the application talks to it from then on. Passwords live in an
    // in-memory keychain throughout.
    knvt::test::FakeSyncService &service();
    // Before the start: signed in as `username` (user 42, account 7) with that password, automatic sync as given.
    void givenSignedIn(const QString &username = QStringLiteral("ann"),
                       const QString &password = QStringLiteral("secret1"), bool autoSync = false);
    // A person who invited me (status 2) or whom I know otherwise.
    KNVTCDUser *givenPerson(const QString &name, qint64 friendshipStatus);
    // The picture the next picture chooser picks.
    void givenPictureFile(const QString &path) { m_pictures.choose(path); }
    // Lets the service's answers arrive and their handling run (up to 5 s).
    void waitForService(const std::function<bool()> &done);
    void choosePreferencePane(const QString &name);
    // The Account pane shown: "sign in", "signed in" or "password refused".
    QString accountPane();
    // The message line of the front form or sheet, empty when hidden.
    QString messageLine();
    QString storedPassword(const QString &username);
    // The sync switch of the Account pane, moved as with the mouse.
    void switchSync(bool on);
    // The sync switch and the Sync Now button of the Account pane shown.
    bool syncSwitchIsOn();
    bool syncNowIsEnabled();
    void openPeopleWindow();
    void choosePeopleGroup(const QString &name);
    // The people shown, by full name.
    QStringList peopleRows();
    QString peopleFooter();
    void choosePerson(const QString &name);
    // The detail of the chosen person: "header <name>", "group Projects", "list Garden", "invite", "invited",
    // "accept or decline".
    QStringList personDetail();
    // "Invite", "Accept" or "Decline" in the detail of the chosen person.
    void clickPersonButton(const QString &button);
    void openNotifications();
    // "# Friendship Invites", "Ann Lee", "Garden".
    QStringList notificationRows();
    void answerNotification(const QString &title, const QString &button);
    // The sharing settings of the project or area of that name, from the home list.
    void shareList(const QString &title);
    // "Ben Berg (ben)|Accepted|Editor" per row of the open sharing settings.
    QStringList sharingRows();
    // Ticks or unticks a person in the sharing settings' popover of people with a click on the box of their row,
    // opening the popover first with Choose People... when needed.
    void tickInPeoplePopover(const QString &name, bool on);
    // Drags the person of that name out of the people window onto the sharing settings' table.
    bool dropPersonOnSharingTable(const QString &name);
    // Keys ("Tab", "Space", "Escape") and text typed where the focus is in the sharing settings or their popover of
    // people; the accessible name of the control the focus is on.
    void pressInSharingSettings(const QString &keys);
    void typeInSharingSettings(const QString &text);
    QString focusedInSharingSettings();
    // A click into the password field of the Incorrect Password window, which a refused sync opened without the
    // keyboard: the user goes to it, and it has the keyboard, modal, from then on.
    void goToThePasswordWindow();
    // ---- Accounts: the keyring and the service's address (AppDriverAccounts.cpp) ----
    // From now on the keyring refuses to store passwords or hand them out, as a locked one does.
    void givenTheKeyringRefuses();
    // The sync service is configured at `address` (as KNVT_SYNC_API_URL would set it) instead of the fake's.
    void givenSyncServiceAddress(const QString &address);

    // ---- Access for checks the steps do not cover ------------------------------------------------------------------
    KNVTTaskStore &store();
    // The task of that title the user still has (neither removed nor marked deleted), or null.
    KNVTCDTask *taskTitled(const QString &title);
    knvt::test::LibraryBuilder &build();
    KNVTTasksAppDelegate &app();
    KNVTMainWindowController &mainWindow();
    KNVTTaskStoreItemsTableViewController *centreList();
    // The centre list whatever its kind (table or outline), and its view.
    KNVTTaskStoreItemsViewController *centreItems();
    QAbstractItemView *centreView();
    knvt::ScriptedAlertPresenter &alerts() { return m_alerts; }
    FakeTrayIcon &tray() { return m_tray; }
    RecordingBadgeSink &badgeSink() { return m_badge; }
    // Saves what the givens made.
    void saveGivens();

    // ---- The ways a user reaches a place, which the steps take rather than putting the place within reach ---------
    // The mouse wheel over `view` until the row of `index` shows, whole where it fits.
    static void wheelIntoView(QAbstractItemView *view, const QModelIndex &index);
    // The wheel over `area` until its scroll position reaches `position`, or the first notch past it.
    static void wheelTo(QAbstractScrollArea *area, int position);
    // Tab in the widget's window until `widget` (or a part of it) has the keyboard; the step fails when a round of
    // Tab does not reach it.
    void tabInto(QWidget *widget);
    // A click at `point` of `widget`; the step fails when the widget does not show there (hidden, or covered by
    // another widget of its window).
    static void clickWhereItShows(QWidget *widget, const QPoint &point);

private:
    void makeStore();
    void stopService();
    void ensureLaunched();
    KNVTCDTaskList *listNamed(const QString &title);
    KNVTCDUser *userNamed(const QString &name);
    // Makes `window` the active one, as a click into it does, and waits until the application has taken that in (the
    // window system's events still due, such as the activation of a menu that has closed since, come first). An open
    // menu or transient popover keeps the keyboard, and a window behind a sheet cannot take it: then the window is
    // only asked once and false returned.
    bool giveKeyboardTo(QWidget *window);
    // The widget with the keyboard focus, once the application has an active window that shows: when a closed menu
    // left none, the last window that had the keyboard (else frontEditor()'s) is given it first.
    QWidget *focusedWidget();
    // The first centre row of that title, and that says `saying` above it where given.
    int rowOfTitle(const QString &title, const QString &saying = {});
    // The middle of the completion box of the centre row of that title, in the view's viewport, scrolled into view.
    QPoint checkBoxPoint(const QString &title);
    // A point in the row of that title (saying `saying` above it) clear of its buttons, in the centre view's viewport.
    QPoint pointInRow(const QString &title, const QString &saying = {});
    // Opens the menu bar's menu by clicking its title.
    QMenu *openMenuBarMenu(const QString &title);
    // The home entry shown as `name`; homeIndex() also fails the test when there is none.
    QModelIndex findHomeIndex(const QString &name);
    QModelIndex homeIndex(const QString &name);

    knvt::test::FakeClock m_clock;
    // The application's sync hears of no network change of the machine it runs on: only a scenario changes it.
    knvt::FakeReachability m_network;
    knvt::test::FakeSaveScheduler m_saves;
    knvt::ScriptedAlertPresenter m_alerts;
    knvt::test::CountingBeeper m_beeper;
    knvt::test::RecordingUrlOpener m_urlOpener;
    RecordingBadgeSink m_badge;
    RecordingWindowFactory m_windows;
    FakeTrayIcon m_tray;
    knvt::test::ScopedInMemoryKeychain m_keychain;
    knvt::test::ChosenFileImagePicker m_pictures;
    std::unique_ptr<knvt::test::FakeSyncService> m_service;
    std::unique_ptr<class AppDriverStore> m_store;
    std::unique_ptr<KNVTTasksAppDelegate> m_app;
    QPointer<QMenu> m_menu;
    std::unique_ptr<knvt::test::FakeHotKeyBackend> m_fakeHotKeys;
    std::unique_ptr<knvt::X11KeyboardLayout> m_keyboard;
    std::unique_ptr<knvt::X11HotKeyBackend> m_x11HotKeys;
    std::unique_ptr<knvt::test::OtherXClient> m_otherProgram;
    std::unique_ptr<knvt::test::FakeGlobalShortcutsPortal> m_desktop;
    std::unique_ptr<knvt::HotKeyBackendSelector> m_hotKeySelector;
    int m_activations = 0;
    std::unique_ptr<KNVTKeyboardShortcutManager> m_shortcutManager;
    bool m_launched = false;
    // The last window of the application that had the keyboard: the one keys are meant for when a closed menu or
    // popover left no active window behind.
    QObject m_focusWatch;
    QPointer<QWidget> m_keyboardWindow;
    std::unique_ptr<knvt::test::NotificationRecorder> m_syncEnds;
};

} // namespace knvt::features
