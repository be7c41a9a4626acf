// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#ifndef TAVSETTINGS_P_H
#define TAVSETTINGS_P_H

// Inside the preference store only: the key constants, the way to the operations that
// TavSettings keeps private, and the one way to open the store.

#include "TavSettings.h"
#include "tavsettings_preferences_p.h"

#include <QSettings>
#include <QVariant>

namespace TavSettingsKeys {
inline const QString organization = QStringLiteral("Zentrabio");
inline const QString application = QStringLiteral("Tavrelle");

inline const QString keyRecentFilePath = QStringLiteral("RecentFilePath");
inline const QString keyRecentFileList = QStringLiteral("RecentFileList");
inline const QString keySimulationWorkingDirectory = QStringLiteral("SimulationWorkingDirectory");

#define TAVSETTINGS_KEY_CONSTANT(Type, Stem, getterPrefix, keyConstant, literal, defaultValue, remover) \
    inline const QString keyConstant = QStringLiteral(literal);
TAVSETTINGS_PREFERENCES(TAVSETTINGS_KEY_CONSTANT)
#undef TAVSETTINGS_KEY_CONSTANT
} // namespace TavSettingsKeys

// The library's tool and tests reach the operations that TavSettings keeps private
// through this.
struct TavSettingsInternals {
    static QString getKey(const QString &keySrc, TavSettings::AppType appType)
    {
        return TavSettings::getKey(keySrc, appType);
    }
    static QString getFileKey(const QString &keySrc, TavSettings::TavrelleFileType fileType, TavSettings::AppType appType)
    {
        return TavSettings::getFileKey(keySrc, fileType, appType);
    }
    static void clearAllSettings() { TavSettings::clearAllSettings(); }
    static void clearIconSize(TavSettings::AppType appType) { TavSettings::clearIconSize(appType); }
};

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

// The store's file as QSettings names it.
const QString &storeFile();

// The exclusive lock on a file beside the store, taken before the store is read for a
// change and held until the change is written back; waits a bounded time. QSettings' own
// "<store>.lock" cannot serve: sync() holds it only while it merges and writes, not from
// a read to the write that depends on it.
class TavSettingsUpdateLock
{
protected:
    TavSettingsUpdateLock();
    ~TavSettingsUpdateLock();
    TavSettingsUpdateLock(const TavSettingsUpdateLock &) = delete;
    TavSettingsUpdateLock &operator=(const TavSettingsUpdateLock &) = delete;

    // To be called once the change is written back.
    void saved();

    friend void outdateStoreCaches();

private:
    int m_lockDescriptor;
    qint64 m_readModification;
};

// The store opened for one change that no other process or thread going through this
// class interleaves with: the store is read only once the lock is held, and the
// destructor writes the change back before the lock goes. Every change the library and
// its tool make goes through it.
class TavSettingsUpdate : private TavSettingsUpdateLock, public TavSettingsStore
{
public:
    TavSettingsUpdate() = default;
    ~TavSettingsUpdate();
};

// Moves the store file's time past every time it had, under the update lock, so that
// every cached copy in this process is out of date: for a change another writer made
// without moving the time, such as an editor that kept size and millisecond.
void outdateStoreCaches();

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
