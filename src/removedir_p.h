// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#ifndef REMOVEDIR_P_H
#define REMOVEDIR_P_H

// Inside the library only.

#include <QByteArray>

// Removes what stands at path (local 8-bit, no trailing separator unless it is "/") as
// TavShare::removeDir describes: a link as a link, a folder with everything below it that
// is neither hidden nor a system entry. True when the folder or link is gone or there was
// none; false when a file could not be removed (the walk stops there and no folder is
// removed) or the folder stays.
bool removeFolderTree(const QByteArray &path);

#endif // REMOVEDIR_P_H
