// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "preferencestore.h"

#include "commandline.h"
#include "suitenames.h"
#include "tavsettings_p.h"

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

int confirmStoreWritten(const QString &success)
{
    // Store objects of one process share their file's unwritten changes, so a fresh
    // object's sync tries them again and reports how it went.
    TavSettingsStore store;
    store.sync();
    if (store.status() != QSettings::NoError)
        return failure(QStringLiteral("cannot write the preference store %1").arg(store.fileName()));
    if (!success.isEmpty())
        out() << success << '\n';
    return ExitSuccess;
}

} // namespace Tool
