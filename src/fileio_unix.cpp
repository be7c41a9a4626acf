// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "fileio_p.h"

#include <algorithm>
#include <cerrno>

#include <unistd.h>

// A read of a regular file that returns less than it was asked for has reached the end,
// so a file that has not grown since its fstat is read with one call.
bool readRegularFile(int descriptor, qint64 sizeHint, qint64 limit, QByteArray *content)
{
    content->resize(int(std::min(sizeHint + 1, limit)));
    qint64 filled = 0;
    for (;;) {
        const qint64 wanted = content->size() - filled;
        const ssize_t count = ::read(descriptor, content->data() + filled, size_t(wanted));
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return false;
        filled += count;
        if (count < wanted || filled == limit) {
            content->resize(int(filled));
            return true;
        }
        content->resize(int(std::min(filled * 2, limit)));
    }
}

// Taking a lock appends a line and releasing the latest one cuts it off, so most changes
// write a line or nothing instead of the whole list. The file is never emptied first:
// ext4 takes a file truncated to zero and written again for a replaced file and flushes
// it to disk on close, which would cost every change a disk write.
bool writeTail(int descriptor, qsizetype from, const QByteArray &tail, qsizetype previousSize)
{
    qint64 written = 0;
    while (written < tail.size()) {
        const ssize_t count = ::pwrite(descriptor, tail.constData() + written, size_t(tail.size() - written), off_t(from + written));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        written += count;
    }
    return from + tail.size() >= previousSize || ::ftruncate(descriptor, off_t(from + tail.size())) == 0;
}
