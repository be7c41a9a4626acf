// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#ifndef LOCKFILEREFERENCE_H
#define LOCKFILEREFERENCE_H

// Taking and releasing a lock written as plainly as Qt allows, with no care for safety or
// speed: the answers, messages and lock-file bytes the library must give for ordinary
// input. The tests compare the library with it.

#include "TavShare.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTextStream>

namespace Reference {

// The two messages of failure 1 to 5: getLock's cannot create, cannot read and cannot
// rewrite, releaseLock's cannot read and cannot rewrite.
inline void report(int failure, const QString &lockFilePath)
{
    static const char *const where[] = {
        "Error found at bool TavShare::getLock(const QString & file) 1", "Error found at bool TavShare::getLock(const QString & file) 2",
        "Error found at bool TavShare::getLock(const QString & file) 3", "Error found at bool TavShare::releaseLock(const QString & file) 1",
        "Error found at TavShare::releaseLock(const QString & file) 2"};
    qDebug() << where[failure - 1];
    qDebug() << (failure == 2 || failure == 4 ? "Can't read file " : "Can't open file ") << lockFilePath;
}

// Opens the lock file as text, closing it first; reports failure if it cannot.
inline bool reopen(QFile &lockFile, QIODevice::OpenMode mode, int failure)
{
    lockFile.close();
    if (lockFile.open(mode | QIODevice::Text))
        return true;
    report(failure, lockFile.fileName());
    return false;
}

// Its lines trimmed, blank ones left out.
inline QStringList entriesOf(QFile &lockFile)
{
    QStringList entries;
    QTextStream in(&lockFile);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (!line.isEmpty())
            entries << line;
    }
    return entries;
}

inline bool rewrite(QFile &lockFile, const QStringList &entries, int failure)
{
    if (!reopen(lockFile, QIODevice::WriteOnly, failure))
        return false;
    QTextStream(&lockFile) << entries.join(QLatin1Char('\n'));
    return true;
}

inline int getLock(const QString &file)
{
    const QString path = QFileInfo(file).absoluteFilePath();
    QFile lockFile(TavShare::getLockFilePath());
    if (!lockFile.exists())
        return rewrite(lockFile, {path}, 1) ? 0 : 3;
    if (!reopen(lockFile, QIODevice::ReadOnly, 2))
        return 2;
    const QStringList entries = entriesOf(lockFile);
    if (entries.contains(path))
        return 1;
    return rewrite(lockFile, entries + QStringList(path), 3) ? 0 : 3;
}

inline bool releaseLock(const QString &file)
{
    if (!QFileInfo::exists(file))
        return false;
    QFile lockFile(TavShare::getLockFilePath());
    if (!reopen(lockFile, QIODevice::ReadOnly, 4))
        return false;
    QStringList entries = entriesOf(lockFile);
    return entries.removeAll(QFileInfo(file).absoluteFilePath()) > 0 && rewrite(lockFile, entries, 5);
}

} // namespace Reference

#endif // LOCKFILEREFERENCE_H
