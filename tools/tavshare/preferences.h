// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#ifndef TAVSHARE_TOOL_PREFERENCES_H
#define TAVSHARE_TOOL_PREFERENCES_H

// The preference store as a user reads and types it: the type the suite keeps under a
// key, a stored value shown as the suite reads it, text turned into a value, and changes
// confirmed in the store file.

#include "command.h"
#include "tavsettings_p.h"

#include <QJsonValue>
#include <QVariant>

namespace Tool {

enum class ValueType { Int, Bool, Size, Point, String, List };
// int, bool, size, point, string, list, in the order of ValueType.
extern const Named<ValueType> valueTypes[6];

// The type the suite keeps under a store key such as
// "Halvex/RecentFileList/TavrelleModelFile"; nothing for keys the suite does not use.
std::optional<ValueType> knownValueType(const QString &key);
// The key the suite uses that is closest to key: the fewest characters inserted, deleted
// or replaced, letter case aside.
QString closestKnownKey(const QString &key);
// Every store key of the suite's own settings, for every application and kind of file,
// sorted; the shell completion offers them for KEY.
QStringList knownSettingKeys();

// A stored value as the suite reads it.
struct DecodedValue {
    QStringList lines;   // one line, or one entry a line for lists (none for an empty list)
    QJsonValue json;     // the value for --json; an array for lists
    QString problem;     // set when the stored value does not have the suite's type
    bool isDefault = false; // nothing is stored: the value is the one the suite falls back to
};

// The value an application reads under key while nothing is stored there, marked as the
// default; nothing for keys the suite does not read by themselves.
std::optional<DecodedValue> defaultValue(const QString &key);

// Decodes the value stored under key, by the key's known type or else by its own type.
DecodedValue decodeValue(const QString &key, const QVariant &stored);

// The value that texts spell in type: one text for every type but List, whose entries
// are the texts. A usage error when the texts do not fit.
QVariant parseValue(ValueType type, const QStringList &texts);

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
    // Writes back what is still pending; a Failure with the reason when that fails.
    void confirm();

private:
    TavSettingsStore m_store;
};

} // namespace Tool

#endif // TAVSHARE_TOOL_PREFERENCES_H
