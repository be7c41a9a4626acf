// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#ifndef FILEIO_P_H
#define FILEIO_P_H

// Inside the library only: reading and changing files through descriptors, for the files
// that stand where others may write (the lock files, their holder records, the store).

#include <QByteArray>

#include <fcntl.h>

// Flags for every open of such a file: no link at the path is followed, a FIFO cannot
// block the open, a terminal cannot become the controlling one, and no child program
// inherits the descriptor.
inline constexpr int safeOpenFlags = O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;

// Reads the regular file open at descriptor from its offset to its end, or limit bytes
// of it when it is longer: a content of limit bytes means "too large". sizeHint is its
// size as fstat gave it; it may have grown since. False, with errno, when a read fails.
bool readRegularFile(int descriptor, qint64 sizeHint, qint64 limit, QByteArray *content);

// Makes the file of previousSize bytes open at descriptor hold tail from the byte at from
// on, cutting it where tail ends; the bytes before from stay. False, with errno, when a
// write fails.
bool writeTail(int descriptor, qsizetype from, const QByteArray &tail, qsizetype previousSize);

#endif // FILEIO_P_H
