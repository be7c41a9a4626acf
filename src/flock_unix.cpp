// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "flock_p.h"

#include <algorithm>
#include <cerrno>
#include <thread>

#include <sys/file.h>
#include <sys/stat.h>

namespace {

// Polls for the flock until timeout has passed since the start or since the last time
// progressed() returned true.
template <typename Progressed>
bool pollForLock(int descriptor, int operation, std::chrono::milliseconds timeout, Progressed progressed)
{
    using Clock = std::chrono::steady_clock;
    Clock::time_point deadline = Clock::now() + timeout;
    // flock has no timeout of its own: poll, starting fast because the usual holder keeps
    // the lock for microseconds, and backing off so a long holder costs little. But not
    // far: a process that takes the lock again right after releasing it wins against
    // every sleeper, so a long pause would let busy processes starve the sleepers.
    const std::chrono::microseconds shortestPause{50};
    const std::chrono::microseconds longestPause{500};
    std::chrono::microseconds pause = shortestPause;
    for (;;) {
        if (::flock(descriptor, operation | LOCK_NB) == 0)
            return true;
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK)
            return false;
        const Clock::time_point now = Clock::now();
        if (progressed()) {
            deadline = now + timeout;
            pause = shortestPause;
        } else if (now >= deadline) {
            errno = EWOULDBLOCK;
            return false;
        }
        std::this_thread::sleep_for(std::min<Clock::duration>(pause, deadline - now));
        pause = std::min(pause * 2, longestPause);
    }
}

} // namespace

bool lockExclusively(int descriptor, std::chrono::milliseconds timeout)
{
    return pollForLock(descriptor, LOCK_EX, timeout, [] { return false; });
}

bool lockShared(int descriptor, std::chrono::milliseconds timeout)
{
    return pollForLock(descriptor, LOCK_SH, timeout, [] { return false; });
}

bool lockExclusivelyWhileWritten(int descriptor, std::chrono::milliseconds timeout)
{
    // Size and modification time change only through a write, which takes write access:
    // a reader of another user cannot fake progress. The ctime could be moved by anyone
    // who may make a hard link to the file.
    // The usual case, a free lock, needs no look at the file.
    if (::flock(descriptor, LOCK_EX | LOCK_NB) == 0)
        return true;
    struct stat seen;
    if (::fstat(descriptor, &seen) != 0)
        return false;
    return pollForLock(descriptor, LOCK_EX, timeout, [descriptor, &seen] {
        struct stat now;
        if (::fstat(descriptor, &now) != 0)
            return false;
        const bool written = now.st_size != seen.st_size || now.st_mtim.tv_sec != seen.st_mtim.tv_sec
            || now.st_mtim.tv_nsec != seen.st_mtim.tv_nsec;
        seen = now;
        return written;
    });
}
