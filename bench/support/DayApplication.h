#pragma once

// The application as a user runs it through a day, for the benchmarks of memory over time: the real application
// delegate and main window, offscreen, on a library of their own, signed in to the fake sync service, which runs in
// a process of its own (knvt_day_service) so that only the client's memory is measured. Deleting asks once; the
// answer's box keeps it from asking again. Steps act as the user does: clicks where rows and buttons paint, keys sent
// to the focused widget, the menu bar's entries triggered; each answers whether it reached what it was for, and
// why() says what went wrong.

#include "app/BadgeSink.h"
#include "app/TrayIcon.h"

#include "foundation/NotificationCenter.h"

#include "uikit/AlertPresenter.h"

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <memory>

class KNVTMainWindowController;
class KNVTTaskStore;
class KNVTTasksAppDelegate;
class QModelIndex;
class QWidget;

namespace knvt {
class Defaults;
class InMemoryKeychain;
} // namespace knvt

namespace knvt::bench {

// Resident and heap figures of this process, in megabytes.
double residentMegabytes();
// The resident size split: memory of the process's own (heap, stacks, caches; RssAnon), and pages of mapped files
// (the program's libraries, font files; RssFile) and of shared memory (RssShmem), which the system can drop and read
// again or other processes hold too.
double anonymousResidentMegabytes();
double fileResidentMegabytes();
// What the program holds on the heap now (handed out and not freed), free pages left out.
double heapMegabytes();

// Runs the event loop until `done` answers true; false after `seconds`.
bool turnUntil(const std::function<bool()> &done, double seconds);
// Runs the event loop for `seconds`, as it runs while the user does nothing.
void idle(double seconds);

class DayApplication
{
public:
    struct Options
    {
        // Tasks in the Inbox on the service besides the few dozen of its lists, all of which the first sync pulls.
        int inboxTasks = 0;
        // A user's library of that many tasks on the service besides (see DayServiceProcess.cpp), which the first
        // sync pulls.
        int tasks = 0;
        // A library of its own instead, opened as it is and not signed in.
        QString library{};
    };
    explicit DayApplication(const Options &options);
    ~DayApplication();
    DayApplication(const DayApplication &) = delete;
    DayApplication &operator=(const DayApplication &) = delete;

    // Whether the application started (and its first sync pulled the service's lists); else why() says what failed.
    bool ready() const { return m_ready; }
    const QString &why() const { return m_why; }

    KNVTTaskStore &store();
    KNVTMainWindowController &window();
    // The sync sessions that ended so far.
    int syncsEnded() const { return m_syncsEnded; }
    // Sends a command to the service (see DayServiceProcess.cpp) and waits until it has been carried out.
    bool tellService(const QString &command);

    // ---- What the user does ----
    bool clickHome(const QString &name);
    // The entry `n` rows down the Projects section of the home list, counting round past its last.
    bool clickProject(int n);
    // A new task in the list shown, made with Ctrl+N and its title typed.
    bool makeTask(const QString &title);
    // The task's notes, through its edit popover: Edit in the toolbar, the notes typed after what they hold, Save.
    bool editNotes(const QString &title, const QString &notes);
    bool openAndCloseTaskWindow(const QString &title);
    // The title of the task row `n` rows down the list shown, counting round past its last; empty when it shows none.
    QString taskRowTitle(int n);
    bool complete(const QString &title);
    // The text typed into the search field until the results show, then selected and deleted.
    bool searchAndClear(const QString &text);
    bool search(const QString &text);
    bool clearSearch();
    bool openAndClosePeople();
    bool openAndClosePreferences();
    // The toolbar's Sync, until the session ends.
    bool sync();
    bool deleteTask(const QString &title);

private:
    class Answers;
    struct Parts;

    bool signIn(const Options &options);
    bool fail(const QString &why);
    bool clickHomeAt(const QModelIndex &index);
    bool clickRow(const QString &title, bool twice = false);
    int rowOf(const QString &title);
    bool clickToolbar(const QString &name);
    bool pressInMainWindow(const QString &keys);
    QWidget *shownPopoverChild(const char *name);
    bool waitForTask(const QString &title, const std::function<bool(const QString &)> &done);

    std::unique_ptr<Parts> m_parts;
    bool m_ready = false;
    QString m_why;
    int m_syncsEnded = 0;
};

} // namespace knvt::bench
