// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "preferences.h"

#include "tavsettings_preferences_p.h"

#include <QHash>
#include <QJsonArray>
#include <QPoint>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSize>

#include <functional>
#include <limits>

namespace Tool {

const Named<ValueType> valueTypes[6] = {
    {"int", ValueType::Int},     {"bool", ValueType::Bool},     {"size", ValueType::Size},
    {"point", ValueType::Point}, {"string", ValueType::String}, {"list", ValueType::List},
};

namespace {

ValueType valueTypeOf(int) { return ValueType::Int; }
ValueType valueTypeOf(bool) { return ValueType::Bool; }
ValueType valueTypeOf(const QSize &) { return ValueType::Size; }
ValueType valueTypeOf(const QPoint &) { return ValueType::Point; }

// A key the suite composes for a setting: the type its accessors read, and the accessor
// that reads it as the application does (none for the group of a setting kept per kind of
// file).
struct KnownKey {
    ValueType type;
    std::function<QVariant()> read;
};

// Every key the suite composes for its settings: each setting with and without an
// application group, and those kept per kind of file with each file-type suffix as well.
// Built on first use because the key constants are themselves built when the library loads.
const QHash<QString, KnownKey> &knownKeys()
{
    static const QHash<QString, KnownKey> keys = [] {
        using namespace TavSettingsKeys;
        using AppType = TavSettings::AppType;
        using FileType = TavSettings::TavrelleFileType;
        QHash<QString, KnownKey> composed;
        for (const auto &application : applications) {
            const AppType app = application.value;
            const auto addPerFileType = [&](const QString &setting, ValueType type, QVariant (*read)(FileType, AppType)) {
                composed.insert(TavSettingsInternals::getKey(setting, app), {type, nullptr});
                for (const auto &fileType : fileTypes) {
                    const FileType file = fileType.value;
                    composed.insert(TavSettingsInternals::getFileKey(setting, file, app), {type, [=] { return read(file, app); }});
                }
            };
            addPerFileType(keyRecentFileList, ValueType::List,
                           [](FileType file, AppType app) { return QVariant(TavSettings::getRecentTavrelleFileList(file, app)); });
            addPerFileType(keyRecentFilePath, ValueType::String,
                           [](FileType file, AppType app) { return QVariant(TavSettings::getRecentTavrelleFilePath(file, app)); });
            addPerFileType(keySimulationWorkingDirectory, ValueType::String,
                           [](FileType file, AppType app) { return QVariant(TavSettings::getSimulationWorkingDirectory(file, app)); });
#define TOOL_ADD_PREFERENCE(Type, stem, getterPrefix, keyConstant, literal, defaultValue, remover) \
    composed.insert(TavSettingsInternals::getKey(keyConstant, app),                               \
                    {valueTypeOf(Type()), [app] { return QVariant::fromValue(TavSettings::getterPrefix##stem(app)); }});
            TAVSETTINGS_PREFERENCES(TOOL_ADD_PREFERENCE)
#undef TOOL_ADD_PREFERENCE
        }
        return composed;
    }();
    return keys;
}

bool hasType(const QVariant &value, QMetaType::Type type)
{
    return value.userType() == int(type);
}

// The stored value shown as it stands, for values the suite cannot read as intended
// and for keys the suite does not use.
DecodedValue asStored(const QVariant &stored)
{
    DecodedValue decoded;
    if (hasType(stored, QMetaType::QSize)) {
        const QSize size = stored.toSize();
        decoded.lines << QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
        decoded.json = QJsonObject{{QStringLiteral("width"), size.width()}, {QStringLiteral("height"), size.height()}};
    } else if (hasType(stored, QMetaType::QPoint)) {
        const QPoint point = stored.toPoint();
        decoded.lines << QStringLiteral("(%1, %2)").arg(point.x()).arg(point.y());
        decoded.json = QJsonObject{{QStringLiteral("x"), point.x()}, {QStringLiteral("y"), point.y()}};
    } else if (hasType(stored, QMetaType::QStringList)) {
        decoded.lines = stored.toStringList();
        decoded.json = QJsonArray::fromStringList(decoded.lines);
    } else {
        decoded.lines << stored.toString();
        const bool isNumberOrFlag = hasType(stored, QMetaType::Int) || hasType(stored, QMetaType::Bool);
        decoded.json = isNumberOrFlag ? QJsonValue::fromVariant(stored) : QJsonValue(stored.toString());
    }
    return decoded;
}

// How a stored value is named in a problem report.
QString describe(const QVariant &stored)
{
    if (!stored.isValid())
        return QStringLiteral("an empty value");
    if (hasType(stored, QMetaType::QStringList))
        return QStringLiteral("a list");
    const QString shown = asStored(stored).lines.first();
    if (hasType(stored, QMetaType::QSize))
        return QStringLiteral("the size ") + shown;
    if (hasType(stored, QMetaType::QPoint))
        return QStringLiteral("the point ") + shown;
    return QLatin1Char('\'') + shown + QLatin1Char('\'');
}

DecodedValue decodeAs(ValueType type, const QVariant &stored)
{
    // Whether stored holds a value of type, the value the suite reads, and how that is
    // named when it does not.
    bool holds = false;
    QVariant read = stored;
    QString reads;
    switch (type) {
    case ValueType::Int:
        read = stored.toInt(&holds);
        break;
    case ValueType::Bool:
        // The store writes flags as the words true and false.
        holds = hasType(stored, QMetaType::Bool) || stored.toString() == QLatin1String("true") || stored.toString() == QLatin1String("false");
        read = stored.toBool();
        break;
    case ValueType::Size:
        holds = hasType(stored, QMetaType::QSize);
        reads = QStringLiteral("an invalid size");
        break;
    case ValueType::Point:
        holds = hasType(stored, QMetaType::QPoint);
        reads = QStringLiteral("(0, 0)");
        break;
    case ValueType::String:
        holds = !stored.isValid() || hasType(stored, QMetaType::QString);
        reads = QLatin1Char('\'') + stored.toString() + QLatin1Char('\'');
        break;
    case ValueType::List:
        // A one-entry list is stored as plain text and an empty one as an invalid value.
        holds = !stored.isValid() || hasType(stored, QMetaType::QString) || hasType(stored, QMetaType::QStringList);
        read = stored.toStringList();
        reads = QStringLiteral("an empty list");
        break;
    }
    if (holds)
        return asStored(read);
    // By ValueType.
    static const char *const expected[] = {"a whole number", "true or false", "a size", "a point", "a text", "a list"};
    DecodedValue decoded = asStored(stored);
    decoded.problem = QStringLiteral("holds %1, not %2; the suite reads %3")
                          .arg(describe(stored), QLatin1String(expected[int(type)]), reads.isEmpty() ? read.toString() : reads);
    return decoded;
}

// text as an int; a usage error for a text that is no whole number or one beyond an int,
// which would be cut to another number on the way.
int parseInt(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (ok)
        return value;
    static const QRegularExpression digits(QStringLiteral("^\\s*[+-]?[0-9]+\\s*$"));
    if (!digits.match(text).hasMatch())
        throw UsageError{QStringLiteral("'%1' is not a whole number").arg(text)};
    throw UsageError{QStringLiteral("%1 is out of range: whole numbers go from %2 to %3")
                         .arg(text.trimmed()).arg(std::numeric_limits<int>::min()).arg(std::numeric_limits<int>::max())};
}

} // namespace

std::optional<ValueType> knownValueType(const QString &key)
{
    const auto found = knownKeys().constFind(key);
    return found == knownKeys().constEnd() ? std::nullopt : std::optional<ValueType>(found->type);
}

std::optional<DecodedValue> defaultValue(const QString &key)
{
    const auto found = knownKeys().constFind(key);
    if (found == knownKeys().constEnd() || !found->read)
        return std::nullopt;
    DecodedValue value = asStored(found->read());
    value.isDefault = true;
    return value;
}

QString closestKnownKey(const QString &key)
{
    // In sorted order, so that of equally close keys the same one is named every time.
    return closest(knownSettingKeys(), key, false);
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
    return hasType(stored, QMetaType::Bool) ? decodeAs(ValueType::Bool, stored) : asStored(stored);
}

QVariant parseValue(ValueType type, const QStringList &texts)
{
    if (type != ValueType::List && texts.size() != 1)
        throw UsageError{QStringLiteral("give exactly one value for type %1 (several only for type list)").arg(QLatin1String(valueTypes[int(type)].name))};

    const QString text = texts.value(0);
    switch (type) {
    case ValueType::Int:
        return parseInt(text);
    case ValueType::Bool: {
        static const QStringList yes = {QStringLiteral("true"), QStringLiteral("yes"), QStringLiteral("on"), QStringLiteral("1")};
        static const QStringList no = {QStringLiteral("false"), QStringLiteral("no"), QStringLiteral("off"), QStringLiteral("0")};
        if (!yes.contains(text, Qt::CaseInsensitive) && !no.contains(text, Qt::CaseInsensitive))
            throw UsageError{QStringLiteral("'%1' is not a flag; write true or false").arg(text)};
        return yes.contains(text, Qt::CaseInsensitive);
    }
    case ValueType::Size: {
        static const QRegularExpression pattern(QStringLiteral("^\\s*([0-9]+)\\s*[xX]\\s*([0-9]+)\\s*$"));
        const QRegularExpressionMatch match = pattern.match(text);
        if (!match.hasMatch())
            throw UsageError{QStringLiteral("'%1' is not a size; write WIDTHxHEIGHT, e.g. 1440x900").arg(text)};
        return QSize(parseInt(match.captured(1)), parseInt(match.captured(2)));
    }
    case ValueType::Point: {
        // Both parentheses or none: "(1,2" is a slip of the keyboard, not a point.
        static const QRegularExpression pattern(QStringLiteral("^\\s*(\\(?)\\s*(-?[0-9]+)\\s*,\\s*(-?[0-9]+)\\s*(\\)?)\\s*$"));
        const QRegularExpressionMatch match = pattern.match(text);
        if (!match.hasMatch() || match.captured(1).isEmpty() != match.captured(4).isEmpty())
            throw UsageError{QStringLiteral("'%1' is not a point; write X,Y or \"(X, Y)\", e.g. 100,50").arg(text)};
        return QPoint(parseInt(match.captured(2)), parseInt(match.captured(3)));
    }
    case ValueType::String:
        return text;
    case ValueType::List:
        return texts;
    }
    return QVariant();
}

QStringList keysBelow(const QString &key)
{
    TavSettingsStore store;
    store.beginGroup(key);
    QStringList keys = store.allKeys();
    for (QString &child : keys)
        child.prepend(key + QLatin1Char('/'));
    return keys;
}

QStringList applicationKeys(TavSettings::AppType appType)
{
    const QString group = applicationGroup(appType);
    if (!group.isEmpty())
        return keysBelow(group);

    QStringList groups;
    for (const auto &application : applications)
        groups << applicationGroup(application.value);
    QStringList keys;
    for (const QString &key : TavSettingsStore().allKeys()) {
        if (!groups.contains(key.section(QLatin1Char('/'), 0, 0)))
            keys << key;
    }
    return keys;
}

void StoreChange::confirm()
{
    m_store.sync();
    if (m_store.status() == QSettings::NoError)
        return;
    // The store does not say why it failed; a file written in its place does.
    QSaveFile file(m_store.fileName());
    const QString reason = m_store.status() == QSettings::FormatError ? QStringLiteral("it is not in the store's format")
                           : file.open(QIODevice::WriteOnly)          ? QStringLiteral("the write failed")
                                                                      : file.errorString();
    throw Failure{QStringLiteral("cannot write the preference store %1: %2").arg(m_store.fileName(), reason)};
}

} // namespace Tool
