// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "storesnapshot_p.h"
#include "fileio_p.h"
#include "tavsettings_p.h"

#include <QFile>
#include <QMutex>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Larger stores are not read: the suite's is a few kilobytes.
constexpr qint64 maximumStoreSize = 64 * 1024 * 1024;
constexpr qint64 nsecsPerMsec = 1000000;

// What this process last read of the store: what QSettings' cache may hold.
struct Seen {
    QByteArray content;
    off_t size = -1;
    qint64 modifiedMsecs = -1;
};

} // namespace

StoreSnapshot readStoreSnapshot()
{
    static QMutex mutex;
    static Seen seen;
    const QMutexLocker locker(&mutex);

    StoreSnapshot snapshot;
    const int descriptor = ::open(QFile::encodeName(storeFile()).constData(), O_RDONLY | safeOpenFlags);
    if (descriptor < 0) {
        snapshot.state = errno == ENOENT || errno == ENOTDIR ? StoreSnapshot::Missing : StoreSnapshot::Unreadable;
        seen = Seen();
        return snapshot;
    }
    struct stat status;
    QByteArray content;
    const bool read = ::fstat(descriptor, &status) == 0 && S_ISREG(status.st_mode) && status.st_size <= maximumStoreSize
        && readRegularFile(descriptor, status.st_size, maximumStoreSize + 1, &content) && content.size() <= maximumStoreSize;
    // Another writer (an editor, an older build) may have changed the content but kept both
    // the size and the millisecond that QSettings' cache compares; the time is then moved
    // on as the library's own writers do, and noted as it is now.
    const auto modifiedMsecs = [&status] { return qint64(status.st_mtim.tv_sec) * 1000 + status.st_mtim.tv_nsec / nsecsPerMsec; };
    if (read && content != seen.content && status.st_size == seen.size && modifiedMsecs() == seen.modifiedMsecs) {
        outdateStoreCaches();
        ::fstat(descriptor, &status);
    }
    ::close(descriptor);
    if (!read) {
        snapshot.state = StoreSnapshot::Unreadable;
        return snapshot;
    }
    seen = {content, status.st_size, modifiedMsecs()};
    snapshot.state = StoreSnapshot::Readable;
    snapshot.values = parseStoreText(content);
    return snapshot;
}
