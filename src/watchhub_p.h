// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#ifndef WATCHHUB_P_H
#define WATCHHUB_P_H

// Inside the library only: the process-wide watch on the files TavWatcher reports on.

#include <QObject>
#include <QString>

#include <QSharedPointer>

class QTimer;

/*
 * One watched file, shared by every watcher of it in the process; it says that the file
 * may have changed, never what changed.
 *
 * All of them share one inotify instance. A file that each save replaces (the store) is
 * watched through its folder, filtered by name; a file rewritten in place (a lock file)
 * is watched itself, and through its folder only while it does not exist. A missing
 * folder is waited for from the nearest existing parent. When no inotify instance can be
 * had, on a network file system, or when TAVSHARE_WATCH_POLLING is set to 1, the file is
 * polled instead.
 */
class WatchedPath : public QObject
{
    Q_OBJECT
public:
    enum Kind {
        ReplacedFile, // saved by writing a new file and renaming it over the old one
        RewrittenFile // written in place
    };

    // The one object for path in this process, made on first use.
    static QSharedPointer<WatchedPath> of(const QString &path, Kind kind);
    // Whether a file watched from now on would be polled, wherever it is.
    static bool pollsEverywhere();

    ~WatchedPath() override;
    bool isPolled() const { return m_poll != nullptr; }

    // Platform part: follows the file after event, one event of the kernel's.
    void handle(quint32 mask, const QByteArray &name);
    // Platform part: watches the file anew, wherever it stands now.
    void arm();

Q_SIGNALS:
    void changed();
    // The kernel dropped events: anything may have changed.
    void eventsLost();

private:
    WatchedPath(const QString &path, Kind kind);
    // One try of arm(); false when what it waits for appeared meanwhile.
    bool armOnce();

    QString m_path;
    Kind m_kind;
    QTimer *m_poll = nullptr;
    int m_watch = -1;
    // The name the watched folder's events must carry; empty when the file itself is watched.
    QByteArray m_name;
    // Whether the watched folder is a parent of a missing folder of the path.
    bool m_waitingForFolder = false;
};

#endif // WATCHHUB_P_H
