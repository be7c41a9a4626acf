// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "TavShare.h"
#include "removedir_p.h"

#include <QDir>
#include <QFile>

bool TavShare::removeDir(const QString &dirName)
{
    if (dirName.isEmpty())
        return true;
    // "top/" and "top/." name top itself, so a link named so still goes as a link.
    return removeFolderTree(QFile::encodeName(QDir::cleanPath(dirName)));
}
