// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#ifndef TAVSHARE_TOOL_SETTINGVALUE_H
#define TAVSHARE_TOOL_SETTINGVALUE_H

// Values of the preference store as a user reads and types them: the type the suite
// keeps under a key, a stored value shown as the suite reads it, and text turned into
// a value of a given type.

#include <QJsonValue>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

namespace Tool {

enum class ValueType { Int, Bool, Size, Point, String, List };

// int, bool, size, point, string, list.
QStringList valueTypeNames();
std::optional<ValueType> valueTypeFromName(const QString &name);
QString valueTypeName(ValueType type);

// The type the suite keeps under a store key such as "Orbelle/LineSpace" or
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
    QJsonValue json;     // the value for --json
    QString problem;     // set when the stored value does not have the suite's type
    bool isList = false;
};

// Decodes the value stored under key, by the key's known type or else by its own type.
DecodedValue decodeValue(const QString &key, const QVariant &stored);

// The value that texts spell in type: one text for every type but List, whose
// entries are the texts. Nothing, with error set, when the texts do not fit.
std::optional<QVariant> parseValue(ValueType type, const QStringList &texts, QString *error);

} // namespace Tool

#endif // TAVSHARE_TOOL_SETTINGVALUE_H
