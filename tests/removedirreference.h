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

// The names QDir lists in folder, in its order.
inline QStringList referenceListing(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::AllDirs | QDir::NoDotAndDotDot, QDir::NoSort);
}

inline bool referenceRemoveDir(const QString &dirName)
{
    if (dirName.isEmpty() || !QDir(dirName).exists())
        return true;
    QStringList work{dirName}, folders;
    while (!work.isEmpty()) {
        const QString path = work.takeLast();
        if (QFileInfo(path).isDir()) {
            folders << path;
            for (const QString &name : referenceListing(path))
                work << path + QLatin1Char('/') + name;
        } else if (!QFile::remove(path)) {
            return false;
        }
    }
    // The top comes last.
    bool removed = false;
    for (auto folder = folders.crbegin(); folder != folders.crend(); ++folder)
        removed = QDir().rmdir(*folder);
    return removed;
}

} // namespace TavTest

#endif // REMOVEDIRREFERENCE_H
