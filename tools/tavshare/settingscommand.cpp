// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

// tavshare settings: read and repair the suite's preference store.

#include "command.h"
#include "preferences.h"

#include <utility>

namespace Tool {
namespace {

const QCommandLineOption yesOption(QStringLiteral("yes"), QStringLiteral("Confirm the removal; without it nothing is removed."));

// Refuses a destructive action that lacks --yes.
void requireConfirmation(const Invocation &invocation, const QString &consequence)
{
    if (!invocation.isSet(yesOption))
        throw UsageError{QStringLiteral("this %1; add --yes to go ahead").arg(consequence)};
}

// Whether key stands in the group of one of the suite's applications.
bool inApplicationGroup(const QString &key)
{
    for (const auto &application : applications) {
        const QString group = applicationGroup(application.value);
        if (!group.isEmpty() && key.startsWith(group + QLatin1Char('/')))
            return true;
    }
    return false;
}

// The store key that KEY and --app name. The suite's applications read their settings in
// their own groups only, so unless outsideGroupsAllowed a setting of theirs without a group
// needs --app, as "--app shared" when the value outside every group is meant.
QString storeKey(const Invocation &invocation, bool outsideGroupsAllowed = false)
{
    const QStringList arguments = invocation.positionalArguments();
    const QStringList parts = arguments.first().split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (parts.isEmpty())
        throw UsageError{QStringLiteral("KEY is empty; give a key such as %1 or Orbelle/%1").arg(TavSettingsKeys::keyLineSpace)};
    const QString key = parts.join(QLatin1Char('/'));
    if (!outsideGroupsAllowed && !invocation.isSet(QStringLiteral("app")) && knownValueType(key) && !inApplicationGroup(key))
        throw UsageError{QStringLiteral("each application keeps its own %1; name the application: %2 %3 --app orbelle "
                                        "(or %4; shared means the value outside them, which none of them reads)")
                             .arg(key, invocation.commandLine, printable(arguments.join(QLatin1Char(' '))), namesOf(applications, 2))};
    return TavSettingsInternals::getKey(key, invocation.application().value_or(TavSettings::AppShared));
}

// A key that the suite does not use and under which nothing is stored: a slip of the keyboard.
UsageError noSuchSetting(const QString &key)
{
    return {QStringLiteral("no such setting '%1', and nothing is stored under it; did you mean '%2'?").arg(key, closestKnownKey(key))};
}

// The marks after a value: that it is the default, or what is wrong with it.
QString marks(const DecodedValue &value)
{
    return (value.isDefault ? QStringLiteral("  (default)") : QString())
           + (value.problem.isEmpty() ? QString() : QStringLiteral("   [%1]").arg(printable(value.problem)));
}

// A value as JSON: {"value": ..., "default": true|false}, and "invalid": the problem when
// the stored value does not have the suite's type.
QJsonObject jsonValue(const DecodedValue &value)
{
    QJsonObject json{{QStringLiteral("value"), value.json}, {QStringLiteral("default"), value.isDefault}};
    if (!value.problem.isEmpty())
        json.insert(QStringLiteral("invalid"), value.problem);
    return json;
}

// "key = value", or for a list with entries "key:" and then one entry a line.
QString valueText(const QString &key, const DecodedValue &value)
{
    if (!value.json.isArray() || value.lines.isEmpty()) {
        const QString shown = value.json.isArray() ? QStringLiteral("(empty list)") : printable(value.lines.value(0));
        return printable(key) + QStringLiteral(" = ") + shown + marks(value) + QLatin1Char('\n');
    }
    QString text = printable(key) + QLatin1Char(':') + marks(value) + QLatin1Char('\n');
    for (const QString &entry : value.lines)
        text += QStringLiteral("    ") + printable(entry) + QLatin1Char('\n');
    return text;
}

void show(const Invocation &invocation)
{
    const std::optional<TavSettings::AppType> appType = invocation.application();
    const TavSettingsStore store;
    QStringList keys = appType ? applicationKeys(*appType) : store.allKeys();
    if (store.status() != QSettings::NoError)
        throw Failure{QStringLiteral("cannot read the preference store %1").arg(store.fileName())};
    // An application's settings that are not stored, with the values it uses instead.
    const QString group = appType ? applicationGroup(*appType) : QString();
    for (const QString &key : knownSettingKeys()) {
        if (!group.isEmpty() && key.startsWith(group + QLatin1Char('/')) && !keys.contains(key) && defaultValue(key))
            keys << key;
    }
    keys.sort();
    QString text;
    QJsonObject json;
    for (const QString &key : keys) {
        // A key may go between the listing and the reading: it is shown as it is now.
        const std::optional<DecodedValue> value = store.contains(key) ? decodeValue(key, store.value(key)) : defaultValue(key);
        if (!value)
            continue;
        text += valueText(key, *value);
        json.insert(key, jsonValue(*value));
    }
    invocation.print(text.isEmpty() ? QStringLiteral("nothing stored\n") : text, json);
}

void get(const Invocation &invocation)
{
    const QString key = storeKey(invocation);
    const TavSettingsStore store;
    std::optional<DecodedValue> value;
    if (store.contains(key))
        value = decodeValue(key, store.value(key));
    else if (!keysBelow(key).isEmpty())
        throw Failure{QStringLiteral("%1 is a group of values; see them with 'tavshare settings show'").arg(key)};
    else if (!knownValueType(key))
        throw noSuchSetting(key);
    else if (!(value = defaultValue(key)))
        throw Failure{QStringLiteral("nothing is stored under %1").arg(key)};
    QString text;
    for (const QString &line : value->lines)
        text += printable(line) + QLatin1Char('\n');
    if (value->lines.isEmpty())
        text = QStringLiteral("(empty list)\n");
    text.insert(text.size() - 1, marks(*value));
    invocation.print(text, QJsonObject{{key, jsonValue(*value)}});
    if (!value->problem.isEmpty())
        note(key + QLatin1Char(' ') + printable(value->problem));
}

void set(const Invocation &invocation)
{
    const QString key = storeKey(invocation);
    const std::optional<ValueType> knownType = knownValueType(key);
    if (!knownType && !invocation.isSet(QStringLiteral("raw")))
        throw UsageError{QStringLiteral("no such setting '%1'; did you mean '%2'? (--raw stores it as it stands)").arg(key, closestKnownKey(key))};
    ValueType type = knownType.value_or(ValueType::String);
    if (invocation.isSet(QStringLiteral("type"))) {
        type = lookUp(valueTypes, QStringLiteral("type"), invocation.value(QStringLiteral("type")));
        if (knownType && type != *knownType)
            throw UsageError{QStringLiteral("the suite keeps %1 as type %2; use --type %2 or leave --type out").arg(key, QLatin1String(valueTypes[int(*knownType)].name))};
    }
    const QVariant value = parseValue(type, invocation.positionalArguments().mid(1));

    StoreChange change;
    writeSetting(key, value);
    change.confirm();
}

void unset(const Invocation &invocation)
{
    const QString key = storeKey(invocation, true);
    requireConfirmation(invocation, QStringLiteral("removes %1 from the preference store").arg(key));
    StoreChange change;
    int count = 0;
    {
        // Counted in the same change, so that the count is of what went.
        TavSettingsUpdate store;
        count = int(keysBelow(key).size()) + (store.contains(key) ? 1 : 0);
        if (count == 0 && !knownValueType(key))
            throw noSuchSetting(key);
        if (count == 0)
            throw Failure{QStringLiteral("nothing is stored under %1").arg(key)};
        store.remove(key);
    }
    change.confirm();
    out() << QStringLiteral("removed %1 (%2 value%3)\n").arg(key).arg(count).arg(count == 1 ? "" : "s");
}

void reset(const Invocation &invocation)
{
    const std::optional<TavSettings::AppType> appType = invocation.application();
    if (invocation.isSet(QStringLiteral("all")) == appType.has_value())
        throw UsageError{QStringLiteral("give either --app NAME or --all")};
    const QString group = appType ? applicationGroup(*appType) : QString();
    const QString name = !appType ? QStringLiteral("every value") : group.isEmpty() ? QStringLiteral("the shared values") : QStringLiteral("the values of ") + group;
    requireConfirmation(invocation, QStringLiteral("removes %1 from the preference store").arg(name));

    StoreChange change;
    QStringList keys;
    {
        // One change, so that a stuck holder of the update lock delays it once.
        TavSettingsUpdate store;
        keys = appType ? applicationKeys(*appType) : store.allKeys();
        // An application's group goes in one piece; the shared values lie side by side
        // with the groups and go one by one.
        if (!appType)
            store.clear();
        else if (!group.isEmpty())
            store.remove(group);
        else
            for (const QString &key : std::as_const(keys))
                store.remove(key);
    }
    change.confirm();
    out() << QStringLiteral("removed %1 (%2)\n").arg(name).arg(keys.size());
}

} // namespace

Command settingsCommands()
{
    const Argument key{QStringLiteral("KEY"), QStringLiteral("A store key such as Orbelle/%1, or %1 with --app orbelle.").arg(TavSettingsKeys::keyLineSpace)};
    const QCommandLineOption keyApp = appOption(QStringLiteral("Put KEY in the group of this application (default: KEY as it stands)."));
    return group(QStringLiteral("settings"), QStringLiteral("show, get, set, unset and reset preferences"),
         QStringLiteral("Inspect and repair the preference store that the suite's applications share."), {
        {QStringLiteral("show"), QStringLiteral("print every key and value, or those of one application"),
         QStringLiteral("Print every key and value of the preference store, or of one application. For\n"
                        "an application, its settings that are not stored are shown with the value it\n"
                        "uses instead, marked (default). A value the suite cannot read as its type is\n"
                        "marked with what it reads instead. With --json, each key has {\"value\",\n"
                        "\"default\"} and \"invalid\" for such a value."),
         {}, {appOption(QStringLiteral("Only this application's values; shared means the values outside every application group.")), jsonOption},
         show},
        {QStringLiteral("get"), QStringLiteral("print one value"),
         QStringLiteral("Print the value the application uses under KEY, decoded and marked as in\n"
                        "'settings show': the stored one or, when none is, its default. A setting that\n"
                        "each application keeps for itself needs --app (or a key such as Orbelle/%1).")
             .arg(TavSettingsKeys::keyLineSpace),
         {key}, {keyApp, jsonOption}, get},
        {QStringLiteral("set"), QStringLiteral("store one value"),
         QStringLiteral("Store VALUE under KEY, as the type the suite keeps there (%1 is an int,\n"
                        "%2 a size, ...; other keys are texts unless --type says otherwise).\n"
                        "Values: int 12, bool true|false, size 1440x900, point 100,50 or \"(100, 50)\",\n"
                        "list: one VALUE per entry. A key the suite does not use is refused unless --raw.\n"
                        "Put -- before a negative number: tavshare settings set Orbelle/%1 -- -3")
             .arg(TavSettingsKeys::keyLineSpace, TavSettingsKeys::keyIconSize),
         {key, {QStringLiteral("[VALUE...]"), QStringLiteral("The value; one per entry for a list.")}},
         {keyApp, {QStringLiteral("type"), QStringLiteral("The value's type: %1.").arg(namesOf(valueTypes)), QStringLiteral("TYPE")},
          {QStringLiteral("raw"), QStringLiteral("Store under KEY as it stands, also when the suite has no such setting.")}},
         set},
        {QStringLiteral("unset"), QStringLiteral("remove one key and what lies below it (needs --yes)"),
         QStringLiteral("Remove KEY and every value below it, so that the suite uses its defaults again."),
         {key}, {keyApp, yesOption}, unset},
        {QStringLiteral("reset"), QStringLiteral("remove an application's values or all values (needs --yes)"),
         QStringLiteral("Remove every value of one application (--app; shared: the values outside every\n"
                        "application group) or of the whole store (--all)."),
         {}, {appOption(QStringLiteral("Remove this application's values only.")),
          {QStringLiteral("all"), QStringLiteral("Remove every value of every application.")}, yesOption},
         reset},
        {QStringLiteral("path"), QStringLiteral("print the store's file name"),
         QStringLiteral("Print the file that holds the suite's preference store."), {}, {},
         [](const Invocation &) { out() << TavSettingsStore().fileName() << '\n'; }},
    });
}

} // namespace Tool
