// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#ifndef LOCKFILE_P_H
#define LOCKFILE_P_H

// Inside the library and its tools only: safe access to an application's lock file.

#include <QByteArray>
#include <QString>
#include <QStringList>

/*
 * One lock file, open for the length of one read-and-rewrite.
 *
 * The constructor opens the file at path without following a symbolic link, refuses
 * anything that is not a regular file with a single name, takes an exclusive flock on the
 * open file and reads its entries. The flock is held until the object is destroyed, so
 * for every other process (and thread) that goes through this class the read, the
 * decision and the rewrite are one step: no update is lost. The file is rewritten in
 * place through the same descriptor; it is never replaced, renamed or deleted.
 *
 * The file stands in a folder every user may write to, so the constructor also refuses
 * (Refused) a file that belongs to another user, one whose flock another process holds
 * for a few seconds without writing it, and one larger than maximumSize; nor does it write
 * a file larger than that. A file it creates is the user's alone (mode 0600); from one of
 * the user's own files that group or others may write it takes those permissions away
 * before reading it.
 *
 * Content: UTF-8 text, one absolute path per line; a path with a line break or one that
 * UTF-8 cannot hold cannot be listed (see canList). An entry is a line trimmed of white
 * space; empty lines are no entries. A rewrite writes the entries joined by "\n", with no
 * line feed after the last, and so drops the empty lines and the trimmed white space.
 * Entries are compared exactly, as UTF-8.
 *
 * Used by TavShare::getLock and TavShare::releaseLock, and by tools that list or prune
 * an application's lock file (lockFilePathFor() names it).
 */
class LockFileHandle
{
public:
    enum OpenMode {
        OpenExisting,   // a missing file is CannotOpen
        CreateIfMissing, // a missing file is created empty, never through a link
        ReadShared       // as OpenExisting, but only read, under a shared flock: never rewritten
    };

    enum Status {
        Open,         // the entries are read and may be rewritten
        CannotCreate, // the file was missing and could not be created
        CannotOpen,   // missing, not a regular file, a link, unreadable or not lockable
        Refused       // neither read nor written; refusal() tells why
    };

    // The largest lock file that is read: a hundred thousand long paths.
    static constexpr qint64 maximumSize = 16 * 1024 * 1024;

    // Whether entry can stand in a lock file: one with a line feed or carriage return
    // would be read back as other entries, or not at all, and one with an unpaired
    // surrogate would be written as another path (with "?" in its place). Nor can one of
    // more than maximumSize bytes: no lock file holds it.
    static bool canList(const QString &entry);

    LockFileHandle(const QString &path, OpenMode mode);
    ~LockFileHandle();
    LockFileHandle(const LockFileHandle &) = delete;
    LockFileHandle &operator=(const LockFileHandle &) = delete;

    // What append() and remove() did.
    enum Outcome {
        Rewritten,  // the file holds the new list
        Unchanged,  // nothing to do; the file was not touched
        WriteFailed // see rewrite(); the file was not touched
    };

    Status status() const { return m_status; }
    // Why the file was Refused, to follow "The lock file": "belongs to user alice", "is
    // held by another process" or "is larger than 16 MiB"; why a rewrite was refused:
    // "would grow larger than 16 MiB"; or why it is CannotOpen for what it is: "is not a
    // regular file", "has more than one name". Else empty.
    QString refusal() const { return m_refusal; }
    // The errno of the system call that failed last: why the file could not be created or
    // opened, why it may only be read, or why a rewrite failed. 0 when no call failed,
    // also when the file is CannotOpen for what it is (not a regular file, several names).
    int error() const { return m_error; }
    // The entries in file order; empty unless status() is Open.
    QStringList entries() const;
    // Replaces the whole list by entries. False when the file is not Open, may only be
    // read, would grow larger than maximumSize, or cannot be written; it then keeps its
    // content.
    bool rewrite(const QStringList &entries);
    // Adds entry after the others, unless it is listed already (Unchanged).
    Outcome append(const QString &entry);
    // Drops every line that names entry, unless there is none (Unchanged).
    Outcome remove(const QString &entry);

private:
    // Platform part: opens, checks, locks and reads m_content.
    Status openAndLock(const QString &path, OpenMode mode);
    // Makes content the whole file, or leaves m_content in it on failure.
    bool replaceContent(const QByteArray &content);
    // Platform part: makes the file m_content up to from, then tail; or leaves m_content
    // in it on failure.
    bool replaceTail(qsizetype from, const QByteArray &tail);

    int m_descriptor = -1;
    bool m_writable = false;
    QByteArray m_content;
    QString m_refusal;
    int m_error = 0;
    Status m_status;
};

// The lock file of the processes that run under applicationName: the temporary folder,
// "/", the name and ".lock". TavShare::getLockFilePath() is that of the running program.
QString lockFilePathFor(const QString &applicationName);

#endif // LOCKFILE_P_H
