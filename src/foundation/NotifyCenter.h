#pragma once

#include "foundation/Error.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>

#include <functional>
#include <map>

class QSocketNotifier;

namespace knvt {

inline constexpr char NSPOSIXErrorDomain[] = "NSPOSIXErrorDomain";

// Names posted between the processes of one user: a post reaches every observer of the name in every process, the
// posting process included. Nothing but the name travels.
//
// A post rewrites the file <runtime folder>/quillvane-notify/<name> (the runtime folder is $XDG_RUNTIME_DIR); a
// centre watches that folder with one inotify watch and calls the observers of each name whose file was written.
// Posts of the same name arriving within 50 ms are delivered once, so a burst of saves costs one refresh.
//
// A centre belongs to the thread that made it: its observers are called there, from that thread's event loop, and it
// must be used and destroyed there.
class NotifyCenter : public QObject
{
    Q_OBJECT

public:
    using Callback = std::function<void()>;

    explicit NotifyCenter(QObject *parent = nullptr);
    ~NotifyCenter() override;

    NotifyCenter(const NotifyCenter &) = delete;
    NotifyCenter &operator=(const NotifyCenter &) = delete;

    // Announces `name` to every observer of it. Refuses (EINVAL) an empty name and one containing "/", ".." or NUL,
    // since the name becomes a file name in the shared folder. Any thread.
    static bool post(const QString &name, Error *error = nullptr);

    // Calls `callback` after each post of `name` until removed. Returns a token for removeObserver, or 0 when the name
    // is refused or the folder cannot be watched. A callback may add and remove observers.
    int addObserver(const QString &name, Callback callback, Error *error = nullptr);
    void removeObserver(int token);

    // The shared folder, created with mode 0700 when missing; empty when it cannot be made private to this user.
    static QString folderPath(Error *error = nullptr);

private:
    struct Observer
    {
        QString name;
        Callback callback;
    };

    bool startWatching(Error *error);
    void readEvents();
    void deliver();

    int m_inotify = -1;
    QSocketNotifier *m_notifier = nullptr;
    QTimer m_coalescing;
    QSet<QString> m_pending;
    std::map<int, Observer> m_observers;
    int m_nextToken = 1;
};

} // namespace knvt
