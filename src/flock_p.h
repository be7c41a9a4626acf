// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#ifndef FLOCK_P_H
#define FLOCK_P_H

// Inside the library and its tools only.

#include <chrono>

// The longest any library operation waits for another process's flock.
constexpr std::chrono::milliseconds defaultLockWait{3000};

// Takes an exclusive flock on descriptor, waiting at most timeout for whoever holds it.
// A process of another user can hold a flock on any file it may read, for ever, so
// nothing waits unbounded. Returns false with errno EWOULDBLOCK when the wait ran out,
// or with the errno of the failing call.
bool lockExclusively(int descriptor, std::chrono::milliseconds timeout = defaultLockWait);

#endif // FLOCK_P_H
