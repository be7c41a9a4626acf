// SPDX-FileCopyrightText: 2026 The TavShare developers
// SPDX-License-Identifier: BSD-3-Clause

#ifndef TAVSETTINGS_PREFERENCES_P_H
#define TAVSETTINGS_PREFERENCES_P_H

// The display and editor preferences, each declared once. Every row expands to the key
// constant, the getter, the setter and (unless "none") the remover of one preference; the
// tool takes its knowledge of their types from the same rows.
//
// X(Type, Stem, getterPrefix, keyConstant, "literal", defaultValue, remover)
//   Type         int, bool, QSize or QPoint: what the accessors read and write
//   Stem         the accessors are getterPrefix##Stem, set##Stem and clear##Stem
//   literal      what the store holds; the suite's misspellings stay, since the
//                applications' stores already use them
//   remover      clear, or none for the two preferences that have no remover
#define TAVSETTINGS_PREFERENCES(X) \
    X(int, StartScreenSizeType, get, keyStartScreenSizeType, "StartScreenSizeType", 1, clear) \
    X(QSize, LastScreenSize, get, keyLastScreenSize, "LastScreenSize", QSize(1440, 900), none) \
    X(int, StartScreenPosType, get, keyStartScreenPosType, "StartScreenPosType", 0, clear) \
    X(QPoint, LastScreenPos, get, keyLastScreenPos, "LastScreenPos", QPoint(0, 0), clear) \
    X(int, StartPageType, get, keyStartPageType, "StartPageType", 0, clear) \
    X(int, ApplicationTitleType, get, keyApplicationTitleType, "ApplicationTitleType", 2, clear) \
    X(int, IconSizeType, get, keyIconSizeType, "IconSizeType", 0, clear) \
    X(QSize, IconSize, get, keyIconSize, "IconSize", QSize(20, 15), clear) \
    X(int, LineSpace, get, keyLineSpace, "LineSpace", 10, clear) \
    X(int, MoleculeTooltipsType, get, keyMoleculeTooltipsType, "MoleculeTootipsType", 2, clear) \
    X(int, AutoSaveSingleMolCpxType, get, keyAutoSaveSingleMolCpxType, "AutoSaveSingleMolCpxType", 0, clear) \
    X(int, DisplayCenterButtonsType, get, keyDisplayCenterButtonsType, "DisplayCenterButtonsType", 1, clear) \
    X(int, DisplayFullNameType, get, keyDisplayFullNameType, "DisplayFullNameType", 1, none) \
    X(bool, PottsModelSecVisible, is, keyPottsModelSecVisibleStatus, "PottsModelSecVisibleStatus", false, clear) \
    X(int, SplineResolution, get, keySplineResoluition, "SplineResoluition", 500, clear) \
    X(bool, SplineProfileSynchronized, is, keySplineProfileSynStatus, "SplineProfileSynStatus", true, clear) \
    X(int, ImageExportMagnificationFactor, get, keyImageExportMagnificationFactor, "ImageExportMagnificationFactor", 1, clear) \
    X(bool, VisibleVtkAxisMarker, is, keyVisibleVtkAxisMarker, "VisibleVtkAxisMarker", true, clear) \
    X(bool, VisibleTavModelInfoSec, is, keyVisibleTavModelInfoSec, "VisibleTavModelInfoSec", true, clear)

#endif // TAVSETTINGS_PREFERENCES_P_H
