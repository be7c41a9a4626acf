#include "suitenames.h"

#include "tavsettings_p.h"

#include <QList>

namespace Tool {
namespace {

struct ApplicationName {
    const char *name;
    TavSettings::AppType appType;
};

const ApplicationName applicationTable[] = {
    {"shared", TavSettings::AppShared},
    {"orbelle", TavSettings::AppOrbelle},
    {"quintara", TavSettings::AppQuintara},
    {"halvex", TavSettings::AppHalvex},
    {"dornel", TavSettings::AppDornel},
    {"pellaris", TavSettings::AppPellaris},
};

struct FileTypeName {
    const char *name;
    TavSettings::TavrelleFileType fileType;
};

const FileTypeName fileTypeTable[] = {
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
    QStringList names;
    for (const ApplicationName &entry : applicationTable)
        names << QLatin1String(entry.name);
    return names;
}

std::optional<TavSettings::AppType> applicationFromName(const QString &name)
{
    for (const ApplicationName &entry : applicationTable) {
        if (name.compare(QLatin1String(entry.name), Qt::CaseInsensitive) == 0)
            return entry.appType;
    }
    return std::nullopt;
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
    const QString key = TavSettings::getKey(TavSettingsKeys::keyLineSpace, appType);
    return key == TavSettingsKeys::keyLineSpace ? QString() : key.section(QLatin1Char('/'), 0, 0);
}

QStringList applicationGroups()
{
    QStringList groups;
    for (const ApplicationName &entry : applicationTable) {
        if (entry.appType != TavSettings::AppShared)
            groups << applicationGroup(entry.appType);
    }
    return groups;
}

QStringList fileTypeNames()
{
    QStringList names;
    for (const FileTypeName &entry : fileTypeTable)
        names << QLatin1String(entry.name);
    return names;
}

std::optional<TavSettings::TavrelleFileType> fileTypeFromName(const QString &name)
{
    for (const FileTypeName &entry : fileTypeTable) {
        if (name.compare(QLatin1String(entry.name), Qt::CaseInsensitive) == 0)
            return entry.fileType;
    }
    return std::nullopt;
}

QString fileTypeName(TavSettings::TavrelleFileType fileType)
{
    for (const FileTypeName &entry : fileTypeTable) {
        if (entry.fileType == fileType)
            return QLatin1String(entry.name);
    }
    return QString();
}

QList<TavSettings::TavrelleFileType> fileTypes()
{
    QList<TavSettings::TavrelleFileType> types;
    for (const FileTypeName &entry : fileTypeTable)
        types << entry.fileType;
    return types;
}

} // namespace Tool
