// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

// tavshare locks: the lock file that the processes of one application share.
//
// Every read and rewrite goes through LockFileHandle, which holds the same inter-process
// lock as TavShare::getLock and TavShare::releaseLock: a running application never sees
// a half-done repair, and no lock it takes meanwhile is lost.

#include "command.h"
#include "lockfile_p.h"
#include "lockholder_p.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <memory>

namespace Tool {
namespace {

// A process of a suite application that sets its name in another case ("orbelle") keeps its
// locks in a lock file of its own, which the application's other processes never see.
void warnOfOtherSpellings(const QString &path)
{
    const QFileInfo lockFile(path);
    if (!find(applications, lockFile.completeBaseName()))
        return;
    for (const QString &other : lockFile.dir().entryList({lockFile.fileName()}, QDir::Files | QDir::System | QDir::Hidden)) {
        if (other != lockFile.fileName())
            note(QStringLiteral("%1 holds the locks of processes that name themselves '%2'; the suite's application is '%3', and its processes do not see them")
                     .arg(printable(lockFile.dir().filePath(other)), printable(QFileInfo(other).completeBaseName()), lockFile.completeBaseName()));
    }
}

// The lock file that --app names.
QString lockFilePath(const Invocation &invocation)
{
    const QString name = invocation.requiredApplicationName();
    if (name.isEmpty() || name.contains(QLatin1Char('/')))
        throw UsageError{QStringLiteral("'%1' is no application name").arg(name)};
    if (find(applications, name) == TavSettings::AppShared)
        throw UsageError{QStringLiteral("locks belong to one application; use one of: %1").arg(namesOf(applications, 1))};
    if (QDir::tempPath().isEmpty())
        throw Failure{QStringLiteral("the temporary folder does not exist (TMPDIR is %1)").arg(QString::fromLocal8Bit(qgetenv("TMPDIR")))};
    const QString path = lockFilePathFor(suiteSpelling(name));
    // Another program's name is taken when it has a lock file; a misspelt one would else
    // read as "nothing locked".
    if (!find(applications, name) && !QFileInfo(path).exists() && !QFileInfo(path).isSymLink())
        throw UsageError{unknownName(QStringLiteral("application"), name, namesOf(applications, 1).split(QStringLiteral(", ")))
                         + QStringLiteral(", or a program with a lock file in ") + QDir::tempPath()};
    warnOfOtherSpellings(path);
    return path;
}

// Opens the lock file at path. Nothing (no lock file, nothing locked) when it is not
// there at all; a Failure when it is there but cannot be read.
std::unique_ptr<LockFileHandle> openLockFile(const QString &path)
{
    auto lockFile = std::make_unique<LockFileHandle>(path, LockFileHandle::OpenExisting);
    if (lockFile->status() == LockFileHandle::Open)
        return lockFile;
    if (lockFile->error() == ENOENT)
        return nullptr;
    const QString reason = lockFile->refusal().isEmpty() ? qt_error_string(lockFile->error()) : QStringLiteral("it ") + lockFile->refusal();
    throw Failure{QStringLiteral("cannot read the lock file %1: %2").arg(path, reason)};
}

void cannotRewrite(const QString &path, const LockFileHandle &lockFile)
{
    throw Failure{QStringLiteral("cannot rewrite the lock file %1 (%2); it is left as it was").arg(path, qt_error_string(lockFile.error()))};
}

const QCommandLineOption endedOption(QStringLiteral("ended"), QStringLiteral("Drop the entries whose holders have all ended instead."));

// The holder of entry as the records tell it: its state and, where it can be named, the
// record of the process.
struct Holder
{
    TavShare::LockHolder state;
    const HolderRecord *record = nullptr;
};

Holder holderOf(const QString &entry, const QList<HolderRecord> &records)
{
    // The tool takes no lock itself: no record is its own.
    const TavShare::LockHolder state = LockHolders::stateOf(entry, records, HolderIdentity());
    const HolderRecord::Liveness telling = state == TavShare::HeldByRunningProcess ? HolderRecord::Running : HolderRecord::Dead;
    for (const HolderRecord &record : records) {
        if (state != TavShare::HolderUnknown && record.liveness == telling && record.paths.contains(entry))
            return {state, &record};
    }
    return {state, nullptr};
}

void list(const Invocation &invocation)
{
    const QString path = lockFilePath(invocation);
    const std::unique_ptr<LockFileHandle> lockFile = openLockFile(path);
    const QList<HolderRecord> records = lockFile ? LockHolders::readRecords(path) : QList<HolderRecord>();
    QString text;
    QJsonArray json;
    for (const QString &entry : lockFile ? lockFile->entries() : QStringList()) {
        QJsonArray one;
        appendEntries({entry}, QString(), text, one);
        QJsonObject object = one.first().toObject();
        const Holder holder = holderOf(entry, records);
        const bool running = holder.state == TavShare::HeldByRunningProcess;
        object.insert(QStringLiteral("holder"), running ? QStringLiteral("running") : holder.record ? QStringLiteral("ended") : QStringLiteral("unknown"));
        QString mark = running ? QStringLiteral("running") : holder.record ? QStringLiteral("ended") : QStringLiteral("unknown");
        // A pid means something only in its own pid namespace, and only while the
        // process it named still runs; a dead holder's pid is told as it was.
        if (holder.record && (!running || LockHolders::isVisibleHere(holder.record->holder))) {
            const HolderIdentity &process = holder.record->holder;
            mark += (running ? QStringLiteral(": pid %1, %2") : QStringLiteral(": was pid %1, %2")).arg(process.pid).arg(printable(process.application));
            object.insert(QStringLiteral("pid"), process.pid);
            object.insert(QStringLiteral("application"), process.application);
        } else if (holder.record) {
            mark += QStringLiteral(" in another container");
            object.insert(QStringLiteral("inAnotherContainer"), true);
        }
        text.insert(text.size() - 1, QStringLiteral("  [holder %1]").arg(mark));
        json.append(object);
    }
    invocation.print(text.isEmpty() ? QStringLiteral("no entries\n") : text, json);
}

void release(const Invocation &invocation)
{
    const QString path = lockFilePath(invocation);
    const std::unique_ptr<LockFileHandle> lockFile = openLockFile(path);
    if (!lockFile)
        throw Failure{QStringLiteral("there is no lock file %1, so nothing is locked").arg(path)};
    const QString entry = QFileInfo(invocation.positionalArguments().first()).absoluteFilePath();
    const LockFileHandle::Outcome outcome = lockFile->remove(entry);
    if (outcome == LockFileHandle::Unchanged)
        throw Failure{QStringLiteral("%1 is not listed in %2; 'tavshare locks list' shows what is").arg(entry, path)};
    if (outcome == LockFileHandle::WriteFailed)
        cannotRewrite(path, *lockFile);
    // Nor do the records of ended holders name it any more.
    for (const HolderRecord &record : LockHolders::readRecords(path)) {
        if (record.liveness == HolderRecord::Dead && record.paths.contains(entry))
            LockHolders::tidyDeadRecord(path, record.fileName, {entry});
    }
    out() << "released " << entry << '\n';
}

void prune(const Invocation &invocation)
{
    const QString path = lockFilePath(invocation);
    const std::unique_ptr<LockFileHandle> lockFile = openLockFile(path);
    if (!lockFile)
        return;
    QStringList dropped;
    QStringList kept;
    const QList<HolderRecord> records = LockHolders::readRecords(path);
    if (invocation.isSet(endedOption)) {
        for (const QString &entry : lockFile->entries()) {
            if (holderOf(entry, records).state == TavShare::HolderEnded)
                dropped << printable(entry);
            else
                kept << entry;
        }
    } else {
        kept = existingPaths(lockFile->entries(), dropped);
    }
    if (invocation.isSet(dryRunOption))
        return invocation.printDropped(dropped);
    if (!dropped.isEmpty() && !lockFile->rewrite(kept))
        cannotRewrite(path, *lockFile);
    // The records of ended holders keep only what is still listed; those that then list
    // nothing go.
    for (const HolderRecord &record : records) {
        QStringList gone;
        for (const QString &recorded : record.paths) {
            if (!kept.contains(recorded))
                gone << recorded;
        }
        if (record.liveness == HolderRecord::Dead && (!gone.isEmpty() || record.paths.isEmpty()))
            LockHolders::tidyDeadRecord(path, record.fileName, gone);
    }
    invocation.printDropped(dropped);
}

} // namespace

Command lockCommands()
{
    const QCommandLineOption app = appOption(QStringLiteral("The application (required): one of the suite's but shared, or another program with a lock file."));
    return group(QStringLiteral("locks"), QStringLiteral("list, release and prune the entries of a lock file"),
         QStringLiteral("Inspect and repair the lock file in which an application's processes list\n"
                        "the files they hold."), {
        {QStringLiteral("list"), QStringLiteral("print the locked files, their holders, and which are gone"),
         QStringLiteral("Print the files listed in an application's lock file, marking (missing) those\n"
                        "that no longer exist, and each one's holder: running (pid and application, or\n"
                        "in another container), ended, or unknown when no record tells. No lock file\n"
                        "means nothing is locked."),
         {}, {app, jsonOption}, list},
        {QStringLiteral("release"), QStringLiteral("take one file out of the lock file"),
         QStringLiteral("Take FILE out of an application's lock file, also when the file no longer\n"
                        "exists. Only do this for a lock that no running process holds."),
         {{QStringLiteral("FILE"), QStringLiteral("The locked file; a relative name is taken from the current folder.")}},
         {app}, release},
        {QStringLiteral("prune"), QStringLiteral("drop the entries whose file is gone"),
         QStringLiteral("Drop the entries whose file no longer exists from an application's lock file;\n"
                        "with --ended, those whose holders have provably ended instead. The records of\n"
                        "ended holders that list nothing still locked go as well."),
         {}, {app, dryRunOption, endedOption}, prune},
    });
}

} // namespace Tool
