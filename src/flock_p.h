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

// As lockExclusively, but a shared flock: for readers, which exclude only writers.
bool lockShared(int descriptor, std::chrono::milliseconds timeout = defaultLockWait);

// As lockExclusively, but timeout bounds one hold during which the file's size and
// modification time stay as they are: while the holders keep rewriting the file, the wait
// goes on. Meant for a file only the user may write, whose busy writers are the user's own
// processes; a holder that does not let go, or only reads, still ends the wait.
bool lockExclusivelyWhileWritten(int descriptor, std::chrono::milliseconds timeout = defaultLockWait);

#endif // FLOCK_P_H
