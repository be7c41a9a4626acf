// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "lockholder_p.h"
#include "fileio_p.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <mutex>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

// The records stand in the temporary folder, where anyone may have put anything: the
// folder is used only when it is a real folder of the user's own, every record is opened
// through it without following links, and a record of another user is never read.

namespace {

// A record lists what one process holds; more than this is no record of ours.
const qint64 maximumRecordSize = 16 * 1024 * 1024 + 65536;
// Bounds the work of one look at a folder that someone filled.
const int maximumRecords = 100000;

// The first bytes of a small file of the system, empty when it cannot be read.
QByteArray readSmall(int folder, const char *path)
{
    const int descriptor = ::openat(folder, path, O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (descriptor < 0)
        return QByteArray();
    QByteArray content(4096, Qt::Uninitialized);
    ssize_t count;
    do {
        count = ::read(descriptor, content.data(), size_t(content.size()));
    } while (count < 0 && errno == EINTR);
    ::close(descriptor);
    content.resize(count > 0 ? int(count) : 0);
    return content;
}

QByteArray readLink(const char *path)
{
    char target[4096];
    const ssize_t length = ::readlink(path, target, sizeof target);
    return length > 0 ? QByteArray(target, int(length)) : QByteArray();
}

// Field 22 of a /proc/<pid>/stat: the start time in clock ticks after boot. The command
// name in parentheses may hold blanks and parentheses of its own, so count after the last.
quint64 startTimeIn(const QByteArray &stat)
{
    const int end = stat.lastIndexOf(')');
    if (end < 0)
        return 0;
    // Field 3 follows the parenthesis; 22 is the twentieth from there.
    const QList<QByteArray> fields = stat.mid(end + 2).split(' ');
    return fields.size() > 19 ? fields.at(19).toULongLong() : 0;
}

// When this boot began, in seconds since the epoch: "btime" of /proc/stat.
qint64 bootTime()
{
    const int descriptor = ::open("/proc/stat", O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return 0;
    QByteArray content;
    char buffer[8192];
    ssize_t count;
    while (content.size() < 1024 * 1024 && ((count = ::read(descriptor, buffer, sizeof buffer)) > 0 || (count < 0 && errno == EINTR)))
        content.append(buffer, int(std::max<ssize_t>(count, 0)));
    ::close(descriptor);
    const int at = content.indexOf("\nbtime ");
    return at < 0 ? 0 : content.mid(at + 7, content.indexOf('\n', at + 7) - at - 7).toLongLong();
}

// Whether the record of holder, last changed at modified and with a free flock, was
// written by a process that has ended: by this kernel, whose flock would be held if it
// still ran, or on this machine before its last reboot.
bool provablyDead(const HolderIdentity &holder, const struct stat &status, const HolderIdentity &self)
{
    if (holder.bootId == self.bootId)
        return true;
    return !holder.machineId.isEmpty() && holder.machineId == self.machineId && status.st_mtim.tv_sec < bootTime();
}

// Opens the records' folder of lockFilePath, creating it first if asked. Only a real
// folder of this user is used; group and others lose any rights to it.
int openFolder(const QString &lockFilePath, bool create)
{
    const QByteArray path = QFile::encodeName(LockHolders::folderFor(lockFilePath));
    if (path.contains('\0'))
        return -1;
    if (create)
        ::mkdir(path.constData(), S_IRWXU);
    const int folder = ::open(path.constData(), O_RDONLY | O_DIRECTORY | safeOpenFlags);
    struct stat status;
    if (folder < 0)
        return -1;
    if (::fstat(folder, &status) != 0 || status.st_uid != ::geteuid()
        || ((status.st_mode & 07777) != S_IRWXU && ::fchmod(folder, S_IRWXU) != 0)) {
        ::close(folder);
        return -1;
    }
    return folder;
}

// Opens name in folder if it is a regular file of this user of a record's size.
int openRecord(int folder, const char *name, int access, struct stat *status)
{
    const int descriptor = ::openat(folder, name, access | safeOpenFlags);
    if (descriptor < 0)
        return -1;
    if (::fstat(descriptor, status) != 0 || !S_ISREG(status->st_mode) || status->st_uid != ::geteuid()
        || status->st_size > maximumRecordSize) {
        ::close(descriptor);
        return -1;
    }
    return descriptor;
}

QByteArray readRecord(int descriptor, const struct stat &status)
{
    QByteArray content;
    if (!readRegularFile(descriptor, status.st_size, maximumRecordSize + 1, &content))
        content.clear();
    return content;
}

void parseRecord(const QByteArray &content, HolderRecord *record)
{
    const QList<QByteArray> lines = content.split('\n');
    record->holder = HolderIdentity::fromHeader(lines.value(0));
    for (int i = 1; i < lines.size(); ++i) {
        if (!lines.at(i).isEmpty())
            record->paths << QString::fromUtf8(lines.at(i));
    }
}

// Makes the record name in folder with content, whole before anyone can see it, and
// returns its descriptor with the flock held; -1 on failure.
int createRecord(int folder, const QByteArray &name, const QByteArray &content)
{
    const auto fill = [&content](int descriptor) {
        return ::flock(descriptor, LOCK_EX | LOCK_NB) == 0 && writeTail(descriptor, 0, content, 0);
    };
    int descriptor = ::openat(folder, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, S_IRUSR | S_IWUSR);
    if (descriptor >= 0) {
        const QByteArray proc = "/proc/self/fd/" + QByteArray::number(descriptor);
        // A record of that name can only be this very process's, written for the same
        // folder reached by another path: the new one replaces it.
        bool linked = fill(descriptor) && (::linkat(AT_FDCWD, proc.constData(), folder, name.constData(), AT_SYMLINK_FOLLOW) == 0
                                           || (errno == EEXIST && ::unlinkat(folder, name.constData(), 0) == 0
                                               && ::linkat(AT_FDCWD, proc.constData(), folder, name.constData(), AT_SYMLINK_FOLLOW) == 0));
        if (linked)
            return descriptor;
        ::close(descriptor);
        if (errno != ENOENT && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            return -1;
    } else if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
        return -1;
    }
    // No O_TMPFILE here, or no /proc to link it through: a hidden name, then the real one.
    const QByteArray hidden = '.' + name;
    ::unlinkat(folder, hidden.constData(), 0);
    descriptor = ::openat(folder, hidden.constData(), O_RDWR | O_CREAT | O_EXCL | safeOpenFlags, S_IRUSR | S_IWUSR);
    if (descriptor < 0)
        return -1;
    if (fill(descriptor) && ::renameat(folder, hidden.constData(), folder, name.constData()) == 0)
        return descriptor;
    ::unlinkat(folder, hidden.constData(), 0);
    ::close(descriptor);
    return -1;
}

// This process's record beside one lock file.
struct OwnRecord
{
    int descriptor = -1;
    pid_t pid = 0;
    QByteArray name;
    QByteArray content; // what the file holds: the header line, then one line a path
};

// The records of this process, kept for its life and removed at its normal exit.
class Registry
{
public:
    ~Registry()
    {
        const std::lock_guard<std::mutex> guard(m_mutex);
        m_alive = false;
        for (auto it = m_records.cbegin(); it != m_records.cend(); ++it) {
            // A record that still lists paths stays: its entries then read ended, not unknown.
            if (it->pid == ::getpid() && it->content.count('\n') == 1)
                removeRecord(it.key(), *it);
        }
    }

    // Whether the record lists entry now when taken, or no longer when not.
    bool note(const QString &lockFilePath, const QString &entry, bool taken)
    {
        const std::lock_guard<std::mutex> guard(m_mutex);
        if (!m_alive)
            return false;
        OwnRecord &record = m_records[lockFilePath];
        // A child forked without exec shares its parent's record and flock. It leaves the
        // descriptor open, so the parent's entries stay running while it lives (never a
        // false ended), but writes a record of its own.
        if (record.descriptor >= 0 && record.pid != ::getpid())
            record = OwnRecord();
        const QByteArray line = entry.toUtf8() + '\n';
        if (record.descriptor < 0)
            return taken && create(lockFilePath, record, line);
        const int at = record.content.indexOf('\n' + line);
        if (!taken) {
            // Only what follows the path is written again.
            if (at < 0)
                return false;
            if (!writeTail(record.descriptor, at + 1, record.content.mid(at + 1 + line.size()), record.content.size()))
                return restore(record);
            record.content.remove(at + 1, line.size());
            return true;
        }
        struct stat status;
        // Deleted by a cleaner of the temporary folder: written anew, whole.
        if (::fstat(record.descriptor, &status) == 0 && status.st_nlink == 0) {
            ::close(record.descriptor);
            record.descriptor = -1;
            const QByteArray paths = record.content.mid(record.content.indexOf('\n') + 1);
            return create(lockFilePath, record, at < 0 ? paths + line : paths) && at < 0;
        }
        if (at >= 0)
            return false;
        if (!writeTail(record.descriptor, record.content.size(), line, record.content.size()))
            return restore(record);
        record.content += line;
        return true;
    }

private:
    // After a failed write the record may hold anything: it is written whole again, as far
    // as that goes. It is never closed, which would let its entries read ended.
    static bool restore(const OwnRecord &record)
    {
        writeTail(record.descriptor, 0, record.content, std::numeric_limits<qsizetype>::max());
        return false;
    }

    static bool create(const QString &lockFilePath, OwnRecord &record, const QByteArray &paths)
    {
        HolderIdentity self = LockHolders::currentProcess();
        self.application = QCoreApplication::applicationName();
        const int folder = openFolder(lockFilePath, true);
        if (folder < 0)
            return false;
        record.name = QFile::encodeName(self.recordName());
        record.content = self.header() + '\n' + paths;
        record.pid = pid_t(::getpid());
        record.descriptor = createRecord(folder, record.name, record.content);
        ::close(folder);
        return record.descriptor >= 0;
    }

    static void removeRecord(const QString &lockFilePath, const OwnRecord &record)
    {
        const int folder = openFolder(lockFilePath, false);
        struct stat ours, there;
        // Only if the name still stands for our file.
        if (folder >= 0 && ::fstat(record.descriptor, &ours) == 0
            && ::fstatat(folder, record.name.constData(), &there, AT_SYMLINK_NOFOLLOW) == 0 && ours.st_ino == there.st_ino
            && ours.st_dev == there.st_dev)
            ::unlinkat(folder, record.name.constData(), 0);
        if (folder >= 0)
            ::close(folder);
        ::close(record.descriptor);
    }

    std::mutex m_mutex;
    bool m_alive = true;
    QHash<QString, OwnRecord> m_records;
};

Registry registry;

} // namespace

HolderIdentity LockHolders::currentProcess()
{
    static std::mutex mutex;
    static HolderIdentity cached;
    const std::lock_guard<std::mutex> guard(mutex);
    if (cached.pid != ::getpid()) {
        HolderIdentity self;
        self.bootId = readSmall(AT_FDCWD, "/proc/sys/kernel/random/boot_id").trimmed();
        self.machineId = readSmall(AT_FDCWD, "/etc/machine-id").trimmed();
        self.pidNamespace = readLink("/proc/self/ns/pid");
        self.pid = ::getpid();
        self.startTime = startTimeIn(readSmall(AT_FDCWD, "/proc/self/stat"));
        self.uid = ::geteuid();
        char host[256] = {};
        ::gethostname(host, sizeof host - 1);
        self.host = host;
        self.executable = readLink("/proc/self/exe");
        cached = self;
    }
    HolderIdentity self = cached;
    self.uid = ::geteuid();
    self.application = QCoreApplication::applicationName();
    return self;
}

bool LockHolders::noteTaken(const QString &lockFilePath, const QString &entry)
{
    return registry.note(lockFilePath, entry, true);
}

void LockHolders::noteReleased(const QString &lockFilePath, const QString &entry)
{
    registry.note(lockFilePath, entry, false);
}

QList<HolderRecord> LockHolders::readRecords(const QString &lockFilePath)
{
    QList<HolderRecord> records;
    const int folder = openFolder(lockFilePath, false);
    const int listing = folder < 0 ? -1 : ::dup(folder);
    DIR *entries = listing < 0 ? nullptr : ::fdopendir(listing);
    if (!entries) {
        if (listing >= 0)
            ::close(listing);
        if (folder >= 0)
            ::close(folder);
        return records;
    }
    const HolderIdentity self = currentProcess();
    while (const dirent *entry = ::readdir(entries)) {
        // Hidden names are records still being made without O_TMPFILE.
        if (entry->d_name[0] == '.' || records.size() >= maximumRecords)
            continue;
        struct stat status;
        const int descriptor = openRecord(folder, entry->d_name, O_RDONLY, &status);
        if (descriptor < 0)
            continue;
        HolderRecord record;
        record.fileName = QFile::decodeName(entry->d_name);
        parseRecord(readRecord(descriptor, status), &record);
        if (::flock(descriptor, LOCK_SH | LOCK_NB) != 0)
            record.liveness = errno == EWOULDBLOCK ? HolderRecord::Running : HolderRecord::Unproven;
        else
            record.liveness = record.holder.pid > 0 && provablyDead(record.holder, status, self) ? HolderRecord::Dead : HolderRecord::Unproven;
        ::close(descriptor);
        records << record;
    }
    ::closedir(entries);
    ::close(folder);
    return records;
}

bool LockHolders::tidyDeadRecord(const QString &lockFilePath, const QString &fileName, const QStringList &dropped)
{
    const int folder = openFolder(lockFilePath, false);
    if (folder < 0)
        return false;
    const QByteArray name = QFile::encodeName(fileName);
    struct stat status;
    const int descriptor = name.contains('/') || name.contains('\0') ? -1 : openRecord(folder, name.constData(), O_RDWR, &status);
    bool tidied = false;
    // The flock, held until the close, keeps the record dead while it is changed.
    if (descriptor >= 0 && ::flock(descriptor, LOCK_EX | LOCK_NB) == 0) {
        const QByteArray content = readRecord(descriptor, status);
        HolderRecord record;
        parseRecord(content, &record);
        if (record.holder.pid > 0 && provablyDead(record.holder, status, currentProcess())) {
            QByteArray kept = content.left(content.indexOf('\n') + 1);
            for (const QString &path : std::as_const(record.paths)) {
                if (!dropped.contains(path))
                    kept += path.toUtf8() + '\n';
            }
            tidied = kept.count('\n') <= 1 ? ::unlinkat(folder, name.constData(), 0) == 0 : writeTail(descriptor, 0, kept, content.size());
        }
    }
    if (descriptor >= 0)
        ::close(descriptor);
    ::close(folder);
    return tidied;
}

bool LockHolders::isVisibleHere(const HolderIdentity &holder)
{
    const HolderIdentity self = currentProcess();
    if (holder.bootId != self.bootId || holder.pidNamespace != self.pidNamespace || holder.pid <= 0)
        return false;
    const QByteArray stat = "/proc/" + QByteArray::number(holder.pid) + "/stat";
    return startTimeIn(readSmall(AT_FDCWD, stat.constData())) == holder.startTime;
}
