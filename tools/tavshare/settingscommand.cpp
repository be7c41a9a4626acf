// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

// tavshare settings: read and repair the suite's preference store.

#include "commandline.h"
#include "commands.h"
#include "preferencestore.h"
#include "settingvalue.h"
#include "suitenames.h"
#include "tavsettings_p.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace Tool {
namespace {

const QString appOptionName = QStringLiteral("app");

// KEY and --app, the way get, set and unset name a value.
void addKeyArguments(CommandLine &line)
{
    line.addPositionalArgument(QStringLiteral("KEY"), QStringLiteral("A store key such as Orbelle/LineSpace, or LineSpace with --app orbelle."));
    line.addOption(applicationOption(QStringLiteral("Put KEY in the group of this application (default: KEY as it stands).")));
}

const QCommandLineOption jsonOption(QStringLiteral("json"), QStringLiteral("Write JSON for scripts."));
const QCommandLineOption yesOption(QStringLiteral("yes"), QStringLiteral("Confirm the removal; without it nothing is removed."));

// The store key for KEY and --app, or a usage error.
std::optional<QString> storeKey(const CommandLine &line, int *exitCode)
{
    const QStringList parts = line.positionalArguments().first().split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (parts.isEmpty()) {
        *exitCode = line.usageError(QStringLiteral("KEY is empty; give a key such as LineSpace or Orbelle/LineSpace"));
        return std::nullopt;
    }
    const QString appName = line.isSet(appOptionName) ? line.value(appOptionName) : QStringLiteral("shared");
    const std::optional<TavSettings::AppType> appType = applicationFromName(appName);
    if (!appType) {
        *exitCode = line.unknownName(QStringLiteral("application"), appName, applicationNames());
        return std::nullopt;
    }
    return TavSettingsInternals::getKey(parts.join(QLatin1Char('/')), *appType);
}

void printValue(const QString &key, const DecodedValue &value)
{
    const QString shownKey = printable(key);
    const QString problem = value.problem.isEmpty() ? QString() : QStringLiteral("   [%1]").arg(printable(value.problem));
    if (!value.isList) {
        out() << shownKey << " = " << printable(value.lines.value(0)) << problem << '\n';
    } else if (value.lines.isEmpty()) {
        out() << shownKey << " = (empty list)" << problem << '\n';
    } else {
        out() << shownKey << ':' << problem << '\n';
        for (const QString &entry : value.lines)
            out() << "    " << printable(entry) << '\n';
    }
}

int show(const QStringList &arguments)
{
    CommandLine line(QStringLiteral("tavshare settings show"),
                     QStringLiteral("Print every key and value of the suite's preference store, or of one\n"
                                    "application's group. Sizes are written WxH, points (x, y), lists one entry\n"
                                    "a line; a value the suite cannot read as its type is marked with what the\n"
                                    "suite reads instead."));
    line.addOption(applicationOption(QStringLiteral("Only this application's values; shared means the values outside every application group.")));
    line.addOption(jsonOption);
    if (const std::optional<int> done = line.parse(arguments))
        return *done;

    std::optional<TavSettings::AppType> appType;
    if (line.isSet(appOptionName)) {
        appType = applicationFromName(line.value(appOptionName));
        if (!appType)
            return line.unknownName(QStringLiteral("application"), line.value(appOptionName), applicationNames());
    }

    const TavSettingsStore store;
    QStringList keys = appType ? applicationKeys(*appType) : store.allKeys();
    if (store.status() != QSettings::NoError)
        return failure(QStringLiteral("cannot read the preference store %1").arg(store.fileName()));
    keys.sort();

    if (line.isSet(jsonOption)) {
        QJsonObject object;
        for (const QString &key : keys)
            object.insert(key, decodeValue(key, store.value(key)).json);
        out() << QJsonDocument(object).toJson(QJsonDocument::Indented);
        return ExitSuccess;
    }
    for (const QString &key : keys)
        printValue(key, decodeValue(key, store.value(key)));
    return ExitSuccess;
}

int get(const QStringList &arguments)
{
    CommandLine line(QStringLiteral("tavshare settings get"),
                     QStringLiteral("Print the value stored under KEY, decoded as in 'settings show'. Fails when\n"
                                    "nothing is stored there (the suite then uses its default)."));
    addKeyArguments(line);
    line.addOption(jsonOption);
    if (const std::optional<int> done = line.parse(arguments))
        return *done;
    int exitCode = ExitSuccess;
    const std::optional<QString> key = storeKey(line, &exitCode);
    if (!key)
        return exitCode;

    const TavSettingsStore store;
    if (!store.contains(*key)) {
        if (!keysBelow(*key).isEmpty())
            return failure(QStringLiteral("%1 is a group of values; see them with 'tavshare settings show'").arg(*key));
        return failure(QStringLiteral("nothing is stored under %1 (the suite uses its default)").arg(*key));
    }

    const DecodedValue value = decodeValue(*key, store.value(*key));
    if (line.isSet(jsonOption)) {
        out() << QJsonDocument(QJsonObject{{*key, value.json}}).toJson(QJsonDocument::Indented);
    } else {
        for (const QString &text : value.lines)
            out() << printable(text) << '\n';
    }
    if (!value.problem.isEmpty())
        note(*key + QLatin1Char(' ') + printable(value.problem));
    return ExitSuccess;
}

int set(const QStringList &arguments)
{
    CommandLine line(QStringLiteral("tavshare settings set"),
                     QStringLiteral("Store VALUE under KEY. The type of the suite's own settings is known\n"
                                    "(LineSpace is an int, IconSize a size, RecentFileList a list, ...); other keys\n"
                                    "are texts unless --type says otherwise. Values: int 12, bool true|false,\n"
                                    "size 1440x900, point 100,50 or \"(100, 50)\", list: one VALUE per entry\n"
                                    "(none for an empty list).\n"
                                    "A key that no setting of the suite has is refused, naming the closest one;\n"
                                    "--raw stores it all the same.\n"
                                    "Put -- before a negative number: tavshare settings set Orbelle/LineSpace -- -3"));
    addKeyArguments(line);
    line.addPositionalArgument(QStringLiteral("VALUE"), QStringLiteral("The value; one per entry for a list."), CommandLine::Many);
    line.addOption({QStringLiteral("type"),
                    QStringLiteral("The value's type: %1. Must match the type of the suite's own settings.")
                        .arg(valueTypeNames().join(QStringLiteral(", "))),
                    QStringLiteral("TYPE")});
    line.addOption({QStringLiteral("raw"), QStringLiteral("Store under KEY as it stands, also when the suite has no such setting.")});
    if (const std::optional<int> done = line.parse(arguments))
        return *done;
    int exitCode = ExitSuccess;
    const std::optional<QString> key = storeKey(line, &exitCode);
    if (!key)
        return exitCode;

    const std::optional<ValueType> knownType = knownValueType(*key);
    if (!knownType && !line.isSet(QStringLiteral("raw")))
        return failure(QStringLiteral("no such setting '%1'; did you mean '%2'? (--raw stores it as it stands)").arg(*key, closestKnownKey(*key)));
    ValueType type = knownType.value_or(ValueType::String);
    if (line.isSet(QStringLiteral("type"))) {
        const std::optional<ValueType> given = valueTypeFromName(line.value(QStringLiteral("type")));
        if (!given)
            return line.unknownName(QStringLiteral("type"), line.value(QStringLiteral("type")), valueTypeNames());
        if (knownType && *given != *knownType)
            return line.usageError(QStringLiteral("the suite keeps %1 as type %2; use --type %2 or leave --type out")
                                       .arg(*key, valueTypeName(*knownType)));
        type = *given;
    }

    QString error;
    const std::optional<QVariant> value = parseValue(type, line.positionalArguments().mid(1), &error);
    if (!value)
        return line.usageError(error);

    StoreChange change;
    writeSetting(*key, *value);
    return change.confirm();
}

int unset(const QStringList &arguments)
{
    CommandLine line(QStringLiteral("tavshare settings unset"),
                     QStringLiteral("Remove KEY and every value below it, so that the suite uses its default again.\n"
                                    "Needs --yes; without it, exits with status 2 and removes nothing."));
    addKeyArguments(line);
    line.addOption(yesOption);
    if (const std::optional<int> done = line.parse(arguments))
        return *done;
    int exitCode = ExitSuccess;
    const std::optional<QString> key = storeKey(line, &exitCode);
    if (!key)
        return exitCode;
    if (!line.isSet(yesOption))
        return line.confirmationMissing(QStringLiteral("removes %1 from the preference store").arg(*key));

    const int count = int(keysBelow(*key).size()) + (containsSetting(*key) ? 1 : 0);
    if (count == 0)
        return failure(QStringLiteral("nothing is stored under %1").arg(*key));
    StoreChange change;
    removeSetting(*key);
    return change.confirm(QStringLiteral("removed %1 (%2 value%3)").arg(*key).arg(count).arg(count == 1 ? "" : "s"));
}

int reset(const QStringList &arguments)
{
    CommandLine line(QStringLiteral("tavshare settings reset"),
                     QStringLiteral("Remove every value of one application (--app) or of the whole store (--all),\n"
                                    "so that the suite starts from its defaults. With --app shared: the values\n"
                                    "outside every application group. Needs --yes; without it, exits with\n"
                                    "status 2 and removes nothing."));
    line.addOption(applicationOption(QStringLiteral("Remove this application's values only.")));
    line.addOption({QStringLiteral("all"), QStringLiteral("Remove every value of every application.")});
    line.addOption(yesOption);
    if (const std::optional<int> done = line.parse(arguments))
        return *done;

    const bool all = line.isSet(QStringLiteral("all"));
    if (all == line.isSet(appOptionName))
        return line.usageError(QStringLiteral("give either --app NAME or --all"));

    if (all) {
        if (!line.isSet(yesOption))
            return line.confirmationMissing(QStringLiteral("removes every value of the preference store"));
        const int count = int(TavSettingsStore().allKeys().size());
        StoreChange change;
        TavSettingsInternals::clearAllSettings();
        return change.confirm(QStringLiteral("removed every value (%1)").arg(count));
    }

    const std::optional<TavSettings::AppType> appType = applicationFromName(line.value(appOptionName));
    if (!appType)
        return line.unknownName(QStringLiteral("application"), line.value(appOptionName), applicationNames());
    const QString group = applicationGroup(*appType);
    const QString name = group.isEmpty() ? QStringLiteral("the shared values") : QStringLiteral("the values of ") + group;
    if (!line.isSet(yesOption))
        return line.confirmationMissing(QStringLiteral("removes %1 from the preference store").arg(name));

    // An application's group goes in one piece; the shared values lie side by side with
    // the groups and go one by one.
    const QStringList keys = applicationKeys(*appType);
    StoreChange change;
    for (const QString &key : group.isEmpty() ? keys : QStringList{group})
        removeSetting(key);
    return change.confirm(QStringLiteral("removed %1 (%2)").arg(name).arg(keys.size()));
}

int path(const QStringList &arguments)
{
    CommandLine line(QStringLiteral("tavshare settings path"), QStringLiteral("Print the file that holds the suite's preference store."));
    if (const std::optional<int> done = line.parse(arguments))
        return *done;
    out() << TavSettingsStore().fileName() << '\n';
    return ExitSuccess;
}

} // namespace

int runSettings(const QStringList &arguments)
{
    return dispatch(QStringLiteral("tavshare settings"), QStringLiteral("Inspect and repair the preference store that the suite's applications share."),
                    {
                        {QStringLiteral("show"), QStringLiteral("print every key and value, or those of one application"), show},
                        {QStringLiteral("get"), QStringLiteral("print one value"), get},
                        {QStringLiteral("set"), QStringLiteral("store one value"), set},
                        {QStringLiteral("unset"), QStringLiteral("remove one key and what lies below it (needs --yes)"), unset},
                        {QStringLiteral("reset"), QStringLiteral("remove an application's values or all values (needs --yes)"), reset},
                        {QStringLiteral("path"), QStringLiteral("print the store's file name"), path},
                    },
                    arguments);
}

} // namespace Tool
