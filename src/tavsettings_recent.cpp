// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "tavsettings_p.h"

#include <QFileInfo>

using namespace TavSettingsKeys;

QString TavSettings::getRecentTavrelleFilePath(TavrelleFileType fileType, AppType appType)
{
    const QString key = getFileKey(keyRecentFilePath, fileType, appType);
    if (containsSetting(key))
        return readSetting(key, QString());

    // No folder stored yet: offer the one that holds the most recent entry.
    const QString recentFile = getRecentTavrelleFile(fileType, appType);
    if (recentFile.isEmpty())
        return QString();
    const QFileInfo info(recentFile);
    return info.exists() ? info.absolutePath() : QString();
}

void TavSettings::setRecentTavrelleFilePath(const QString &path, TavrelleFileType fileType, AppType appType)
{
    writeSetting(getFileKey(keyRecentFilePath, fileType, appType), path);
}

QString TavSettings::getRecentTavrelleFile(TavrelleFileType fileType, AppType appType)
{
    const QStringList list = getRecentTavrelleFileList(fileType, appType);
    return list.isEmpty() ? QString() : list.first();
}

QStringList TavSettings::getRecentTavrelleFileList(TavrelleFileType fileType, AppType appType)
{
    return readSetting(getFileKey(keyRecentFileList, fileType, appType), QStringList());
}

void TavSettings::setRecentTavrelleFileList(const QStringList &list, TavrelleFileType fileType, AppType appType)
{
    writeSetting(getFileKey(keyRecentFileList, fileType, appType), list);
}

void TavSettings::clearRecentTavrelleFileList(TavrelleFileType fileType, AppType appType)
{
    removeSetting(getFileKey(keyRecentFileList, fileType, appType));
}

bool TavSettings::addRecentFileToTavrelleFileList(const QString &file, TavrelleFileType fileType, AppType appType, int maxCount)
{
    // A negative limit is a caller's bug; refusing it keeps the user's history intact.
    if (maxCount < 0)
        return false;

    const QFileInfo info(file);
    const bool acceptable = fileType == SimulationFolder ? info.isDir() : info.isFile();
    if (!acceptable)
        return false;

    const QString entry = info.absoluteFilePath();
    const QString key = getFileKey(keyRecentFileList, fileType, appType);
    // Read under the lock, so that an addition in one process never brings back what
    // another added, replaced or cleared meanwhile.
    TavSettingsUpdate store;
    QStringList list = store.value(key).toStringList();
    list.removeAll(entry);
    list.prepend(entry);
    if (list.size() > maxCount)
        list.erase(list.begin() + maxCount, list.end());
    store.setValue(key, list);
    return true;
}

QString TavSettings::getSimulationWorkingDirectory(TavrelleFileType fileType, AppType appType)
{
    return readSetting(getFileKey(keySimulationWorkingDirectory, fileType, appType), QString());
}

void TavSettings::setSimulationWorkingDirectory(const QString &dir, TavrelleFileType fileType, AppType appType)
{
    writeSetting(getFileKey(keySimulationWorkingDirectory, fileType, appType), dir);
}
