// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "preferencestore.h"

#include "commandline.h"
#include "suitenames.h"
#include "tavsettings_p.h"

#include <QFileInfo>

#include <algorithm>

namespace Tool {

QStringList keysBelow(const QString &key)
{
    TavSettingsStore store;
    store.beginGroup(key);
    QStringList keys = store.allKeys();
    store.endGroup();
    for (QString &child : keys)
        child.prepend(key + QLatin1Char('/'));
    return keys;
}

QStringList applicationKeys(TavSettings::AppType appType)
{
    const QString group = applicationGroup(appType);
    if (!group.isEmpty())
        return keysBelow(group);

    const QStringList groups = applicationGroups();
    QStringList keys = TavSettingsStore().allKeys();
    keys.erase(std::remove_if(keys.begin(), keys.end(),
                              [&groups](const QString &key) { return groups.contains(key.section(QLatin1Char('/'), 0, 0)); }),
               keys.end());
    return keys;
}

namespace {

// What keeps the store file from being written: the first part of its path that is no
// folder, the file itself when it is no regular file, or a missing permission.
QString writeProblem(const QString &fileName)
{
    QFileInfo blocker(fileName);
    while (!blocker.exists() && !blocker.isSymLink() && !blocker.isRoot())
        blocker.setFile(blocker.absolutePath());
    if (blocker.absoluteFilePath() != QFileInfo(fileName).absoluteFilePath()) {
        if (!blocker.isDir())
            return QStringLiteral("%1 is not a folder").arg(blocker.filePath());
        if (!blocker.isWritable())
            return QStringLiteral("no permission to create files in %1").arg(blocker.filePath());
    } else if (!blocker.isFile()) {
        return QStringLiteral("it is not a regular file");
    } else if (!blocker.isWritable() || !QFileInfo(blocker.absolutePath()).isWritable()) {
        return QStringLiteral("no permission to replace it");
    }
    return QStringLiteral("the write failed");
}

} // namespace

int StoreChange::confirm(const QString &success)
{
    m_store.sync();
    switch (m_store.status()) {
    case QSettings::NoError:
        break;
    case QSettings::AccessError:
        return failure(QStringLiteral("cannot write the preference store %1: %2").arg(m_store.fileName(), writeProblem(m_store.fileName())));
    case QSettings::FormatError:
        return failure(QStringLiteral("cannot write the preference store %1: it is not in the store's format").arg(m_store.fileName()));
    }
    if (!success.isEmpty())
        out() << success << '\n';
    return ExitSuccess;
}

} // namespace Tool
