// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#ifndef TAVSHARE_TOOL_PREFERENCESTORE_H
#define TAVSHARE_TOOL_PREFERENCESTORE_H

// The preference store as the tool walks it: which keys belong to whom, and whether a
// change made through the library reached the store file.

#include "TavSettings.h"
#include "tavsettings_p.h"

#include <QString>
#include <QStringList>

namespace Tool {

// Every key stored below key (the key itself excluded), as full keys.
QStringList keysBelow(const QString &key);
// The keys of one application: those of its group or, for AppShared, those outside
// every application group.
QStringList applicationKeys(TavSettings::AppType appType);

// A change made through the library, confirmed in the store file. The library writes
// its changes back when its store object closes and does not look whether that worked;
// store objects of one process share the changes not yet written while any of them is
// open, so this one, open from before the change to confirm(), still holds a change whose
// write-back failed, and its own write-back tells.
class StoreChange
{
public:
    // Writes back what is still pending and returns ExitSuccess after printing success
    // (if any), or ExitFailure with the reason.
    int confirm(const QString &success = QString());

private:
    TavSettingsStore m_store;
};

} // namespace Tool

#endif // TAVSHARE_TOOL_PREFERENCESTORE_H
