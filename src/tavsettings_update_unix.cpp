// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "fileio_p.h"
#include "flock_p.h"
#include "tavsettings_p.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// QSettings fixes the location at its first use in a process, so asking it once is right
// for the life of the process. (Asking reads the store without the lock; the update that
// asks reads it again under the lock.)
const QString &storeFile()
{
    static const QString file = TavSettingsStore().fileName();
    return file;
}

namespace {

int openLockFile(const QByteArray &path)
{
    // The file is only ever locked, never read or written. No link at the path is
    // followed (nor created through), and a FIFO cannot block the open.
    return ::open(path.constData(), O_RDONLY | O_CREAT | safeOpenFlags, 0600);
}

using Clock = std::chrono::steady_clock;

// When this process last let go of the lock. Waiters poll for it, so a process that
// changes the store again at once would take it before any of them and, changing in a
// loop, starve them; it leaves them a few of their polls first.
std::atomic<Clock::time_point> lastRelease{Clock::time_point()};
constexpr std::chrono::milliseconds courtesy{3};

// A descriptor holding the exclusive flock on the update lock file of the store, or -1.
// The wait is the library's usual one: most changes come from the GUI thread, and a
// holder that keeps the lock for longer is stopped or hung rather than writing.
int lockUpdates()
{
    const QByteArray path = QFile::encodeName(storeFile() + QLatin1String(".update.lock"));
    int descriptor = openLockFile(path);
    // A user's first preference: QSettings creates the store's folder only when it writes.
    if (descriptor < 0 && errno == ENOENT && QDir().mkpath(QFileInfo(storeFile()).absolutePath()))
        descriptor = openLockFile(path);
    if (descriptor < 0)
        return -1;
    std::this_thread::sleep_until(lastRelease.load() + courtesy);
    struct stat status;
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) || !lockExclusively(descriptor)) {
        ::close(descriptor);
        return -1;
    }
    return descriptor;
}

constexpr qint64 nsecsPerMsec = 1000000;

// The store file's modification time in the milliseconds that QSettings compares, after
// moving it, where needed, to a millisecond after floor; file systems that keep coarser
// times get the next time they can hold. -1 when there is no store file; the time as it
// stands when no later one can be set.
qint64 modificationAfter(qint64 floor)
{
    const int descriptor = ::open(QFile::encodeName(storeFile()).constData(), O_RDONLY | safeOpenFlags);
    if (descriptor < 0)
        return -1;
    qint64 modified = -1;
    for (const qint64 step : {0, 1, 1000, 2000}) {
        const qint64 wanted = floor + step;
        const struct timespec times[2] = {{0, UTIME_OMIT}, {time_t(wanted / 1000), long(wanted % 1000 * nsecsPerMsec)}};
        struct stat status;
        if ((step > 0 && ::futimens(descriptor, times) != 0) || ::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode))
            break;
        modified = qint64(status.st_mtim.tv_sec) * 1000 + status.st_mtim.tv_nsec / nsecsPerMsec;
        if (modified > floor)
            break;
    }
    ::close(descriptor);
    return modified;
}

} // namespace

// QSettings takes its cached copy of a file for current while the file's size and
// modification time in milliseconds are those it noted, and it notes them after reading:
// a read that overlaps a save keeps the old content under the new file's marks. Nor do
// the file's marks differ for two saves of equal size in one millisecond. So, with the
// lock held and no store object of this update opened yet, the file's time is moved past
// every time it had before, which makes every cached copy in this process out of date;
// the store is then read (or, for a copy other objects hold open, read again) from the
// file that nobody else changes until the lock goes. The save that follows gets a time
// later still, so that the times of the file only ever grow from one update to the next.
TavSettingsUpdateLock::TavSettingsUpdateLock()
    // Without the lock (a store folder that cannot be written, or a holder that does not
    // let go) the change goes ahead unserialised, as it did before the lock existed: at
    // worst a concurrent change is lost, whereas refusing would make the suite silently
    // stop remembering files for as long as the lock is blocked.
    : m_lockDescriptor(lockUpdates())
    // Past the time the file has now, and so past every time it had.
    , m_readModification(modificationAfter(modificationAfter(-1)))
{
}

TavSettingsUpdateLock::~TavSettingsUpdateLock()
{
    if (m_lockDescriptor >= 0) {
        ::close(m_lockDescriptor);
        lastRelease = Clock::now();
    }
}

void TavSettingsUpdateLock::saved()
{
    modificationAfter(m_readModification);
}

void outdateStoreCaches()
{
    const TavSettingsUpdateLock moved;
}

TavSettingsUpdate::~TavSettingsUpdate()
{
    sync();
    saved();
}
