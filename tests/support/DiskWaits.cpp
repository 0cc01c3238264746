#include "support/DiskWaits.h"

#include "support/DiskHold.h"

#include <QFileInfo>
#include <QMutex>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include <dlfcn.h>
#include <unistd.h>

namespace {

// Never destroyed: a thread of the program may wait for the disk at any time, also while the process ends.
struct Recording
{
    QMutex mutex;
    bool counting = false;
    std::thread::id thread;
    QStringList files;
};

Recording &recording()
{
    static auto *made = new Recording;
    return *made;
}

int passOn(const char *call, int descriptor)
{
    Recording &r = recording();
    QMutexLocker locker(&r.mutex);
    if (r.counting && std::this_thread::get_id() == r.thread) {
        char target[PATH_MAX] = {};
        const QByteArray link = "/proc/self/fd/" + QByteArray::number(descriptor);
        const ssize_t length = ::readlink(link.constData(), target, sizeof target - 1);
        r.files.append(QFileInfo(QString::fromLocal8Bit(target, qMax<ssize_t>(length, 0))).fileName());
    }
    locker.unlock();
    knvt::test::DiskHold::holdIfAsked();
    auto *next = reinterpret_cast<int (*)(int)>(::dlsym(RTLD_NEXT, call));
    if (!next) {
        std::fprintf(stderr, "DiskWaits: no %s to pass the call to\n", call);
        std::abort();
    }
    return next(descriptor);
}

} // namespace

// The process's own definitions come before the C library's for every library it loaded, Qt and SQLite included.
extern "C" int fsync(int descriptor)
{
    return passOn("fsync", descriptor);
}

extern "C" int fdatasync(int descriptor)
{
    return passOn("fdatasync", descriptor);
}

namespace knvt::test {

DiskWaits::DiskWaits()
{
    Recording &r = recording();
    const QMutexLocker locker(&r.mutex);
    if (r.counting) {
        std::fprintf(stderr, "DiskWaits: another one is counting\n");
        std::abort();
    }
    r.counting = true;
    r.thread = std::this_thread::get_id();
    r.files.clear();
}

DiskWaits::~DiskWaits()
{
    Recording &r = recording();
    const QMutexLocker locker(&r.mutex);
    r.counting = false;
}

int DiskWaits::count() const
{
    return int(files().size());
}

QStringList DiskWaits::files() const
{
    Recording &r = recording();
    const QMutexLocker locker(&r.mutex);
    return r.files;
}

} // namespace knvt::test
