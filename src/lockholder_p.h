// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#ifndef LOCKHOLDER_P_H
#define LOCKHOLDER_P_H

// Inside the library and its tools only: the holder records beside a lock file.
//
// Each process that took an entry keeps one record in the folder "<lock file>.d": a
// header line that names the process as the kernel knows it, then the paths it took and
// has not released, one a line. It holds an exclusive flock on the record for as long as
// it runs, so the kernel itself tells whether the holder still runs: the flock goes with
// the process, kill -9 and out-of-memory included. Records are best effort: nothing that
// goes wrong with them changes what getLock or releaseLock return or report. Every
// record is written, read and rewritten under the lock file's flock.

#include "TavShare.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// A process as its record names it.
struct HolderIdentity
{
    QByteArray bootId;       // the running kernel's random boot id
    QByteArray machineId;    // /etc/machine-id
    QByteArray pidNamespace; // "pid:[inode]"
    qint64 pid = 0;          // as the process sees itself
    quint64 startTime = 0;   // in clock ticks after boot
    uint uid = 0;
    QByteArray host;
    QString application;
    QByteArray executable;

    // The header line, without its line feed; fromHeader reads it back, or gives an
    // identity without a pid for a line that is no header.
    QByteArray header() const;
    static HolderIdentity fromHeader(const QByteArray &line);
    // The record's file name: boot id, pid namespace, pid and start time.
    QString recordName() const;
    bool isSameProcess(const HolderIdentity &other) const;
};

// One record of the folder, as read under the lock file's flock.
struct HolderRecord
{
    enum Liveness {
        Running, // its flock is held: the holder, or a child it forked, runs
        Dead,    // provably ended: flock free, and written by this kernel or before this boot
        Unproven // flock free, but from another kernel or machine: nothing can be told
    };

    QString fileName;
    HolderIdentity holder;
    QStringList paths;
    Liveness liveness = Unproven;
};

namespace LockHolders {

// The folder of the records of lockFilePath's holders.
QString folderFor(const QString &lockFilePath);

// This process, read afresh after a fork.
HolderIdentity currentProcess();

// Notes in this process's record that it takes, or released, entry of the lock file at
// lockFilePath. Called while the lock file's flock is held; failures are ignored.
// noteTaken tells whether the record did not list entry before and now does.
bool noteTaken(const QString &lockFilePath, const QString &entry);
void noteReleased(const QString &lockFilePath, const QString &entry);

// Every readable record beside the lock file at lockFilePath, owned by this user.
QList<HolderRecord> readRecords(const QString &lockFilePath);

// Rewrites the dead record fileName without the paths in dropped, or deletes it when it
// then lists nothing. False when it is not provably dead or cannot be changed.
bool tidyDeadRecord(const QString &lockFilePath, const QString &fileName, const QStringList &dropped);

// The state of entry, which the lock file lists, by the records that list it.
TavShare::LockHolder stateOf(const QString &entry, const QList<HolderRecord> &records, const HolderIdentity &self);

// Whether pid, as seen in this pid namespace, is the process holder names: same pid
// namespace, and its start time still matches. False for a pid reused since.
bool isVisibleHere(const HolderIdentity &holder);

} // namespace LockHolders

#endif // LOCKHOLDER_P_H
