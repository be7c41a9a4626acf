// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#ifndef TAVSHARE_TOOL_SUITENAMES_H
#define TAVSHARE_TOOL_SUITENAMES_H

// The names a user types for the suite's applications and kinds of file.

#include "TavSettings.h"

#include <QCommandLineOption>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <optional>

namespace Tool {

// A name a user types and the value it stands for.
template <typename T>
struct NamedValue {
    const char *name;
    T value;
};

// The names of a table, in its order.
template <typename T, std::size_t N>
QStringList namesOf(const NamedValue<T> (&table)[N])
{
    QStringList names;
    for (const NamedValue<T> &entry : table)
        names << QLatin1String(entry.name);
    return names;
}

// The value that name stands for in a table, in any case.
template <typename T, std::size_t N>
std::optional<T> valueOf(const NamedValue<T> (&table)[N], const QString &name)
{
    for (const NamedValue<T> &entry : table) {
        if (name.compare(QLatin1String(entry.name), Qt::CaseInsensitive) == 0)
            return entry.value;
    }
    return std::nullopt;
}

// shared, orbelle, quintara, halvex, dornel, pellaris.
QStringList applicationNames();
// The application a name stands for, in any case.
std::optional<TavSettings::AppType> applicationFromName(const QString &name);
// The option --app NAME: description followed by the accepted names.
QCommandLineOption applicationOption(const QString &description);
// The application's group in the preference store ("Orbelle"); empty for AppShared.
QString applicationGroup(TavSettings::AppType appType);
// The groups of the five applications.
QStringList applicationGroups();

// model, geometry, description, simulation, workingdir, multiimport.
QStringList fileTypeNames();
std::optional<TavSettings::TavrelleFileType> fileTypeFromName(const QString &name);
QString fileTypeName(TavSettings::TavrelleFileType fileType);
QList<TavSettings::TavrelleFileType> fileTypes();

} // namespace Tool

#endif // TAVSHARE_TOOL_SUITENAMES_H
