// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "TavShare.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// Hidden and system entries (FIFOs, sockets, devices, dangling links) are not listed:
// they stay, and keep their folder alive.
QFileInfoList listEntries(const QString &folder)
{
    return QDir(folder).entryInfoList(QDir::Files | QDir::AllDirs | QDir::NoDotAndDotDot, QDir::NoSort);
}

} // namespace

bool TavShare::removeDir(const QString &dirName)
{
    if (dirName.isEmpty())
        return true;
    // A link named dirName goes as a link, like every link below it: whatever it points
    // to is outside the tree. "link/" would lead through the link, hence the cleaning.
    const QString cleanName = QDir::cleanPath(dirName);
    if (QFileInfo(cleanName).isSymLink())
        return QFile::remove(cleanName);
    if (!QDir(dirName).exists())
        return true;

    // Depth first: the entry listed last is handled first, and a folder's contents right
    // after the folder.
    QFileInfoList pending = listEntries(dirName);
    QStringList folders;
    while (!pending.isEmpty()) {
        const QFileInfo entry = pending.takeLast();
        const QString path = entry.absoluteFilePath();
        if (entry.isDir() && !entry.isSymLink()) {
            pending += listEntries(path);
            folders.append(path);
        } else if (!QFile::remove(path)) {
            return false;
        }
    }

    // Inner folders were met after their parents. One that stays (a hidden entry in it)
    // shows in the removal of dirName below.
    QDir root;
    for (auto folder = folders.crbegin(); folder != folders.crend(); ++folder)
        root.rmdir(*folder);
    return root.rmdir(dirName);
}
