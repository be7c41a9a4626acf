// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "TavWatcher.h"
#include "lockfile_p.h"
#include "storesnapshot_p.h"
#include "tavsettings_p.h"
#include "watchhub_p.h"

#include <QCoreApplication>
#include <QSet>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace {

// Long enough to take in a save and the writes around it, short enough to feel immediate.
constexpr int coalescingMsecs = 20;

const TavSettings::AppType allApplications[] = {TavSettings::AppShared, TavSettings::AppOrbelle, TavSettings::AppQuintara, TavSettings::AppHalvex,
                                                 TavSettings::AppDornel, TavSettings::AppPellaris};

// "Orbelle/" for an application, empty for AppShared.
QString groupPrefix(TavSettings::AppType appType)
{
    return TavSettingsInternals::getKey(QStringLiteral("x"), appType).chopped(1);
}

// The name of key within appType's group, or a null string when it is not in the group.
QString settingOf(const QString &key, TavSettings::AppType appType)
{
    const QString prefix = groupPrefix(appType);
    if (!prefix.isEmpty())
        return key.startsWith(prefix) ? key.mid(prefix.size()) : QString();
    for (const TavSettings::AppType application : allApplications) {
        if (application != TavSettings::AppShared && key.startsWith(groupPrefix(application)))
            return QString();
    }
    return key;
}

// The entries of list that other does not hold, in list's order.
QStringList missingFrom(const QStringList &list, const QStringList &other)
{
    const QSet<QString> others(other.begin(), other.end());
    QStringList missing;
    std::copy_if(list.begin(), list.end(), std::back_inserter(missing), [&others](const QString &entry) { return !others.contains(entry); });
    return missing;
}

} // namespace

class TavWatcherPrivate
{
public:
    struct RecentList {
        TavSettings::TavrelleFileType fileType;
        TavSettings::AppType appType;
        QString key;
    };
    struct LockList {
        QString applicationName;
        QSharedPointer<WatchedPath> file;
        QStringList entries;
    };

    explicit TavWatcherPrivate(TavWatcher *watcher)
        : q(watcher)
    {
        timer.setSingleShot(true);
        timer.setInterval(coalescingMsecs);
        QObject::connect(&timer, &QTimer::timeout, q, [this] { report(); });
    }

    bool isWatched(const QString &key) const
    {
        const bool inGroup = std::any_of(std::begin(allApplications), std::end(allApplications), [this, &key](TavSettings::AppType appType) {
            return watchesPreferences(appType) && !settingOf(key, appType).isNull();
        });
        return inGroup || std::any_of(recentLists.begin(), recentLists.end(), [&key](const RecentList &list) { return list.key == key; });
    }

    // The watched values of the store as it stands.
    QHash<QString, QString> watchedValues(const StoreSnapshot &snapshot) const
    {
        QHash<QString, QString> watched;
        for (auto value = snapshot.values.begin(); value != snapshot.values.end(); ++value) {
            if (isWatched(value.key()))
                watched.insert(value.key(), value.value());
        }
        return watched;
    }

    // Starts watching the store, and takes the values that watch adds as reported.
    template <typename AddWatch>
    void watchStore(AddWatch addWatch)
    {
        // Watching before reading: no change falls between the two.
        const bool first = !store;
        if (first)
            connectTo(store = WatchedPath::of(storeFile(), WatchedPath::ReplacedFile));
        const StoreSnapshot snapshot = readStoreSnapshot();
        if (first)
            lastSnapshot = snapshot;
        const QHash<QString, QString> before = watchedValues(snapshot);
        addWatch();
        for (auto value = snapshot.values.begin(); value != snapshot.values.end(); ++value) {
            if (!before.contains(value.key()) && isWatched(value.key()))
                reported.insert(value.key(), value.value());
        }
    }

    void connectTo(const QSharedPointer<WatchedPath> &path)
    {
        QObject::connect(path.data(), &WatchedPath::changed, q, [this] { schedule(); });
        QObject::connect(path.data(), &WatchedPath::eventsLost, q, [this] {
            eventsLost = true;
            schedule();
        });
    }

    // The window is not extended by later events, so a steady stream of them is still
    // reported every window.
    void schedule()
    {
        if (!timer.isActive())
            timer.start();
    }

    void report()
    {
        if (eventsLost) {
            eventsLost = false;
            Q_EMIT q->storeReset();
        }
        if (store)
            reportStore();
        for (LockList &list : lockLists)
            reportLockList(list);
    }

    void reportStore()
    {
        const StoreSnapshot snapshot = readStoreSnapshot();
        const bool vanished = lastSnapshot.state == StoreSnapshot::Readable && snapshot.state == StoreSnapshot::Missing;
        const bool becameUnreadable = lastSnapshot.state != StoreSnapshot::Unreadable && snapshot.state == StoreSnapshot::Unreadable;
        lastSnapshot = snapshot;
        if (snapshot.state == StoreSnapshot::Unreadable) {
            // The values are not known: they are neither changed nor kept.
            if (becameUnreadable)
                Q_EMIT q->storeReset();
            return;
        }
        const QHash<QString, QString> now = watchedValues(snapshot);
        QStringList changed;
        for (auto value = now.begin(); value != now.end(); ++value) {
            const auto old = reported.constFind(value.key());
            if (old == reported.constEnd() || *old != value.value())
                changed << value.key();
        }
        for (auto value = reported.begin(); value != reported.end(); ++value) {
            if (!now.contains(value.key()))
                changed << value.key();
        }
        reported = now;
        std::sort(changed.begin(), changed.end());
        for (const QString &key : std::as_const(changed)) {
            for (const TavSettings::AppType appType : allApplications) {
                const QString setting = settingOf(key, appType);
                if (watchesPreferences(appType) && !setting.isNull())
                    Q_EMIT q->preferenceChanged(appType, setting);
            }
            for (const RecentList &list : std::as_const(recentLists)) {
                if (list.key == key)
                    Q_EMIT q->recentFilesChanged(list.fileType, list.appType);
            }
        }
        if (vanished)
            Q_EMIT q->storeReset();
    }

    // The entries of the lock file at path; false when it cannot be read now.
    static bool readLockList(const QString &path, QStringList *entries)
    {
        const LockFileHandle lockFile(path, LockFileHandle::ReadShared);
        if (lockFile.status() != LockFileHandle::Open && lockFile.error() != ENOENT)
            return false;
        *entries = lockFile.entries();
        return true;
    }

    void reportLockList(LockList &list)
    {
        QStringList entries;
        // An unreadable file is left for the next event: no entry is reported gone.
        if (!readLockList(lockFilePathFor(list.applicationName), &entries))
            return;
        const QStringList added = missingFrom(entries, list.entries);
        const QStringList removed = missingFrom(list.entries, entries);
        list.entries = entries;
        if (!added.isEmpty() || !removed.isEmpty())
            Q_EMIT q->lockListChanged(list.applicationName, added, removed);
    }

    TavWatcher *q;
    QTimer timer;
    bool eventsLost = false;

    QSharedPointer<WatchedPath> store;
    StoreSnapshot lastSnapshot;
    // Bit n: the preferences of AppType n are watched.
    unsigned applications = 0;
    bool watchesPreferences(TavSettings::AppType appType) const { return applications & (1u << appType); }
    std::vector<RecentList> recentLists;
    // The watched values as last reported, by full key; a missing key has its default.
    QHash<QString, QString> reported;

    std::vector<LockList> lockLists;
};

TavWatcher::TavWatcher(QObject *parent)
    : QObject(parent)
    , d(std::make_unique<TavWatcherPrivate>(this))
{
    qRegisterMetaType<TavSettings::AppType>("TavSettings::AppType");
    qRegisterMetaType<TavSettings::TavrelleFileType>("TavSettings::TavrelleFileType");
}

TavWatcher::~TavWatcher() = default;

void TavWatcher::watchPreferences(TavSettings::AppType appType)
{
    // Values outside the enumeration stand for AppShared, as in the getters.
    const TavSettings::AppType application = groupPrefix(appType).isEmpty() ? TavSettings::AppShared : appType;
    if (d->watchesPreferences(application))
        return;
    d->watchStore([this, application] { d->applications |= 1u << application; });
}

void TavWatcher::watchRecentFiles(TavSettings::TavrelleFileType fileType, TavSettings::AppType appType)
{
    const QString key = TavSettingsInternals::getFileKey(TavSettingsKeys::keyRecentFileList, fileType, appType);
    const auto sameList = [&](const TavWatcherPrivate::RecentList &list) {
        return list.fileType == fileType && list.appType == appType;
    };
    if (std::any_of(d->recentLists.begin(), d->recentLists.end(), sameList))
        return;
    d->watchStore([this, fileType, appType, &key] { d->recentLists.push_back({fileType, appType, key}); });
}

void TavWatcher::watchLockList(const QString &applicationName)
{
    const QString name = applicationName.isEmpty() ? QCoreApplication::applicationName() : applicationName;
    const auto sameName = [&name](const TavWatcherPrivate::LockList &list) { return list.applicationName == name; };
    if (std::any_of(d->lockLists.begin(), d->lockLists.end(), sameName))
        return;
    TavWatcherPrivate::LockList list{name, WatchedPath::of(lockFilePathFor(name), WatchedPath::RewrittenFile), {}};
    TavWatcherPrivate::readLockList(lockFilePathFor(name), &list.entries);
    d->connectTo(list.file);
    d->lockLists.push_back(std::move(list));
}

void TavWatcher::unwatchAll()
{
    // Other watchers may share the watched files.
    if (d->store)
        disconnect(d->store.data(), nullptr, this, nullptr);
    for (const TavWatcherPrivate::LockList &list : d->lockLists)
        disconnect(list.file.data(), nullptr, this, nullptr);
    d->timer.stop();
    d->eventsLost = false;
    d->store.reset();
    d->lastSnapshot = StoreSnapshot();
    d->applications = 0;
    d->recentLists.clear();
    d->reported.clear();
    d->lockLists.clear();
}

TavWatcher::Backend TavWatcher::backend() const
{
    bool polled = d->store ? d->store->isPolled() : WatchedPath::pollsEverywhere();
    for (const TavWatcherPrivate::LockList &list : d->lockLists)
        polled = polled || list.file->isPolled();
    return polled ? Polling : Inotify;
}
