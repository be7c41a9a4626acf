// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "lockholder_p.h"
#include "lockfile_p.h"

#include <QFileInfo>

#include <cerrno>

namespace {

// Header fields are "key=value", tab-separated, each value percent-encoded so that no
// host, application or executable name can break the line or the field.
const QByteArray keptInValues = "/:[]._-@+";

QByteArray field(const char *key, const QByteArray &value)
{
    return key + ('=' + value.toPercentEncoding(keptInValues));
}

} // namespace

QByteArray HolderIdentity::header() const
{
    return field("boot", bootId) + '\t' + field("machine", machineId) + '\t' + field("pidns", pidNamespace) + '\t'
        + field("pid", QByteArray::number(pid)) + '\t' + field("start", QByteArray::number(startTime)) + '\t'
        + field("uid", QByteArray::number(uid)) + '\t' + field("host", host) + '\t' + field("app", application.toUtf8()) + '\t'
        + field("exe", executable);
}

HolderIdentity HolderIdentity::fromHeader(const QByteArray &line)
{
    HolderIdentity identity;
    for (const QByteArray &item : line.split('\t')) {
        const int equals = item.indexOf('=');
        const QByteArray key = item.left(equals);
        const QByteArray value = QByteArray::fromPercentEncoding(item.mid(equals + 1));
        if (key == "boot")
            identity.bootId = value;
        else if (key == "machine")
            identity.machineId = value;
        else if (key == "pidns")
            identity.pidNamespace = value;
        else if (key == "pid")
            identity.pid = value.toLongLong();
        else if (key == "start")
            identity.startTime = value.toULongLong();
        else if (key == "uid")
            identity.uid = value.toUInt();
        else if (key == "host")
            identity.host = value;
        else if (key == "app")
            identity.application = QString::fromUtf8(value);
        else if (key == "exe")
            identity.executable = value;
    }
    // Without a boot id nothing about the holder could be proven.
    if (identity.bootId.isEmpty())
        identity.pid = 0;
    return identity;
}

QString HolderIdentity::recordName() const
{
    // The namespace's inode keeps apart two processes of one pid in two containers.
    QByteArray space = pidNamespace;
    space.replace("pid:[", "").replace(']', "");
    return QString::fromLatin1(bootId + '-' + space + '-' + QByteArray::number(pid) + '-' + QByteArray::number(startTime));
}

bool HolderIdentity::isSameProcess(const HolderIdentity &other) const
{
    return pid > 0 && pid == other.pid && startTime == other.startTime && bootId == other.bootId && pidNamespace == other.pidNamespace;
}

QString LockHolders::folderFor(const QString &lockFilePath)
{
    return lockFilePath + QLatin1String(".d");
}

TavShare::LockHolder LockHolders::stateOf(const QString &entry, const QList<HolderRecord> &records, const HolderIdentity &self)
{
    bool listed = false;
    bool running = false;
    bool allDead = true;
    for (const HolderRecord &record : records) {
        if (!record.paths.contains(entry))
            continue;
        listed = true;
        // The flock of our own record conflicts with any other open of it, ours included.
        if (record.holder.isSameProcess(self))
            return TavShare::HeldByThisProcess;
        running = running || record.liveness == HolderRecord::Running;
        allDead = allDead && record.liveness == HolderRecord::Dead;
    }
    if (running)
        return TavShare::HeldByRunningProcess;
    return listed && allDead ? TavShare::HolderEnded : TavShare::HolderUnknown;
}

TavShare::LockHolder TavShare::getLockHolder(const QString &file)
{
    const QString entry = QFileInfo(file).absoluteFilePath();
    if (!LockFileHandle::canList(entry))
        return NotLocked;
    const QString lockFilePath = getLockFilePath();
    // Under the lock file's flock: no holder takes or releases meanwhile.
    const LockFileHandle lockFile(lockFilePath, LockFileHandle::OpenExisting);
    if (lockFile.status() != LockFileHandle::Open)
        return lockFile.error() == ENOENT ? NotLocked : HolderUnknown;
    if (!lockFile.entries().contains(entry))
        return NotLocked;
    return LockHolders::stateOf(entry, LockHolders::readRecords(lockFilePath), LockHolders::currentProcess());
}
