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

// The store key that KEY and --app name.
QString storeKey(const Invocation &invocation)
{
    const QStringList parts = invocation.positionalArguments().first().split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (parts.isEmpty())
        throw UsageError{QStringLiteral("KEY is empty; give a key such as %1 or Orbelle/%1").arg(TavSettingsKeys::keyLineSpace)};
    return TavSettingsInternals::getKey(parts.join(QLatin1Char('/')), invocation.application().value_or(TavSettings::AppShared));
}

// "key = value", or for a list with entries "key:" and then one entry a line.
QString valueText(const QString &key, const DecodedValue &value)
{
    const QString problem = value.problem.isEmpty() ? QString() : QStringLiteral("   [%1]").arg(printable(value.problem));
    if (!value.json.isArray() || value.lines.isEmpty()) {
        const QString shown = value.json.isArray() ? QStringLiteral("(empty list)") : printable(value.lines.value(0));
        return printable(key) + QStringLiteral(" = ") + shown + problem + QLatin1Char('\n');
    }
    QString text = printable(key) + QLatin1Char(':') + problem + QLatin1Char('\n');
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
    keys.sort();
    QString text;
    QJsonObject json;
    for (const QString &key : keys) {
        const DecodedValue value = decodeValue(key, store.value(key));
        text += valueText(key, value);
        json.insert(key, value.json);
    }
    invocation.print(text, json);
}

void get(const Invocation &invocation)
{
    const QString key = storeKey(invocation);
    const TavSettingsStore store;
    if (!store.contains(key)) {
        if (!keysBelow(key).isEmpty())
            throw Failure{QStringLiteral("%1 is a group of values; see them with 'tavshare settings show'").arg(key)};
        throw Failure{QStringLiteral("nothing is stored under %1 (the suite uses its default)").arg(key)};
    }
    const DecodedValue value = decodeValue(key, store.value(key));
    QString text;
    for (const QString &line : value.lines)
        text += printable(line) + QLatin1Char('\n');
    invocation.print(text, QJsonObject{{key, value.json}});
    if (!value.problem.isEmpty())
        note(key + QLatin1Char(' ') + printable(value.problem));
}

void set(const Invocation &invocation)
{
    const QString key = storeKey(invocation);
    const std::optional<ValueType> knownType = knownValueType(key);
    if (!knownType && !invocation.isSet(QStringLiteral("raw")))
        throw Failure{QStringLiteral("no such setting '%1'; did you mean '%2'? (--raw stores it as it stands)").arg(key, closestKnownKey(key))};
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
    const QString key = storeKey(invocation);
    requireConfirmation(invocation, QStringLiteral("removes %1 from the preference store").arg(key));
    StoreChange change;
    int count = 0;
    {
        // Counted in the same change, so that the count is of what went.
        TavSettingsUpdate store;
        count = int(keysBelow(key).size()) + (store.contains(key) ? 1 : 0);
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
         QStringLiteral("Print every key and value of the preference store, or of one application. A\n"
                        "value the suite cannot read as its type is marked with what it reads instead."),
         {}, {appOption(QStringLiteral("Only this application's values; shared means the values outside every application group.")), jsonOption},
         show},
        {QStringLiteral("get"), QStringLiteral("print one value"),
         QStringLiteral("Print the value stored under KEY, decoded as in 'settings show'."), {key}, {keyApp, jsonOption}, get},
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
