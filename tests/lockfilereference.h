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

inline int getLock(const QString &file)
{
    const QString path = QFileInfo(file).absoluteFilePath();
    QFile lockFile(TavShare::getLockFilePath());
    if (!lockFile.exists()) {
        if (!lockFile.open(QIODevice::WriteOnly | QIODevice::Text)) {
            report(1, lockFile.fileName());
            return 3;
        }
        QTextStream(&lockFile) << path;
        return 0;
    }
    if (!lockFile.open(QIODevice::ReadOnly | QIODevice::Text)) {
        report(2, lockFile.fileName());
        return 2;
    }
    QStringList kept;
    QTextStream in(&lockFile);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (!line.isEmpty())
            kept << line;
        if (line == path)
            return 1;
    }
    lockFile.close();
    kept << path;
    if (!lockFile.open(QIODevice::WriteOnly | QIODevice::Text)) {
        report(3, lockFile.fileName());
        return 3;
    }
    QTextStream(&lockFile) << kept.join(QLatin1Char('\n'));
    return 0;
}

inline bool releaseLock(const QString &file)
{
    if (!QFileInfo::exists(file))
        return false;
    const QString path = QFileInfo(file).absoluteFilePath();
    QFile lockFile(TavShare::getLockFilePath());
    if (!lockFile.open(QIODevice::ReadOnly | QIODevice::Text)) {
        report(4, lockFile.fileName());
        return false;
    }
    QStringList kept;
    bool found = false;
    QTextStream in(&lockFile);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line == path)
            found = true;
        else if (!line.isEmpty())
            kept << line;
    }
    lockFile.close();
    if (!found)
        return false;
    if (!lockFile.open(QIODevice::WriteOnly | QIODevice::Text)) {
        report(5, lockFile.fileName());
        return false;
    }
    QTextStream(&lockFile) << kept.join(QLatin1Char('\n'));
    return true;
}

} // namespace Reference

#endif // LOCKFILEREFERENCE_H
