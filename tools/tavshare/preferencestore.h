// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#ifndef TAVSHARE_TOOL_PREFERENCESTORE_H
#define TAVSHARE_TOOL_PREFERENCESTORE_H

// The preference store as the tool walks it: which keys belong to whom, and whether a
// change made through the library reached the store file.

#include "TavSettings.h"

#include <QString>
#include <QStringList>

namespace Tool {

// Every key stored below key (the key itself excluded), as full keys.
QStringList keysBelow(const QString &key);
// The keys of one application: those of its group or, for AppShared, those outside
// every application group.
QStringList applicationKeys(TavSettings::AppType appType);

// The store's changes are written when the library closes its store object, and a
// failure there goes unreported. Writes again what is still pending and returns
// ExitSuccess after printing success (if any), or ExitFailure with the reason.
int confirmStoreWritten(const QString &success = QString());

} // namespace Tool

#endif // TAVSHARE_TOOL_PREFERENCESTORE_H
