// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

// tavshare locks: the lock file that the processes of one application share.
//
// Every read and rewrite goes through LockFileHandle, which holds the same inter-process
// lock as TavShare::getLock and TavShare::releaseLock: a running application never sees
// a half-done repair, and no lock it takes meanwhile is lost.

#include "command.h"
#include "lockfile_p.h"

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

void list(const Invocation &invocation)
{
    const std::unique_ptr<LockFileHandle> lockFile = openLockFile(lockFilePath(invocation));
    QString text;
    QJsonArray json;
    appendEntries(lockFile ? lockFile->entries() : QStringList(), QString(), text, json);
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
    out() << "released " << entry << '\n';
}

void prune(const Invocation &invocation)
{
    const QString path = lockFilePath(invocation);
    const std::unique_ptr<LockFileHandle> lockFile = openLockFile(path);
    if (!lockFile)
        return;
    QStringList dropped;
    const QStringList kept = existingPaths(lockFile->entries(), dropped);
    if (!invocation.isSet(dryRunOption) && !dropped.isEmpty() && !lockFile->rewrite(kept))
        cannotRewrite(path, *lockFile);
    invocation.printDropped(dropped);
}

} // namespace

Command lockCommands()
{
    const QCommandLineOption app = appOption(QStringLiteral("The application (required): one of the suite's but shared, or another program with a lock file."));
    return group(QStringLiteral("locks"), QStringLiteral("list, release and prune the entries of a lock file"),
         QStringLiteral("Inspect and repair the lock file in which an application's processes list\n"
                        "the files they hold."), {
        {QStringLiteral("list"), QStringLiteral("print the locked files, marking those that are gone"),
         QStringLiteral("Print the files listed in an application's lock file, marking (missing) those\n"
                        "that no longer exist. No lock file means nothing is locked."),
         {}, {app, jsonOption}, list},
        {QStringLiteral("release"), QStringLiteral("take one file out of the lock file"),
         QStringLiteral("Take FILE out of an application's lock file, also when the file no longer\n"
                        "exists. Only do this for a lock that no running process holds."),
         {{QStringLiteral("FILE"), QStringLiteral("The locked file; a relative name is taken from the current folder.")}},
         {app}, release},
        {QStringLiteral("prune"), QStringLiteral("drop the entries whose file is gone"),
         QStringLiteral("Drop the entries whose file no longer exists from an application's lock file."),
         {}, {app, dryRunOption}, prune},
    });
}

} // namespace Tool
