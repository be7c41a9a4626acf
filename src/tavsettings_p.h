// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#ifndef TAVSETTINGS_P_H
#define TAVSETTINGS_P_H

// Inside the preference store only: the key constants and the one way to open the store.

#include "TavSettings.h"

#include <QSettings>
#include <QVariant>

namespace TavSettingsKeys {
extern const QString organization;
extern const QString application;

extern const QString keyRecentFilePath;
extern const QString keyRecentFileList;
extern const QString keySimulationWorkingDirectory;
extern const QString keyStartScreenSizeType;
extern const QString keyStartScreenPosType;
extern const QString keyLastScreenSize;
extern const QString keyLastScreenPos;
extern const QString keyStartPageType;
extern const QString keyApplicationTitleType;
extern const QString keyMoleculeTooltipsType;
extern const QString keyIconSizeType;
extern const QString keyIconSize;
extern const QString keyLineSpace;
extern const QString keyAutoSaveSingleMolCpxType;
extern const QString keyDisplayCenterButtonsType;
extern const QString keyDisplayFullNameType;
extern const QString keyPottsModelSecVisibleStatus;
extern const QString keySplineResoluition;
extern const QString keySplineProfileSynStatus;
extern const QString keyImageExportMagnificationFactor;
extern const QString keyVisibleVtkAxisMarker;
extern const QString keyVisibleTavModelInfoSec;
} // namespace TavSettingsKeys

// The suite's store, opened for the length of one call. Qt 5 is told to read and write
// the file in UTF-8, as Qt 6 always does, so that applications built against either
// version share it without mangling non-ASCII paths.
class TavSettingsStore : public QSettings
{
public:
    TavSettingsStore();
};

#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
class QTextCodec;
// UTF-8 byte for byte as Qt 6 writes the store, characters above U+FFFF included.
QTextCodec *storeCodec();
#endif

// The store opened for one read-change-write that no other process or thread going
// through this class interleaves with. The constructor takes an exclusive lock on a file
// beside the store, waiting a bounded time, and then re-reads the store; the destructor
// writes the changes back before it releases the lock. QSettings' own "<store>.lock"
// cannot serve: sync() holds it only while it merges and writes, not from a read to the
// write that depends on it.
class TavSettingsUpdate : public TavSettingsStore
{
public:
    TavSettingsUpdate();
    ~TavSettingsUpdate();

private:
    int m_lockDescriptor;
    QByteArray m_storePath;
    qint64 m_previousModification = -1;
};

// The value under key converted to T, or fallback when the store has no such key.
template <typename T>
T readSetting(const QString &key, const T &fallback)
{
    const TavSettingsStore store;
    return store.contains(key) ? store.value(key, QVariant()).value<T>() : fallback;
}

bool containsSetting(const QString &key);
void writeSetting(const QString &key, const QVariant &value);
// Removes key and everything below it.
void removeSetting(const QString &key);

#endif // TAVSETTINGS_P_H
