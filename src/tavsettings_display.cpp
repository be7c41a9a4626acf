// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#include "tavsettings_p.h"

using namespace TavSettingsKeys;

// Every preference is one value per application under getKey(literal, appType); the
// getter gives the default while the key is absent.

int TavSettings::getStartScreenSizeType(AppType appType)
{
    return readSetting(getKey(keyStartScreenSizeType, appType), 1);
}

void TavSettings::setStartScreenSizeType(int value, AppType appType)
{
    writeSetting(getKey(keyStartScreenSizeType, appType), value);
}

void TavSettings::clearStartScreenSizeType(AppType appType)
{
    removeSetting(getKey(keyStartScreenSizeType, appType));
}

QSize TavSettings::getLastScreenSize(AppType appType)
{
    return readSetting(getKey(keyLastScreenSize, appType), QSize(1440, 900));
}

void TavSettings::setLastScreenSize(const QSize &value, AppType appType)
{
    writeSetting(getKey(keyLastScreenSize, appType), value);
}

int TavSettings::getStartScreenPosType(AppType appType)
{
    return readSetting(getKey(keyStartScreenPosType, appType), 0);
}

void TavSettings::setStartScreenPosType(int value, AppType appType)
{
    writeSetting(getKey(keyStartScreenPosType, appType), value);
}

void TavSettings::clearStartScreenPosType(AppType appType)
{
    removeSetting(getKey(keyStartScreenPosType, appType));
}

QPoint TavSettings::getLastScreenPos(AppType appType)
{
    return readSetting(getKey(keyLastScreenPos, appType), QPoint(0, 0));
}

void TavSettings::setLastScreenPos(const QPoint &value, AppType appType)
{
    writeSetting(getKey(keyLastScreenPos, appType), value);
}

void TavSettings::clearLastScreenPos(AppType appType)
{
    removeSetting(getKey(keyLastScreenPos, appType));
}

bool TavSettings::hasLastScreenPos(AppType appType)
{
    return containsSetting(getKey(keyLastScreenPos, appType));
}

int TavSettings::getStartPageType(AppType appType)
{
    return readSetting(getKey(keyStartPageType, appType), 0);
}

void TavSettings::setStartPageType(int value, AppType appType)
{
    writeSetting(getKey(keyStartPageType, appType), value);
}

void TavSettings::clearStartPageType(AppType appType)
{
    removeSetting(getKey(keyStartPageType, appType));
}

int TavSettings::getApplicationTitleType(AppType appType)
{
    return readSetting(getKey(keyApplicationTitleType, appType), 2);
}

void TavSettings::setApplicationTitleType(int value, AppType appType)
{
    writeSetting(getKey(keyApplicationTitleType, appType), value);
}

void TavSettings::clearApplicationTitleType(AppType appType)
{
    removeSetting(getKey(keyApplicationTitleType, appType));
}

int TavSettings::getIconSizeType(AppType appType)
{
    return readSetting(getKey(keyIconSizeType, appType), 0);
}

void TavSettings::setIconSizeType(int value, AppType appType)
{
    writeSetting(getKey(keyIconSizeType, appType), value);
}

void TavSettings::clearIconSizeType(AppType appType)
{
    removeSetting(getKey(keyIconSizeType, appType));
}

QSize TavSettings::getIconSize(AppType appType)
{
    return readSetting(getKey(keyIconSize, appType), QSize(20, 15));
}

void TavSettings::setIconSize(const QSize &value, AppType appType)
{
    writeSetting(getKey(keyIconSize, appType), value);
}

void TavSettings::clearIconSize(AppType appType)
{
    removeSetting(getKey(keyIconSize, appType));
}

int TavSettings::getLineSpace(AppType appType)
{
    return readSetting(getKey(keyLineSpace, appType), 10);
}

void TavSettings::setLineSpace(int value, AppType appType)
{
    writeSetting(getKey(keyLineSpace, appType), value);
}

void TavSettings::clearLineSpace(AppType appType)
{
    removeSetting(getKey(keyLineSpace, appType));
}

int TavSettings::getMoleculeTooltipsType(AppType appType)
{
    return readSetting(getKey(keyMoleculeTooltipsType, appType), 2);
}

void TavSettings::setMoleculeTooltipsType(int value, AppType appType)
{
    writeSetting(getKey(keyMoleculeTooltipsType, appType), value);
}

void TavSettings::clearMoleculeTooltipsType(AppType appType)
{
    removeSetting(getKey(keyMoleculeTooltipsType, appType));
}

int TavSettings::getAutoSaveSingleMolCpxType(AppType appType)
{
    return readSetting(getKey(keyAutoSaveSingleMolCpxType, appType), 0);
}

void TavSettings::setAutoSaveSingleMolCpxType(int value, AppType appType)
{
    writeSetting(getKey(keyAutoSaveSingleMolCpxType, appType), value);
}

void TavSettings::clearAutoSaveSingleMolCpxType(AppType appType)
{
    removeSetting(getKey(keyAutoSaveSingleMolCpxType, appType));
}

int TavSettings::getDisplayCenterButtonsType(AppType appType)
{
    return readSetting(getKey(keyDisplayCenterButtonsType, appType), 1);
}

void TavSettings::setDisplayCenterButtonsType(int value, AppType appType)
{
    writeSetting(getKey(keyDisplayCenterButtonsType, appType), value);
}

void TavSettings::clearDisplayCenterButtonsType(AppType appType)
{
    removeSetting(getKey(keyDisplayCenterButtonsType, appType));
}

int TavSettings::getDisplayFullNameType(AppType appType)
{
    return readSetting(getKey(keyDisplayFullNameType, appType), 1);
}

void TavSettings::setDisplayFullNameType(int value, AppType appType)
{
    writeSetting(getKey(keyDisplayFullNameType, appType), value);
}

bool TavSettings::displayFullName(AppType appType)
{
    return getDisplayFullNameType(appType) == 0;
}

bool TavSettings::isPottsModelSecVisible(AppType appType)
{
    return readSetting(getKey(keyPottsModelSecVisibleStatus, appType), false);
}

void TavSettings::setPottsModelSecVisible(bool value, AppType appType)
{
    writeSetting(getKey(keyPottsModelSecVisibleStatus, appType), value);
}

void TavSettings::clearPottsModelSecVisible(AppType appType)
{
    removeSetting(getKey(keyPottsModelSecVisibleStatus, appType));
}

int TavSettings::getSplineResolution(AppType appType)
{
    return readSetting(getKey(keySplineResoluition, appType), 500);
}

void TavSettings::setSplineResolution(int value, AppType appType)
{
    writeSetting(getKey(keySplineResoluition, appType), value);
}

void TavSettings::clearSplineResolution(AppType appType)
{
    removeSetting(getKey(keySplineResoluition, appType));
}

bool TavSettings::isSplineProfileSynchronized(AppType appType)
{
    return readSetting(getKey(keySplineProfileSynStatus, appType), true);
}

void TavSettings::setSplineProfileSynchronized(bool value, AppType appType)
{
    writeSetting(getKey(keySplineProfileSynStatus, appType), value);
}

void TavSettings::clearSplineProfileSynchronized(AppType appType)
{
    removeSetting(getKey(keySplineProfileSynStatus, appType));
}

int TavSettings::getImageExportMagnificationFactor(AppType appType)
{
    return readSetting(getKey(keyImageExportMagnificationFactor, appType), 1);
}

void TavSettings::setImageExportMagnificationFactor(int value, AppType appType)
{
    writeSetting(getKey(keyImageExportMagnificationFactor, appType), value);
}

void TavSettings::clearImageExportMagnificationFactor(AppType appType)
{
    removeSetting(getKey(keyImageExportMagnificationFactor, appType));
}

bool TavSettings::isVisibleVtkAxisMarker(AppType appType)
{
    return readSetting(getKey(keyVisibleVtkAxisMarker, appType), true);
}

void TavSettings::setVisibleVtkAxisMarker(bool value, AppType appType)
{
    writeSetting(getKey(keyVisibleVtkAxisMarker, appType), value);
}

void TavSettings::clearVisibleVtkAxisMarker(AppType appType)
{
    removeSetting(getKey(keyVisibleVtkAxisMarker, appType));
}

bool TavSettings::isVisibleTavModelInfoSec(AppType appType)
{
    return readSetting(getKey(keyVisibleTavModelInfoSec, appType), true);
}

void TavSettings::setVisibleTavModelInfoSec(bool value, AppType appType)
{
    writeSetting(getKey(keyVisibleTavModelInfoSec, appType), value);
}

void TavSettings::clearVisibleTavModelInfoSec(AppType appType)
{
    removeSetting(getKey(keyVisibleTavModelInfoSec, appType));
}
