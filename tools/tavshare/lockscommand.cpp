// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

// tavshare locks: the lock file that the processes of one application share.
//
// Every read and rewrite goes through LockFileHandle, which holds the same inter-process
// lock as TavShare::getLock and TavShare::releaseLock: a running application never sees
// a half-done repair, and no lock it takes meanwhile is lost.

#include "commandline.h"
#include "commands.h"
#include "lockfile_p.h"
#include "suitenames.h"

#include "TavShare.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace Tool {
namespace {

void addApplicationOption(CommandLine &line)
{
    line.addOption({QStringLiteral("app"),
                    QStringLiteral("The application whose lock file is meant (required): %1 (any case; the file is then named as "
                                   "the suite spells it, e.g. Orbelle.lock), or any other application name, taken as it stands.")
                        .arg(applicationNames().mid(1).join(QStringLiteral(", "))),
                    QStringLiteral("NAME")});
}

// The lock file of the processes running under name, as the library names it.
QString lockFilePathOf(const QString &applicationName)
{
    const QString ownName = QCoreApplication::applicationName();
    QCoreApplication::setApplicationName(applicationName);
    const QString path = TavShare::getLockFilePath();
    QCoreApplication::setApplicationName(ownName);
    return path;
}

// The lock file that --app names, or the exit code of a usage error or failure.
std::optional<QString> lockFilePath(const CommandLine &line, int *exitCode)
{
    if (!line.isSet(QStringLiteral("app"))) {
        *exitCode = line.usageError(QStringLiteral("name the application with --app NAME"));
        return std::nullopt;
    }
    QString name = line.value(QStringLiteral("app"));
    if (name.isEmpty() || name.contains(QLatin1Char('/'))) {
        *exitCode = line.usageError(QStringLiteral("'%1' is no application name").arg(name));
        return std::nullopt;
    }
    if (const std::optional<TavSettings::AppType> appType = applicationFromName(name)) {
        if (*appType == TavSettings::AppShared) {
            *exitCode = line.usageError(QStringLiteral("locks belong to one application; use one of: %1")
                                            .arg(applicationNames().mid(1).join(QStringLiteral(", "))));
            return std::nullopt;
        }
        name = applicationGroup(*appType);
    }
    if (QDir::tempPath().isEmpty()) {
        *exitCode = failure(QStringLiteral("the temporary folder does not exist (TMPDIR is %1)").arg(QString::fromLocal8Bit(qgetenv("TMPDIR"))));
        return std::nullopt;
    }
    return lockFilePathOf(name);
}

// A lock file that did not open and is not there at all: nothing is locked.
bool isAbsent(const QString &path)
{
    const QFileInfo info(path);
    return !info.exists() && !info.isSymLink();
}

int cannotRead(const QString &path, const LockFileHandle &lockFile)
{
    if (lockFile.status() == LockFileHandle::Refused)
        return failure(QStringLiteral("cannot read the lock file %1: it %2").arg(path, lockFile.refusal()));
    return failure(QStringLiteral("cannot read the lock file %1 (a link, not a regular file, or no permission)").arg(path));
}

int cannotRewrite(const QString &path)
{
    return failure(QStringLiteral("cannot rewrite the lock file %1; it is left as it was").arg(path));
}

int list(const QStringList &arguments)
{
    CommandLine line(QStringLiteral("tavshare locks list"),
                     QStringLiteral("Print the files an application's processes hold locked, one a line, as listed in\n"
                                    "its lock file in the temporary folder. Entries whose file no longer exists are\n"
                                    "marked (missing). No lock file means nothing is locked."));
    addApplicationOption(line);
    line.addOption({QStringLiteral("json"), QStringLiteral("Write JSON for scripts: [{path, exists}].")});
    if (const std::optional<int> done = line.parse(arguments))
        return *done;
    int exitCode = ExitSuccess;
    const std::optional<QString> path = lockFilePath(line, &exitCode);
    if (!path)
        return exitCode;

    const LockFileHandle lockFile(*path, LockFileHandle::OpenExisting);
    if (lockFile.status() != LockFileHandle::Open && !isAbsent(*path))
        return cannotRead(*path, lockFile);

    const QStringList entries = lockFile.entries();
    if (line.isSet(QStringLiteral("json"))) {
        QJsonArray json;
        for (const QString &entry : entries)
            json.append(entryObject(entry));
        out() << QJsonDocument(json).toJson(QJsonDocument::Indented);
        return ExitSuccess;
    }
    for (const QString &entry : entries)
        out() << markedEntry(entry) << '\n';
    return ExitSuccess;
}

int release(const QStringList &arguments)
{
    CommandLine line(QStringLiteral("tavshare locks release"),
                     QStringLiteral("Take FILE out of an application's lock file, also when the file no longer\n"
                                    "exists. Only do this for a lock that no running process holds."));
    line.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The locked file; a relative name is taken from the current folder."));
    addApplicationOption(line);
    if (const std::optional<int> done = line.parse(arguments))
        return *done;
    int exitCode = ExitSuccess;
    const std::optional<QString> path = lockFilePath(line, &exitCode);
    if (!path)
        return exitCode;

    LockFileHandle lockFile(*path, LockFileHandle::OpenExisting);
    if (lockFile.status() != LockFileHandle::Open) {
        if (!isAbsent(*path))
            return cannotRead(*path, lockFile);
        return failure(QStringLiteral("there is no lock file %1, so nothing is locked").arg(*path));
    }

    const QString entry = QFileInfo(line.positionalArguments().first()).absoluteFilePath();
    switch (lockFile.remove(entry)) {
    case LockFileHandle::Rewritten:
        break;
    case LockFileHandle::Unchanged:
        return failure(QStringLiteral("%1 is not listed in %2; 'tavshare locks list' shows what is").arg(entry, *path));
    case LockFileHandle::WriteFailed:
        return cannotRewrite(*path);
    }
    out() << "released " << entry << '\n';
    return ExitSuccess;
}

int prune(const QStringList &arguments)
{
    CommandLine line(QStringLiteral("tavshare locks prune"),
                     QStringLiteral("Drop the entries whose file no longer exists from an application's lock file,\n"
                                    "keeping the order of the rest. Prints each dropped entry."));
    addApplicationOption(line);
    line.addOption(dryRunOption);
    if (const std::optional<int> done = line.parse(arguments))
        return *done;
    int exitCode = ExitSuccess;
    const std::optional<QString> path = lockFilePath(line, &exitCode);
    if (!path)
        return exitCode;
    const bool dryRun = line.isSet(dryRunOption);

    LockFileHandle lockFile(*path, LockFileHandle::OpenExisting);
    if (lockFile.status() != LockFileHandle::Open)
        return isAbsent(*path) ? int(ExitSuccess) : cannotRead(*path, lockFile);

    QStringList kept;
    QStringList dropped;
    for (const QString &entry : lockFile.entries()) {
        if (QFileInfo::exists(entry))
            kept << entry;
        else
            dropped << entry;
    }
    if (!dryRun && !dropped.isEmpty() && !lockFile.rewrite(kept))
        return cannotRewrite(*path);
    for (const QString &entry : dropped)
        out() << (dryRun ? "would drop " : "dropped ") << printable(entry) << '\n';
    return ExitSuccess;
}

} // namespace

int runLocks(const QStringList &arguments)
{
    return dispatch(QStringLiteral("tavshare locks"),
                    QStringLiteral("Inspect and repair the lock file in which an application's processes list\n"
                                   "the files they hold."),
                    {
                        {QStringLiteral("list"), QStringLiteral("print the locked files, marking those that are gone"), list},
                        {QStringLiteral("release"), QStringLiteral("take one file out of the lock file"), release},
                        {QStringLiteral("prune"), QStringLiteral("drop the entries whose file is gone"), prune},
                    },
                    arguments);
}

} // namespace Tool
