// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#ifndef REMOVEDIRREFERENCE_H
#define REMOVEDIRREFERENCE_H

// The plain folder removal through Qt's own calls, by path. Tests compare the library's
// descriptor walk with it.

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace TavTest {

inline bool referenceRemoveDir(const QString &dirName)
{
    if (dirName.isEmpty() || !QDir(dirName).exists())
        return true;
    const auto listed = [](const QString &folder) {
        const QDir dir(folder);
        QStringList paths;
        for (const QString &name : dir.entryList(QDir::Files | QDir::AllDirs | QDir::NoDotAndDotDot, QDir::NoSort))
            paths << dir.absoluteFilePath(name);
        return paths;
    };
    QStringList work = listed(dirName), folders;
    while (!work.isEmpty()) {
        const QString path = work.takeLast();
        if (QFileInfo(path).isDir()) {
            folders << path;
            work << listed(path);
        } else if (!QFile::remove(path)) {
            return false;
        }
    }
    for (auto folder = folders.crbegin(); folder != folders.crend(); ++folder)
        QDir().rmdir(*folder);
    return QDir().rmdir(dirName);
}

} // namespace TavTest

#endif // REMOVEDIRREFERENCE_H
