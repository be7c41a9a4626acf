// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "settingvalue.h"

#include "suitenames.h"
#include "tavsettings_p.h"

#include <QHash>
#include <QJsonArray>
#include <QJsonObject>
#include <QPoint>
#include <QRegularExpression>
#include <QSize>
#include <QVector>

#include <algorithm>
#include <limits>

namespace Tool {
namespace {

struct TypeName {
    const char *name;
    ValueType type;
};

const TypeName typeTable[] = {
    {"int", ValueType::Int},
    {"bool", ValueType::Bool},
    {"size", ValueType::Size},
    {"point", ValueType::Point},
    {"string", ValueType::String},
    {"list", ValueType::List},
};

// The suite's settings by name, with the type their accessors read. Built on first use
// because the key constants are themselves built when the library loads.
const QHash<QString, ValueType> &settingTypes()
{
    using namespace TavSettingsKeys;
    static const QHash<QString, ValueType> types = {
        {keyRecentFileList, ValueType::List},
        {keyRecentFilePath, ValueType::String},
        {keySimulationWorkingDirectory, ValueType::String},
        {keyStartScreenSizeType, ValueType::Int},
        {keyStartScreenPosType, ValueType::Int},
        {keyLastScreenSize, ValueType::Size},
        {keyLastScreenPos, ValueType::Point},
        {keyStartPageType, ValueType::Int},
        {keyApplicationTitleType, ValueType::Int},
        {keyMoleculeTooltipsType, ValueType::Int},
        {keyIconSizeType, ValueType::Int},
        {keyIconSize, ValueType::Size},
        {keyLineSpace, ValueType::Int},
        {keyAutoSaveSingleMolCpxType, ValueType::Int},
        {keyDisplayCenterButtonsType, ValueType::Int},
        {keyDisplayFullNameType, ValueType::Int},
        {keyPottsModelSecVisibleStatus, ValueType::Bool},
        {keySplineResoluition, ValueType::Int},
        {keySplineProfileSynStatus, ValueType::Bool},
        {keyImageExportMagnificationFactor, ValueType::Int},
        {keyVisibleVtkAxisMarker, ValueType::Bool},
        {keyVisibleTavModelInfoSec, ValueType::Bool},
    };
    return types;
}

// Every key the suite composes for its settings, with the setting's type: each setting
// with and without an application group, and those kept per kind of file also with each
// file-type suffix.
const QHash<QString, ValueType> &knownKeys()
{
    static const QHash<QString, ValueType> keys = [] {
        using namespace TavSettingsKeys;
        const QStringList perFileType = {keyRecentFileList, keyRecentFilePath, keySimulationWorkingDirectory};
        QHash<QString, ValueType> composed;
        for (const QString &application : applicationNames()) {
            const TavSettings::AppType appType = *applicationFromName(application);
            for (auto setting = settingTypes().constBegin(); setting != settingTypes().constEnd(); ++setting) {
                composed.insert(TavSettings::getKey(setting.key(), appType), setting.value());
                if (!perFileType.contains(setting.key()))
                    continue;
                for (const TavSettings::TavrelleFileType fileType : fileTypes())
                    composed.insert(TavSettings::getFileKey(setting.key(), fileType, appType), setting.value());
            }
        }
        return composed;
    }();
    return keys;
}

// How many characters must be inserted, deleted or replaced to turn one text into the
// other, letter case aside.
int editDistance(const QString &from, const QString &to)
{
    const QString a = from.toCaseFolded();
    const QString b = to.toCaseFolded();
    QVector<int> row(b.size() + 1);
    for (int j = 0; j < row.size(); ++j)
        row[j] = j;
    for (int i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = i;
        for (int j = 1; j <= b.size(); ++j) {
            const int replaced = diagonal + (a[i - 1] == b[j - 1] ? 0 : 1);
            diagonal = row[j];
            row[j] = std::min({replaced, row[j] + 1, row[j - 1] + 1});
        }
    }
    return row.last();
}

bool hasType(const QVariant &value, QMetaType::Type type)
{
    return value.userType() == int(type);
}

QString sizeText(const QSize &size)
{
    return QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
}

QString pointText(const QPoint &point)
{
    return QStringLiteral("(%1, %2)").arg(point.x()).arg(point.y());
}

// How a stored value is named in a problem report.
QString describe(const QVariant &stored)
{
    if (!stored.isValid())
        return QStringLiteral("an empty value");
    if (hasType(stored, QMetaType::QStringList))
        return QStringLiteral("a list");
    if (hasType(stored, QMetaType::QSize))
        return QStringLiteral("the size ") + sizeText(stored.toSize());
    if (hasType(stored, QMetaType::QPoint))
        return QStringLiteral("the point ") + pointText(stored.toPoint());
    return QLatin1Char('\'') + stored.toString() + QLatin1Char('\'');
}

// The stored value shown as it stands, for values the suite cannot read as intended
// and for keys the suite does not use.
DecodedValue asStored(const QVariant &stored)
{
    DecodedValue decoded;
    if (hasType(stored, QMetaType::QStringList)) {
        decoded.isList = true;
        decoded.lines = stored.toStringList();
        decoded.json = QJsonArray::fromStringList(decoded.lines);
    } else if (hasType(stored, QMetaType::QSize)) {
        decoded.lines << sizeText(stored.toSize());
        decoded.json = QJsonObject{{QStringLiteral("width"), stored.toSize().width()}, {QStringLiteral("height"), stored.toSize().height()}};
    } else if (hasType(stored, QMetaType::QPoint)) {
        decoded.lines << pointText(stored.toPoint());
        decoded.json = QJsonObject{{QStringLiteral("x"), stored.toPoint().x()}, {QStringLiteral("y"), stored.toPoint().y()}};
    } else if (!stored.isValid() || stored.canConvert<QString>()) {
        decoded.lines << stored.toString();
        decoded.json = stored.toString();
    } else {
        decoded.lines << QStringLiteral("<%1 value>").arg(QString::fromLatin1(stored.typeName()));
        decoded.json = decoded.lines.first();
    }
    return decoded;
}

DecodedValue withProblem(const QVariant &stored, const QString &expected, const QString &suiteReads)
{
    DecodedValue decoded = asStored(stored);
    decoded.problem = QStringLiteral("holds %1, not %2; the suite reads %3").arg(describe(stored), expected, suiteReads);
    return decoded;
}

DecodedValue decodeAs(ValueType type, const QVariant &stored)
{
    DecodedValue decoded;
    switch (type) {
    case ValueType::Int: {
        bool ok = false;
        const int value = stored.toInt(&ok);
        if (!ok)
            return withProblem(stored, QStringLiteral("a whole number"), QString::number(stored.toInt()));
        decoded.lines << QString::number(value);
        decoded.json = value;
        return decoded;
    }
    case ValueType::Bool: {
        // The store writes flags as the words true and false.
        const bool isFlag = hasType(stored, QMetaType::Bool) || stored.toString() == QLatin1String("true")
            || stored.toString() == QLatin1String("false");
        if (!isFlag)
            return withProblem(stored, QStringLiteral("true or false"), stored.toBool() ? QStringLiteral("true") : QStringLiteral("false"));
        decoded.lines << (stored.toBool() ? QStringLiteral("true") : QStringLiteral("false"));
        decoded.json = stored.toBool();
        return decoded;
    }
    case ValueType::Size:
        if (!hasType(stored, QMetaType::QSize))
            return withProblem(stored, QStringLiteral("a size"), QStringLiteral("an invalid size"));
        return asStored(stored);
    case ValueType::Point:
        if (!hasType(stored, QMetaType::QPoint))
            return withProblem(stored, QStringLiteral("a point"), QStringLiteral("(0, 0)"));
        return asStored(stored);
    case ValueType::String:
        if (stored.isValid() && !hasType(stored, QMetaType::QString))
            return withProblem(stored, QStringLiteral("a text"), QLatin1Char('\'') + stored.toString() + QLatin1Char('\''));
        return asStored(stored);
    case ValueType::List:
        // A one-entry list is stored as plain text and an empty one as an invalid value.
        if (stored.isValid() && !hasType(stored, QMetaType::QString) && !hasType(stored, QMetaType::QStringList))
            return withProblem(stored, QStringLiteral("a list"), QStringLiteral("an empty list"));
        decoded.isList = true;
        decoded.lines = stored.toStringList();
        decoded.json = QJsonArray::fromStringList(decoded.lines);
        return decoded;
    }
    return decoded;
}

// text as an int; nothing, with error set, for a text that is no whole number or one
// beyond an int, which would be cut to another number on the way.
std::optional<int> parseInt(const QString &text, QString *error)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (ok)
        return value;
    static const QRegularExpression digits(QStringLiteral("^\\s*[+-]?[0-9]+\\s*$"));
    if (digits.match(text).hasMatch())
        *error = QStringLiteral("%1 is out of range: whole numbers go from %2 to %3")
                     .arg(text.trimmed())
                     .arg(std::numeric_limits<int>::min())
                     .arg(std::numeric_limits<int>::max());
    else
        *error = QStringLiteral("'%1' is not a whole number").arg(text);
    return std::nullopt;
}

} // namespace

QStringList valueTypeNames()
{
    QStringList names;
    for (const TypeName &entry : typeTable)
        names << QLatin1String(entry.name);
    return names;
}

std::optional<ValueType> valueTypeFromName(const QString &name)
{
    for (const TypeName &entry : typeTable) {
        if (name.compare(QLatin1String(entry.name), Qt::CaseInsensitive) == 0)
            return entry.type;
    }
    return std::nullopt;
}

QString valueTypeName(ValueType type)
{
    for (const TypeName &entry : typeTable) {
        if (entry.type == type)
            return QLatin1String(entry.name);
    }
    return QString();
}

std::optional<ValueType> knownValueType(const QString &key)
{
    const auto found = knownKeys().constFind(key);
    return found == knownKeys().constEnd() ? std::nullopt : std::optional<ValueType>(*found);
}

QString closestKnownKey(const QString &key)
{
    QString closest;
    int closestDistance = std::numeric_limits<int>::max();
    // In sorted order, so that of equally close keys the same one is named every time.
    for (const QString &candidate : knownSettingKeys()) {
        const int distance = editDistance(key, candidate);
        if (distance < closestDistance) {
            closest = candidate;
            closestDistance = distance;
        }
    }
    return closest;
}

QStringList knownSettingKeys()
{
    QStringList keys = knownKeys().keys();
    keys.sort();
    return keys;
}

DecodedValue decodeValue(const QString &key, const QVariant &stored)
{
    if (const std::optional<ValueType> type = knownValueType(key))
        return decodeAs(*type, stored);
    if (hasType(stored, QMetaType::Bool))
        return decodeAs(ValueType::Bool, stored);
    return asStored(stored);
}

std::optional<QVariant> parseValue(ValueType type, const QStringList &texts, QString *error)
{
    if (type != ValueType::List && texts.size() != 1) {
        *error = QStringLiteral("give exactly one value for type %1 (several only for type list)").arg(valueTypeName(type));
        return std::nullopt;
    }

    const QString text = texts.value(0);
    switch (type) {
    case ValueType::Int:
        if (const std::optional<int> value = parseInt(text, error))
            return QVariant(*value);
        return std::nullopt;
    case ValueType::Bool: {
        static const QStringList yes = {QStringLiteral("true"), QStringLiteral("yes"), QStringLiteral("on"), QStringLiteral("1")};
        static const QStringList no = {QStringLiteral("false"), QStringLiteral("no"), QStringLiteral("off"), QStringLiteral("0")};
        if (yes.contains(text, Qt::CaseInsensitive))
            return QVariant(true);
        if (no.contains(text, Qt::CaseInsensitive))
            return QVariant(false);
        *error = QStringLiteral("'%1' is not a flag; write true or false").arg(text);
        return std::nullopt;
    }
    case ValueType::Size: {
        static const QRegularExpression pattern(QStringLiteral("^\\s*([0-9]+)\\s*[xX]\\s*([0-9]+)\\s*$"));
        const QRegularExpressionMatch match = pattern.match(text);
        if (!match.hasMatch()) {
            *error = QStringLiteral("'%1' is not a size; write WIDTHxHEIGHT, e.g. 1440x900").arg(text);
            return std::nullopt;
        }
        const std::optional<int> width = parseInt(match.captured(1), error);
        const std::optional<int> height = width ? parseInt(match.captured(2), error) : std::nullopt;
        return height ? std::optional<QVariant>(QSize(*width, *height)) : std::nullopt;
    }
    case ValueType::Point: {
        // Both parentheses or none: "(1,2" is a slip of the keyboard, not a point.
        static const QRegularExpression pattern(QStringLiteral("^\\s*(\\(?)\\s*(-?[0-9]+)\\s*,\\s*(-?[0-9]+)\\s*(\\)?)\\s*$"));
        const QRegularExpressionMatch match = pattern.match(text);
        if (!match.hasMatch() || match.captured(1).isEmpty() != match.captured(4).isEmpty()) {
            *error = QStringLiteral("'%1' is not a point; write X,Y or \"(X, Y)\", e.g. 100,50").arg(text);
            return std::nullopt;
        }
        const std::optional<int> x = parseInt(match.captured(2), error);
        const std::optional<int> y = x ? parseInt(match.captured(3), error) : std::nullopt;
        return y ? std::optional<QVariant>(QPoint(*x, *y)) : std::nullopt;
    }
    case ValueType::String:
        return QVariant(text);
    case ValueType::List:
        return QVariant(texts);
    }
    return std::nullopt;
}

} // namespace Tool
