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

// Settings kept per kind of file carry one more key part: the file type.
bool isPerFileType(const QString &name)
{
    using namespace TavSettingsKeys;
    return name == keyRecentFileList || name == keyRecentFilePath || name == keySimulationWorkingDirectory;
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

std::optional<int> parseInt(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
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
    QStringList parts = key.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (!parts.isEmpty() && applicationGroups().contains(parts.first()))
        parts.removeFirst();
    if (parts.isEmpty())
        return std::nullopt;

    const QString name = parts.first();
    const int partsAllowed = isPerFileType(name) ? 2 : 1;
    const auto found = settingTypes().constFind(name);
    if (found == settingTypes().constEnd() || parts.size() > partsAllowed)
        return std::nullopt;
    return *found;
}

QStringList knownSettingKeys()
{
    QStringList keys;
    for (const QString &appName : applicationNames()) {
        const TavSettings::AppType appType = *applicationFromName(appName);
        for (auto setting = settingTypes().cbegin(); setting != settingTypes().cend(); ++setting) {
            if (!isPerFileType(setting.key())) {
                keys << TavSettings::getKey(setting.key(), appType);
                continue;
            }
            for (const TavSettings::TavrelleFileType fileType : fileTypes())
                keys << TavSettings::getFileKey(setting.key(), fileType, appType);
        }
    }
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
        if (const std::optional<int> value = parseInt(text))
            return QVariant(*value);
        *error = QStringLiteral("'%1' is not a whole number").arg(text);
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
        static const QRegularExpression pattern(QStringLiteral("^\\s*(-?\\d+)\\s*[xX]\\s*(-?\\d+)\\s*$"));
        const QRegularExpressionMatch match = pattern.match(text);
        const std::optional<int> width = match.hasMatch() ? parseInt(match.captured(1)) : std::nullopt;
        const std::optional<int> height = match.hasMatch() ? parseInt(match.captured(2)) : std::nullopt;
        if (width && height)
            return QVariant(QSize(*width, *height));
        *error = QStringLiteral("'%1' is not a size; write WIDTHxHEIGHT, e.g. 1440x900").arg(text);
        return std::nullopt;
    }
    case ValueType::Point: {
        static const QRegularExpression pattern(QStringLiteral("^\\s*\\(?\\s*(-?\\d+)\\s*,\\s*(-?\\d+)\\s*\\)?\\s*$"));
        const QRegularExpressionMatch match = pattern.match(text);
        const std::optional<int> x = match.hasMatch() ? parseInt(match.captured(1)) : std::nullopt;
        const std::optional<int> y = match.hasMatch() ? parseInt(match.captured(2)) : std::nullopt;
        if (x && y)
            return QVariant(QPoint(*x, *y));
        *error = QStringLiteral("'%1' is not a point; write X,Y or \"(X, Y)\", e.g. 100,50").arg(text);
        return std::nullopt;
    }
    case ValueType::String:
        return QVariant(text);
    case ValueType::List:
        return QVariant(texts);
    }
    return std::nullopt;
}

} // namespace Tool
