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
    // the lock for microseconds, and backing off so a long holder costs little. But not
    // far: a process that takes the lock again right after releasing it wins against
    // every sleeper, and with pauses of 20 ms busy processes of one application starved
    // each other past the bound on a loaded machine.
    std::chrono::microseconds pause{50};
    const std::chrono::microseconds longestPause{1000};
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
