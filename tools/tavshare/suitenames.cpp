// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "suitenames.h"

#include "tavsettings_p.h"

#include <QList>

namespace Tool {
namespace {

const NamedValue<TavSettings::AppType> applicationTable[] = {
    {"shared", TavSettings::AppShared},
    {"orbelle", TavSettings::AppOrbelle},
    {"quintara", TavSettings::AppQuintara},
    {"halvex", TavSettings::AppHalvex},
    {"dornel", TavSettings::AppDornel},
    {"pellaris", TavSettings::AppPellaris},
};

const NamedValue<TavSettings::TavrelleFileType> fileTypeTable[] = {
    {"model", TavSettings::ModelFile},
    {"geometry", TavSettings::GeometryFile},
    {"description", TavSettings::DescriptionFile},
    {"simulation", TavSettings::SimulationFolder},
    {"workingdir", TavSettings::WorkingDirectory},
    {"multiimport", TavSettings::MultiImportFile},
};

} // namespace

QStringList applicationNames()
{
    return namesOf(applicationTable);
}

std::optional<TavSettings::AppType> applicationFromName(const QString &name)
{
    return valueOf(applicationTable, name);
}

QCommandLineOption applicationOption(const QString &description)
{
    return {QStringLiteral("app"),
            description + QStringLiteral(" NAME is one of: ") + applicationNames().join(QStringLiteral(", ")) + QLatin1Char('.'),
            QStringLiteral("NAME")};
}

QString applicationGroup(TavSettings::AppType appType)
{
    // The library owns the group names: take the part before the "/" of a key it composes.
    const QString key = TavSettingsInternals::getKey(TavSettingsKeys::keyLineSpace, appType);
    return key == TavSettingsKeys::keyLineSpace ? QString() : key.section(QLatin1Char('/'), 0, 0);
}

QStringList applicationGroups()
{
    QStringList groups;
    for (const auto &entry : applicationTable) {
        if (entry.value != TavSettings::AppShared)
            groups << applicationGroup(entry.value);
    }
    return groups;
}

QStringList fileTypeNames()
{
    return namesOf(fileTypeTable);
}

std::optional<TavSettings::TavrelleFileType> fileTypeFromName(const QString &name)
{
    return valueOf(fileTypeTable, name);
}

QString fileTypeName(TavSettings::TavrelleFileType fileType)
{
    for (const auto &entry : fileTypeTable) {
        if (entry.value == fileType)
            return QLatin1String(entry.name);
    }
    return QString();
}

QList<TavSettings::TavrelleFileType> fileTypes()
{
    QList<TavSettings::TavrelleFileType> types;
    for (const auto &entry : fileTypeTable)
        types << entry.value;
    return types;
}

} // namespace Tool
