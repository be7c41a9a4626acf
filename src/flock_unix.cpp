// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "flock_p.h"

#include <algorithm>
#include <cerrno>
#include <thread>

#include <sys/file.h>

bool lockExclusively(int descriptor, std::chrono::milliseconds timeout)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + timeout;
    // flock has no timeout of its own: poll, starting fast because the usual holder keeps
    // the lock for microseconds, and backing off so a long holder costs little.
    std::chrono::microseconds pause{50};
    const std::chrono::microseconds longestPause{20000};
    for (;;) {
        if (::flock(descriptor, LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK)
            return false;
        const Clock::time_point now = Clock::now();
        if (now >= deadline) {
            errno = EWOULDBLOCK;
            return false;
        }
        std::this_thread::sleep_for(std::min<Clock::duration>(pause, deadline - now));
        pause = std::min(pause * 2, longestPause);
    }
}
