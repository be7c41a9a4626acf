// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "watchhub_p.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace {

// A user has 128 inotify instances by default; a watcher object of its own each would
// soon use them up, so every watch of the process goes through this one.
class Hub
{
public:
    // Never destroyed: a watcher that outlives main() still finds it.
    static Hub &instance()
    {
        static Hub *hub = new Hub;
        return *hub;
    }

    bool isUsable() const { return m_descriptor >= 0; }

    // Adds mask to the watch on path (whose other users keep theirs) and user to its users.
    int add(const QByteArray &path, quint32 mask, WatchedPath *user)
    {
        const int watch = ::inotify_add_watch(m_descriptor, path.constData(), mask | IN_MASK_ADD);
        if (watch >= 0 && !m_users[watch].contains(user))
            m_users[watch].append(user);
        return watch;
    }

    void remove(int watch, WatchedPath *user)
    {
        const auto users = m_users.find(watch);
        if (users == m_users.end())
            return;
        users->removeOne(user);
        if (users->isEmpty()) {
            m_users.erase(users);
            ::inotify_rm_watch(m_descriptor, watch);
        }
    }

    QHash<QString, QWeakPointer<WatchedPath>> paths;

private:
    Hub()
        : m_descriptor(qEnvironmentVariableIntValue("TAVSHARE_WATCH_POLLING") == 1 ? -1 : ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        if (m_descriptor < 0)
            return;
        // Gone with the application object, when no event loop can run any more.
        auto *notifier = new QSocketNotifier(m_descriptor, QSocketNotifier::Read, QCoreApplication::instance());
        QObject::connect(notifier, &QSocketNotifier::activated, notifier, [this] { readEvents(); });
    }

    void readEvents()
    {
        alignas(inotify_event) char buffer[16384];
        for (;;) {
            const ssize_t length = ::read(m_descriptor, buffer, sizeof buffer);
            if (length < 0 && errno == EINTR)
                continue;
            if (length <= 0)
                return;
            for (ssize_t at = 0; at < length;) {
                inotify_event event;
                std::memcpy(&event, buffer + at, sizeof event);
                const QByteArray name(buffer + at + sizeof event, int(::strnlen(buffer + at + sizeof event, event.len)));
                at += ssize_t(sizeof event + event.len);
                dispatch(event, name);
            }
        }
    }

    void dispatch(const inotify_event &event, const QByteArray &name)
    {
        if (event.mask & IN_Q_OVERFLOW) {
            for (const QWeakPointer<WatchedPath> &path : std::as_const(paths)) {
                if (const QSharedPointer<WatchedPath> watched = path.toStrongRef()) {
                    watched->arm();
                    Q_EMIT watched->eventsLost();
                }
            }
            return;
        }
        // The kernel has dropped the watch: its users must not remove it again.
        const QList<WatchedPath *> users = event.mask & IN_IGNORED ? m_users.take(event.wd) : m_users.value(event.wd);
        for (WatchedPath *user : users)
            user->handle(event.mask, name);
    }

    int m_descriptor;
    QHash<int, QList<WatchedPath *>> m_users;
};

// The events of the folder that holds a file each save replaces, or of the file that is
// rewritten in place; those of a parent until a missing folder or file appears; and the
// watched node's own end. QSettings saves by linking a new file and renaming it over the old.
const quint32 folderEvents = IN_CREATE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE | IN_CLOSE_WRITE | IN_ONLYDIR;
const quint32 fileEvents = IN_MODIFY | IN_ATTRIB | IN_DONT_FOLLOW;
const quint32 appearingEvents = IN_CREATE | IN_MOVED_TO | IN_ONLYDIR;
const quint32 endEvents = IN_DELETE_SELF | IN_MOVE_SELF;

// Whether path, or the nearest folder above it that exists, is on a file system that
// tells no inotify watch of other machines' changes.
bool isOnNetwork(const QString &path)
{
    QString existing = path;
    struct statfs status;
    while (::statfs(QFile::encodeName(existing).constData(), &status) != 0) {
        if (errno != ENOENT || existing == QLatin1String("/"))
            return false;
        existing = QFileInfo(existing).path();
    }
    switch (static_cast<unsigned long>(status.f_type)) {
    case 0x6969UL:     // NFS
    case 0xFF534D42UL: // CIFS
    case 0xFE534D42UL: // SMB2
    case 0x517BUL:     // SMB
    case 0x65735546UL: // FUSE (sshfs and the like)
    case 0x73757245UL: // Coda
    case 0x5346414FUL: // AFS
    case 0x6B414653UL: // kAFS
    case 0x01021997UL: // 9P
    case 0x47504653UL: // GPFS
    case 0x0BD00BD0UL: // Lustre
    case 0x00C36400UL: // Ceph
        return true;
    default:
        return false;
    }
}

} // namespace

QSharedPointer<WatchedPath> WatchedPath::of(const QString &path, Kind kind)
{
    Hub &hub = Hub::instance();
    if (QSharedPointer<WatchedPath> watched = hub.paths.value(path).toStrongRef())
        return watched;
    QSharedPointer<WatchedPath> watched(new WatchedPath(path, kind));
    hub.paths.insert(path, watched);
    watched->arm();
    return watched;
}

bool WatchedPath::pollsEverywhere()
{
    return !Hub::instance().isUsable();
}

WatchedPath::WatchedPath(const QString &path, Kind kind)
    : m_path(path)
    , m_kind(kind)
{
    if (pollsEverywhere() || isOnNetwork(path)) {
        m_poll = new QTimer(this);
        m_poll->setInterval(2000);
        connect(m_poll, &QTimer::timeout, this, &WatchedPath::changed);
        m_poll->start();
    }
}

WatchedPath::~WatchedPath()
{
    Hub &hub = Hub::instance();
    if (m_watch >= 0)
        hub.remove(m_watch, this);
    hub.paths.remove(m_path);
}

void WatchedPath::arm()
{
    // What was waited for may appear before the watch for it is in place; a path that
    // keeps changing under the watch is caught by the next event.
    for (int attempt = 0; attempt < 3 && !isPolled() && !armOnce(); ++attempt) {
    }
}

bool WatchedPath::armOnce()
{
    Hub &hub = Hub::instance();
    if (m_watch >= 0)
        hub.remove(m_watch, this);
    m_watch = -1;
    const QFileInfo file(m_path);
    if (m_kind == RewrittenFile) {
        m_watch = hub.add(QFile::encodeName(m_path), fileEvents | endEvents, this);
        if (m_watch >= 0) {
            m_name.clear();
            m_waitingForFolder = false;
            return true;
        }
    }
    // The folder, or the nearest one above it that exists, for the name that leads to the file.
    QString folder = file.path();
    m_name = QFile::encodeName(file.fileName());
    m_waitingForFolder = false;
    for (;;) {
        const quint32 events = m_waitingForFolder || m_kind == RewrittenFile ? appearingEvents : folderEvents;
        m_watch = hub.add(QFile::encodeName(folder), events | endEvents, this);
        if (m_watch >= 0 || (errno != ENOENT && errno != ENOTDIR) || folder == QLatin1String("/"))
            break;
        m_name = QFile::encodeName(QFileInfo(folder).fileName());
        folder = QFileInfo(folder).path();
        m_waitingForFolder = true;
    }
    struct stat status;
    const QByteArray awaited = QFile::encodeName(folder + QLatin1Char('/')) + m_name;
    return m_watch < 0 || !(m_waitingForFolder || m_kind == RewrittenFile) || ::lstat(awaited.constData(), &status) != 0;
}

void WatchedPath::handle(quint32 mask, const QByteArray &name)
{
    if (mask & (endEvents | IN_IGNORED)) {
        // The watched folder or file is gone or moved: find the path again.
        if (mask & IN_IGNORED)
            m_watch = -1;
        arm();
        Q_EMIT changed();
        return;
    }
    if (!m_name.isEmpty() && name != m_name)
        return;
    // The missing folder or lock file has appeared: watch it, or the file in it.
    if (m_waitingForFolder || (m_kind == RewrittenFile && !m_name.isEmpty()))
        arm();
    Q_EMIT changed();
}
