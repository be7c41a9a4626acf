// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "tavsettings_p.h"
#include "logging_p.h"

#include <QDebug>

#include <cstdlib>

namespace {
const QString keyOrbelle = QStringLiteral("Orbelle");
const QString keyQuintara = QStringLiteral("Quintara");
const QString keyHalvex = QStringLiteral("Halvex");
const QString keyDornel = QStringLiteral("Dornel");
const QString keyPellaris = QStringLiteral("Pellaris");

const QString keyFileTypeTavrelleModelFile = QStringLiteral("TavrelleModelFile");
const QString keyFileTypeTavrelleGeometryFile = QStringLiteral("TavrelleGeometryFile");
const QString keyFileTypeTavrelleDescriptionFile = QStringLiteral("TavrelleDescriptionFile");
const QString keyFileTypeTavrelleSimulationFolder = QStringLiteral("TavrelleSimulationFolder");
const QString keyFileTypeTavrelleWorkingDirectory = QStringLiteral("TavrelleWorkingDirectory");
const QString keyFileTypeTavrelleMultiImportFile = QStringLiteral("TavrelleMultiImportFile");

// The group of an application, or nullptr for AppShared and values outside the enumeration.
const QString *applicationKey(TavSettings::AppType appType)
{
    switch (appType) {
    case TavSettings::AppOrbelle: return &keyOrbelle;
    case TavSettings::AppQuintara: return &keyQuintara;
    case TavSettings::AppHalvex: return &keyHalvex;
    case TavSettings::AppDornel: return &keyDornel;
    case TavSettings::AppPellaris: return &keyPellaris;
    case TavSettings::AppShared: break;
    }
    return nullptr;
}

// The key of a file type, or nullptr for values outside the enumeration.
const QString *fileTypeKey(TavSettings::TavrelleFileType fileType)
{
    switch (fileType) {
    case TavSettings::ModelFile: return &keyFileTypeTavrelleModelFile;
    case TavSettings::GeometryFile: return &keyFileTypeTavrelleGeometryFile;
    case TavSettings::DescriptionFile: return &keyFileTypeTavrelleDescriptionFile;
    case TavSettings::SimulationFolder: return &keyFileTypeTavrelleSimulationFolder;
    case TavSettings::WorkingDirectory: return &keyFileTypeTavrelleWorkingDirectory;
    case TavSettings::MultiImportFile: return &keyFileTypeTavrelleMultiImportFile;
    }
    return nullptr;
}
} // namespace

TavSettingsStore::TavSettingsStore()
    : QSettings(TavSettingsKeys::organization, TavSettingsKeys::application)
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    setIniCodec(storeCodec());
#endif
}

bool containsSetting(const QString &key)
{
    return TavSettingsStore().contains(key);
}

// Changes of every kind go through the update lock: QSettings writes back the whole
// file, so a change of one key made on an outdated copy would undo the changes of others.

void writeSetting(const QString &key, const QVariant &value)
{
    TavSettingsUpdate().setValue(key, value);
}

void removeSetting(const QString &key)
{
    TavSettingsUpdate().remove(key);
}

QString TavSettings::getKey(const QString &keySrc, AppType appType)
{
    if (keySrc.isEmpty()) {
        // Only a programming error inside the library gets here: every accessor passes a
        // non-empty constant. Stop rather than write to a key that no reader finds.
        tavDebug() << "Error found at QString TavSettings::getKey(const QString & keySrc, AppType appType) ";
        std::exit(1);
    }
    const QString *app = applicationKey(appType);
    return app ? *app + QLatin1Char('/') + keySrc : keySrc;
}

QString TavSettings::getFileKey(const QString &keySrc, TavrelleFileType fileType, AppType appType)
{
    const QString key = getKey(keySrc, appType);
    const QString *fileKey = fileTypeKey(fileType);
    return fileKey ? key + QLatin1Char('/') + *fileKey : key;
}

void TavSettings::clearAllSettings()
{
    TavSettingsUpdate().clear();
}
