#pragma once

class KNVTFileWatcher;

// Told that the watched item was written to, had its attributes or links changed, or was deleted; not what.
class KNVTFileWatcherDelegate
{
public:
    virtual ~KNVTFileWatcherDelegate() = default;
    virtual void fileWatcherDidDetectActivity(KNVTFileWatcher *watcher) = 0;
};
