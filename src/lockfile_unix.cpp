// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "lockfile_p.h"
#include "fileio_p.h"
#include "flock_p.h"

#include <QFile>

#include <algorithm>
#include <cerrno>

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

// The lock file lives in a folder every user may write to, so whatever stands at its
// path may have been put there by someone else: a link aimed at one of our files, a FIFO
// that would block us, a hard link to a file elsewhere. Only a regular file with one name
// that was opened without following links is used, and everything after the open goes
// through that descriptor, never through the path again. And since anyone may have created
// it, a file of another user is neither read nor written: its entries could be planted,
// and our entries would tell its owner which files we open.

namespace {


const mode_t ownerOnly = S_IRUSR | S_IWUSR;
const mode_t writableByOthers = S_IWGRP | S_IWOTH;

// A name with a NUL cannot stand in a folder; handed to a system call it would be cut
// short there and name another file.
bool isFileName(const QByteArray &path)
{
    return !path.contains('\0');
}

// Leaves in errno why the file is not writable, if it is not. A reader asks for no
// write access at all, so that its close tells no watcher of a write.
int openExisting(const QByteArray &path, bool *writable, bool readOnly = false)
{
    *writable = false;
    if (!isFileName(path)) {
        errno = ENOENT;
        return -1;
    }
    if (readOnly)
        return ::open(path.constData(), O_RDONLY | safeOpenFlags);
    int descriptor = ::open(path.constData(), O_RDWR | safeOpenFlags);
    *writable = descriptor >= 0;
    if (descriptor < 0 && (errno == EACCES || errno == EROFS)) {
        // A lock file we may only read still tells whether a file is listed.
        const int readOnlyReason = errno;
        descriptor = ::open(path.constData(), O_RDONLY | safeOpenFlags);
        if (descriptor >= 0)
            errno = readOnlyReason;
    }
    return descriptor;
}

int createExclusively(const QByteArray &path)
{
    if (!isFileName(path)) {
        errno = EINVAL;
        return -1;
    }
    // O_EXCL fails on anything at the path, a dangling link included, so nothing is
    // ever created through a link.
    return ::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | safeOpenFlags, ownerOnly);
}

// What stands at path itself, a link not followed; false with errno as lstat leaves it.
bool standsAt(const QByteArray &path, struct stat *status)
{
    if (!isFileName(path)) {
        errno = ENOENT;
        return false;
    }
    return ::lstat(path.constData(), status) == 0;
}

// "belongs to user alice", or "belongs to uid 1234" for a user without a name.
QString belongsTo(uid_t user)
{
    passwd entry;
    passwd *found = nullptr;
    char buffer[4096];
    if (::getpwuid_r(user, &entry, buffer, sizeof buffer, &found) == 0 && found)
        return QStringLiteral("belongs to user ") + QFile::decodeName(found->pw_name);
    return QStringLiteral("belongs to uid ") + QString::number(user);
}

QString largerThanMaximum()
{
    return QStringLiteral("larger than %1 MiB").arg(LockFileHandle::maximumSize / (1024 * 1024));
}

// Checks the file open at descriptor, which created tells whether we have just made,
// then locks and reads it into content. Says why it failed in error (a failed call) or
// in reason (the file itself).
LockFileHandle::Status checkLockAndRead(int descriptor, bool created, bool shared, QByteArray *content, QString *reason, int *error)
{
    struct stat status;
    if (::fstat(descriptor, &status) != 0) {
        *error = errno;
        return LockFileHandle::CannotOpen;
    }
    if (!S_ISREG(status.st_mode) || status.st_nlink != 1) {
        *reason = S_ISREG(status.st_mode) ? QStringLiteral("has more than one name") : QStringLiteral("is not a regular file");
        return LockFileHandle::CannotOpen;
    }
    // By owner, not by permission: root may write anyone's file.
    if (status.st_uid != ::geteuid()) {
        *reason = belongsTo(status.st_uid);
        return LockFileHandle::Refused;
    }
    // Our own file, but others could have rewritten it (or, had we created it, the
    // umask could have cut our own permissions).
    const mode_t permissions = status.st_mode & 07777;
    const mode_t wanted = created ? ownerOnly : permissions & ~writableByOthers;
    if (!shared && permissions != wanted && ::fchmod(descriptor, wanted) != 0 && errno != EROFS) {
        *error = errno;
        return LockFileHandle::CannotOpen;
    }
    // Before the lock is taken: reading a huge file would keep every other process
    // waiting for it.
    if (status.st_size > LockFileHandle::maximumSize) {
        *reason = QStringLiteral("is ") + largerThanMaximum();
        return LockFileHandle::Refused;
    }
    // Only the user's own processes write the file, and each of them is served in turn.
    if (!(shared ? lockShared(descriptor) : lockExclusivelyWhileWritten(descriptor))) {
        if (errno != EWOULDBLOCK) {
            *error = errno;
            return LockFileHandle::CannotOpen;
        }
        *reason = QStringLiteral("is held by another process");
        return LockFileHandle::Refused;
    }
    // Room for the line a lock adds, so that adding it copies nothing.
    const qint64 limit = LockFileHandle::maximumSize + 1;
    content->reserve(int(std::min<qint64>(status.st_size + 4096, limit)));
    if (!readRegularFile(descriptor, status.st_size, limit, content)) {
        *error = errno;
        return LockFileHandle::CannotOpen;
    }
    if (content->size() > LockFileHandle::maximumSize) {
        *reason = QStringLiteral("is ") + largerThanMaximum();
        return LockFileHandle::Refused;
    }
    return LockFileHandle::Open;
}

} // namespace

LockFileHandle::Status LockFileHandle::openAndLock(const QString &path, OpenMode mode)
{
    const QByteArray nativePath = QFile::encodeName(path);
    const bool shared = mode == ReadShared;
    m_descriptor = openExisting(nativePath, &m_writable, shared);
    m_error = m_writable || (shared && m_descriptor >= 0) ? 0 : errno;
    struct stat status;
    // An open may fail for want of descriptors or memory as well: whether anything stands
    // at the path tells a file that cannot be created from one that cannot be read. A
    // path that cannot even be looked up names no file either.
    const bool missing = m_descriptor < 0 && !standsAt(nativePath, &status);
    bool created = false;
    if (missing && mode == CreateIfMissing) {
        m_descriptor = createExclusively(nativePath);
        m_writable = created = m_descriptor >= 0;
        m_error = created ? 0 : errno;
        if (m_descriptor < 0 && m_error != EEXIST)
            return CannotCreate;
        // Another process created it first: share theirs.
        if (m_descriptor < 0) {
            m_descriptor = openExisting(nativePath, &m_writable);
            m_error = m_writable ? 0 : errno;
        }
    }
    if (m_descriptor < 0) {
        // Another user's file that we may not even open: say whose it is.
        if (m_error == EACCES && standsAt(nativePath, &status) && status.st_uid != ::geteuid()) {
            m_refusal = belongsTo(status.st_uid);
            return Refused;
        }
        return CannotOpen;
    }
    const Status opened = checkLockAndRead(m_descriptor, created, shared, &m_content, &m_refusal, &m_error);
    if (opened != Open) {
        ::close(m_descriptor);
        m_descriptor = -1;
        m_content.clear();
    }
    return opened;
}

bool LockFileHandle::replaceTail(qsizetype from, const QByteArray &tail)
{
    if (!m_writable)
        return false;
    // A file this large would be refused by every later call, and only deleting it by
    // hand would help; so it is not written.
    if (from + tail.size() > maximumSize) {
        m_refusal = QStringLiteral("would grow ") + largerThanMaximum();
        m_error = EFBIG;
        return false;
    }
    if (writeTail(m_descriptor, from, tail, m_content.size())) {
        m_content.truncate(int(from));
        m_content += tail;
        return true;
    }
    m_error = errno;
    // A full disk or a file size limit must not cost the other entries their locks. The
    // file may hold any part of tail now: write back what was there, and cut what it grew.
    writeTail(m_descriptor, from, m_content.mid(int(from)), from + tail.size());
    return false;
}

LockFileHandle::~LockFileHandle()
{
    // Closing the only descriptor of the open file also releases the flock.
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}
