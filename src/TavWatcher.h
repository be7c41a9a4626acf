// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#ifndef TAVWATCHER_H
#define TAVWATCHER_H

#include "TavSettings.h"
#include "tavshare_export.h"

#include <QMetaType>
#include <QObject>
#include <QStringList>

#include <memory>

class TavWatcherPrivate;

/**
 * Tells a running application what another process (or this one) changed in the shared
 * preference store and in a lock file.
 *
 * A watcher watches nothing until told what to watch. Every writer is seen: the suite's
 * applications of either Qt major, older library versions, the tavshare tool and a text
 * editor. A signal names what changed; read the value with the usual TavSettings getter,
 * which already returns the new value when the signal arrives.
 *
 * Only real changes are reported: each watcher compares the values with those it last
 * reported, so reads, writes of an equal value, saves that changed only other keys and a
 * TavShare::getLock() that returned 1 report nothing. The writing process is told of its
 * own writes too. A burst of changes is reported once, a short time (about 20 ms) after
 * its first change; the window is not extended by later ones, so the final state is
 * always reported.
 *
 * On a local file system all watchers of a process share one inotify instance and wake
 * the process only when a watched file changes. On a network file system (NFS, SMB,
 * FUSE and the like), or when no inotify instance can be had, the watcher opens and reads
 * the files about every 2 seconds instead, and backend() says so. Setting the environment
 * variable TAVSHARE_WATCH_POLLING to 1 before the first watcher starts forces polling.
 *
 * Use watchers in the thread of the application object.
 */
class TAVSHARE_EXPORT TavWatcher : public QObject
{
    Q_OBJECT
public:
    /** How changes are found. */
    enum Backend {
        Inotify, ///< the kernel tells the process at once
        Polling  ///< the files are read about every 2 seconds
    };
    Q_ENUM(Backend)

    /** A watcher that watches nothing yet. */
    explicit TavWatcher(QObject *parent = nullptr);
    ~TavWatcher() override;

    /**
     * Reports every value of \a appType's group (for AppShared: of no application's
     * group) through preferenceChanged().
     */
    void watchPreferences(TavSettings::AppType appType);

    /** Reports changes of one recent-file list through recentFilesChanged(). */
    void watchRecentFiles(TavSettings::TavrelleFileType fileType, TavSettings::AppType appType);

    /**
     * Reports entries added to and removed from the lock file of \a applicationName
     * (empty: the running application's name, as TavShare::getLock() uses) through
     * lockListChanged().
     */
    void watchLockList(const QString &applicationName = QString());

    /** Stops watching everything. */
    void unwatchAll();

    /** Polling when any watched file is polled, or when new watches would be. */
    Backend backend() const;

Q_SIGNALS:
    /**
     * The value of \a setting (its name within the application's group, such as
     * "LineSpace" or "RecentFileList/TavrelleModelFile") was set, changed or removed.
     */
    void preferenceChanged(TavSettings::AppType appType, const QString &setting);

    /** The recent-file list of \a fileType and \a appType changed. */
    void recentFilesChanged(TavSettings::TavrelleFileType fileType, TavSettings::AppType appType);

    /** Entries were \a added to or \a removed from the lock file of \a applicationName. */
    void lockListChanged(const QString &applicationName, const QStringList &added, const QStringList &removed);

    /**
     * The store vanished or became unreadable, or changes may have been missed: read
     * everything again. A vanished store's values are also reported one by one.
     */
    void storeReset();

private:
    friend class TavWatcherPrivate;
    std::unique_ptr<TavWatcherPrivate> d;
};

Q_DECLARE_METATYPE(TavSettings::AppType)
Q_DECLARE_METATYPE(TavSettings::TavrelleFileType)

#endif // TAVWATCHER_H
