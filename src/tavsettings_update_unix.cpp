// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "flock_p.h"
#include "tavsettings_p.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The lock file is made for its user alone, in the user's own configuration folder, and
// each process holds it for one write of the store. That write ends in two disk flushes,
// which on a busy machine take tens of milliseconds, so a few processes adding in a loop
// can keep one waiting for seconds.
// Wait as long as QSettings waits for its own lock before it declares that lock stale.
constexpr std::chrono::seconds updateLockWait{30};

int openLockFile(const QByteArray &path)
{
    // The file is only ever locked, never read or written. No link at the path is
    // followed (nor created through), and a FIFO cannot block the open.
    return ::open(path.constData(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
}

// A descriptor holding the exclusive flock on the update lock file of storeFile, or -1.
int lockUpdates(const QString &storeFile)
{
    const QByteArray path = QFile::encodeName(storeFile + QLatin1String(".update.lock"));
    int descriptor = openLockFile(path);
    // A user's first preference: QSettings creates the store's folder only when it writes.
    if (descriptor < 0 && errno == ENOENT && QDir().mkpath(QFileInfo(storeFile).absolutePath()))
        descriptor = openLockFile(path);
    if (descriptor < 0)
        return -1;
    struct stat status;
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode) || !lockExclusively(descriptor, updateLockWait)) {
        ::close(descriptor);
        return -1;
    }
    return descriptor;
}

// The modification time of the file at path in nanoseconds, or -1.
qint64 modifiedNsecs(const QByteArray &path)
{
    struct stat status;
    if (::stat(path.constData(), &status) != 0)
        return -1;
    return qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
}

// QSettings takes a file for unchanged while its size and its modification time in
// milliseconds are. Were an update to keep both, a process that had read the store just
// before would go on with the old content, and its next update would undo this one. So
// a write that landed in the millisecond of the one before (previous, in nanoseconds)
// has its time set again once that millisecond is over. Where file times advance in
// coarser steps than that, the very same time comes back and it takes a few rounds; the
// wait is bounded all the same. The time is never set ahead of the clock: a later write
// could then land on a time another process has already seen.
void moveModificationPast(const QByteArray &path, qint64 previous)
{
    const qint64 nsecsPerMsec = 1000000;
    for (int round = 0; round < 20; ++round) {
        const qint64 modified = modifiedNsecs(path);
        if (previous < 0 || modified < 0 || modified / nsecsPerMsec != previous / nsecsPerMsec)
            return;
        std::this_thread::sleep_for(std::chrono::nanoseconds(nsecsPerMsec - modified % nsecsPerMsec));
        ::utimensat(AT_FDCWD, path.constData(), nullptr, 0);
    }
}

} // namespace

TavSettingsUpdate::TavSettingsUpdate()
    // Without the lock (a store folder that cannot be written, or a process that holds the
    // lock for longer than any write takes) the change goes ahead unserialised, as it did
    // before the lock existed: at worst a concurrent change is lost, whereas refusing would
    // make the suite silently stop remembering files for as long as the lock is blocked.
    : m_lockDescriptor(lockUpdates(fileName()))
    , m_storePath(QFile::encodeName(fileName()))
{
    m_previousModification = modifiedNsecs(m_storePath);
    // The store was read before the lock was ours; take in what others wrote meanwhile.
    sync();
}

TavSettingsUpdate::~TavSettingsUpdate()
{
    sync();
    if (m_lockDescriptor >= 0) {
        moveModificationPast(m_storePath, m_previousModification);
        ::close(m_lockDescriptor);
    }
}
