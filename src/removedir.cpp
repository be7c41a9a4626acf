// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "TavShare.h"
#include "removedir_p.h"

#include <QDir>
#include <QFile>

bool TavShare::removeDir(const QString &dirName)
{
    // No folder has a NUL in its name; cut there, the name would lead to another one.
    if (dirName.isEmpty() || dirName.contains(QChar(0)))
        return true;
    return removeFolderTree(QFile::encodeName(QDir::cleanPath(dirName)));
}
